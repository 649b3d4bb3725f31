#include "aboutbox.h"
#include "splashpicture.h"
#include "systeminfo.h"

#include "appearance/colourcontrast.h"
#include "buildinfo.h"
#include "platform/imagebutton.h"
#include "platform/twips.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPainter>

namespace quenbry {

namespace {

QRect pixels(int left, int top, int width, int height) {
    return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width),
                 twipsToPixels(height));
}

QLabel *makeLabel(QWidget *parent, const char *name, const QString &text, const QRect &place) {
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(place);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setWordWrap(true);
    return label;
}

ImageButton *makeButton(QWidget *parent, const char *name, const QString &caption,
                        const QRect &place, const QFont &font) {
    auto *button = new ImageButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setText(caption);
    button->setFont(font);
    button->setGeometry(place);
    return button;
}

void setTextColour(QLabel *label, const QColor &colour) {
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, colour);
    label->setPalette(pal);
}

} // namespace

AboutBox::AboutBox(const SkinConfiguration *ownerSkin, const Services &services, QWidget *parent)
    : QDialog(parent)
    , services_(services)
    , picture_(splashPicture()) {
    setObjectName(QStringLiteral("frmAbout"));
    setModal(true);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(twipsToPixels(6930), twipsToPixels(4470));

    const QString title = QString::fromLatin1(applicationTitle);
    titleLabel_ = makeLabel(this, "lblTitle", title, pixels(3330, 360, 3885, 480));
    QFont titleFont = titleLabel_->font();
    // Sized so that the title fits the part of its label that lies inside the window.
    titleFont.setPixelSize(16);
    titleFont.setBold(true);
    titleLabel_->setFont(titleFont);
    versionLabel_ =
        makeLabel(this, "lblVersion", tr("Version %1").arg(QLatin1String(applicationVersion)),
                  pixels(3330, 900, 3885, 225));
    descriptionLabel_ =
        makeLabel(this, "lblDescription", tr("App Description"), pixels(3240, 1200, 3885, 1170));

    QFont buttonFont = font();
    buttonFont.setPointSizeF(8.25);
    okButton_ = makeButton(this, "cmdOk", tr("OK"), pixels(4680, 3000, 1695, 375), buttonFont);
    systemInfoButton_ = makeButton(this, "cmdSysInfo", tr("&System Info..."),
                                   pixels(4680, 3480, 1695, 495), buttonFont);
    setTabOrder(okButton_, systemInfoButton_);
    okButton_->setFocus();
    connect(okButton_, &QAbstractButton::clicked, this, &QDialog::accept);
    connect(systemInfoButton_, &QAbstractButton::clicked, this, [this] {
        startSystemInfo(*services_.machineSettings, *services_.shell, *services_.dialogs, this);
    });

    for (QLabel *label : {titleLabel_, versionLabel_, descriptionLabel_})
        setTextColour(label, QColor(0, 0, 255));
    applyOwnerSkin(ownerSkin);
    setWindowTitle(tr("About ") + title);
}

void AboutBox::applyOwnerSkin(const SkinConfiguration *ownerSkin) {
    if (!skin_.takeOver(this, ownerSkin))
        return;
    // The skin asks for white labels, meant for a dark skin; on a light one they would vanish
    // into the picture. Each label takes the first colour that reads at 4.5:1 on every spot
    // of what lies behind it: white, else the skin's text colour, else black.
    const QImage behind = background();
    const QColor candidates[] = {QColor(255, 255, 255), skin_.frameSkinner()->textColour(),
                                 QColor(0, 0, 0)};
    for (QLabel *label : {titleLabel_, versionLabel_, descriptionLabel_}) {
        QColor chosen = candidates[0];
        double best = 0;
        for (const QColor &c : candidates) {
            const double ratio = lowestContrast(c, behind, label->geometry());
            if (ratio >= LegibleContrast) {
                chosen = c;
                break;
            }
            if (ratio > best) {
                best = ratio;
                chosen = c;
            }
        }
        setTextColour(label, chosen);
    }
}

QImage AboutBox::background() const {
    QImage image(size(), QImage::Format_RGB32);
    image.fill(palette().color(QPalette::Window));
    QPainter p(&image);
    p.drawImage(0, 0, picture_);
    return image;
}

void AboutBox::paintEvent(QPaintEvent *) {
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Window));
    p.drawImage(0, 0, picture_);
}

void AboutBox::keyPressEvent(QKeyEvent *event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        auto *focused = qobject_cast<ImageButton *>(focusWidget());
        (focused ? focused : okButton_)->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void AboutBox::run(QWidget *ownerWindow, const SkinConfiguration *ownerSkin,
                   const Services &services) {
    AboutBox box(ownerSkin, services, ownerWindow);
    box.exec();
}

} // namespace quenbry
