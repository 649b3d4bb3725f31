#include "splashwindow.h"
#include "splashpicture.h"

#include "appearance/frameskinner.h"
#include "buildinfo.h"
#include "platform/twips.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QScreen>

namespace quenbry {

namespace {

QLabel *makeLabel(QWidget *parent, const char *name, const QString &text, QRect twips) {
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(twipsToPixels(twips.x()), twipsToPixels(twips.y()),
                       twipsToPixels(twips.width()), twipsToPixels(twips.height()));
    // A press on a label is the label's, not the window's: it does not hand over.
    label->setAttribute(Qt::WA_NoMousePropagation);
    return label;
}

void setTextColour(QLabel *label, const QColor &colour) {
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, colour);
    label->setPalette(pal);
}

// Keys that type something, as a keyboard delivers them: characters, control characters
// (Ctrl+letter), Enter, Escape and Backspace; not arrows, function keys, modifiers or Delete,
// which some keyboards report as the character DEL.
bool typesCharacter(const QKeyEvent &event) {
    switch (event.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_Backspace:
        return true;
    default:
        return !event.text().isEmpty() && event.text() != QChar(0x7f);
    }
}

} // namespace

SplashWindow::SplashWindow(const Owner &owner, std::chrono::milliseconds timeout, QWidget *parent)
    // An ordinary frameless window rather than the desktop's splash type: window managers give
    // splash windows no keyboard focus, and the keyboard hands over too.
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint)
    , picture_(splashPicture()) {
    setObjectName(QStringLiteral("frmSplash"));
    // What a task bar or a window list shows for it.
    setWindowTitle(QString::fromLatin1(applicationTitle));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(twipsToPixels(6870), twipsToPixels(4095));
    // The picture is light, and so is the splash under any desktop theme: a dark theme's
    // near-white text would vanish on it.
    const FrameSkinner skin;
    setPalette(lightPalette(palette(), skin.backgroundColour(), skin.darkTextColour()));
    setFocusPolicy(Qt::StrongFocus);

    const QColor blue(0, 0, 255);
    nameLabel_ = makeLabel(this, "lbl3", owner.name, QRect(4320, 3000, 2295, 255));
    setTextColour(nameLabel_, blue);
    companyHeading_ = makeLabel(this, "lbl2", tr("Company"), QRect(3480, 3360, 735, 255));
    QFont arial(QStringLiteral("Arial"));
    arial.setPointSizeF(8.25);
    companyHeading_->setFont(arial);
    organisationLabel_ = makeLabel(this, "lbl4", owner.organisation, QRect(4320, 3360, 2295, 255));
    setTextColour(organisationLabel_, blue);

    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    timer_.setSingleShot(true);
    timer_.setInterval(timeout);
    connect(&timer_, &QTimer::timeout, this, [this] { handOff(HandOff::Timer); });
}

void SplashWindow::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    // From the moment the user can see it: messages about the settings come first, and the
    // splash still gets its full time after them.
    if (!timer_.isActive() && !handedOffBy_)
        timer_.start();
    activateWindow();
    setFocus();
}

void SplashWindow::paintEvent(QPaintEvent *) {
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Window));
    p.drawImage(0, 0, picture_);
    // The frame: four lines from (120, 120) to (6720, 3960).
    const int left = twipsToPixels(120), top = twipsToPixels(120);
    const int right = twipsToPixels(6720), bottom = twipsToPixels(3960);
    p.setPen(QPen(QColor(47, 122, 151), 1));
    p.drawLine(left, top, right, top);
    p.drawLine(right, top, right, bottom);
    p.drawLine(right, bottom, left, bottom);
    p.drawLine(left, bottom, left, top);
}

void SplashWindow::keyPressEvent(QKeyEvent *event) {
    if (!typesCharacter(*event)) {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    handOff(HandOff::Key);
}

void SplashWindow::mousePressEvent(QMouseEvent *event) {
    event->accept();
    handOff(HandOff::Click);
}

void SplashWindow::closeEvent(QCloseEvent *event) {
    // Only the hand-off closes the splash; a close from the window system would leave the
    // program with no window at all, and the timer hands over shortly anyway.
    if (!closing_)
        event->ignore();
}

void SplashWindow::closeNow() {
    closing_ = true;
    close();
}

void SplashWindow::handOff(HandOff by) {
    // The main window's start-up processes pending events while the splash is still up; a
    // second key or click among them must not start it again.
    if (handedOffBy_)
        return;
    handedOffBy_ = by;
    timer_.stop();
    const std::function<void(HandOff)> openMain = onOpenMain;
    if (by == HandOff::Timer)
        closeNow();
    if (openMain)
        openMain(by);
    if (by != HandOff::Timer)
        closeNow();
}

} // namespace quenbry
