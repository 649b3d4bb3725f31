#include "frmnewpage.h"

#include "appearance/colourcontrast.h"
#include "platform/imagebutton.h"
#include <QKeyEvent>

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace quenbry {

namespace {

QLabel *makeLabel(QWidget *parent, const char *name, const QString &text, QWidget *buddy) {
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setBuddy(buddy);
    return label;
}

ImageButton *makeButton(QWidget *parent, const char *name, const QString &caption) {
    auto *button = new ImageButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setText(caption);
    button->setMinimumWidth(100);
    return button;
}

} // namespace

void FrmNewPage::keyPressEvent(QKeyEvent *event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        auto *focused = qobject_cast<ImageButton *>(focusWidget());
        (focused ? focused : XPButton1)->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

FrmNewPage::FrmNewPage(const SkinConfiguration *Owner, Dialogs &dialogs, TemplateSettings &settings,
                       EditorBuffer &editor, QWidget *parent)
    : QDialog(parent)
    , dialogs_(dialogs)
    , settings_(settings)
    , editor_(editor) {
    setObjectName(QStringLiteral("frmNewPage"));
    setWindowTitle(QStringLiteral("New Page"));
    setModal(true);
    // A fixed-size form: a close box, nothing to maximise.
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);

    Text1 = new QLineEdit(QStringLiteral("Untitled Page"), this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Combo1 = new QComboBox(this);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Combo1->setEditable(false);
    Combo2 = new QComboBox(this);
    Combo2->setObjectName(QStringLiteral("Combo2"));
    Combo2->setEditable(false);
    Label1 = makeLabel(this, "Label1", QStringLiteral("Page's Title:"), Text1);
    Label2 = makeLabel(this, "Label2", QStringLiteral("Font Size:"), Combo1);
    Label3 = makeLabel(this, "Label3", QStringLiteral("Font Name:"), Combo2);
    XPButton1 = makeButton(this, "XPButton1", QStringLiteral("Create Page"));
    XPButton2 = makeButton(this, "XPButton2", QStringLiteral("Cancel"));

    auto *rows = new QGridLayout;
    rows->setHorizontalSpacing(10);
    rows->setVerticalSpacing(8);
    rows->addWidget(Label1, 0, 0);
    rows->addWidget(Text1, 0, 1);
    rows->addWidget(Label2, 1, 0);
    rows->addWidget(Combo1, 1, 1, Qt::AlignLeft);
    rows->addWidget(Label3, 2, 0);
    rows->addWidget(Combo2, 2, 1);
    rows->setColumnStretch(1, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(XPButton1);
    buttons->addWidget(XPButton2);

    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(16, 16, 16, 12);
    outer->addLayout(rows);
    outer->addSpacing(6);
    outer->addLayout(buttons);

    Combo1->setMinimumContentsLength(4);
    Combo1->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    Text1->setMinimumWidth(280);
    setTabOrder(Text1, Combo1);
    setTabOrder(Combo1, Combo2);
    setTabOrder(Combo2, XPButton1);
    setTabOrder(XPButton1, XPButton2);

    connect(XPButton1, &QAbstractButton::clicked, this, &FrmNewPage::XPButton1_Click);
    connect(XPButton2, &QAbstractButton::clicked, this, &FrmNewPage::XPButton2_Click);

    applyOwnerSkin(Owner);
    fillLists();
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    Text1->setFocus();
}

void FrmNewPage::applyOwnerSkin(const SkinConfiguration *Owner) {
    if (!skin_.takeOver(this, Owner))
        return;
    const FrameSkinner &skinner = *skin_.frameSkinner();
    const QColor background = palette().color(QPalette::Window);
    colourLabels(this, skinner.textColour());

    // The fields share the dialog's background and were meant to show white text, which
    // only works on a dark skin; on a light one they take the skin's text colour instead.
    const QColor white(255, 255, 255);
    const QColor fieldText =
        contrastRatio(white, background) >= LegibleContrast ? white : skinner.textColour();
    for (QWidget *field : {static_cast<QWidget *>(Text1), static_cast<QWidget *>(Combo1),
                           static_cast<QWidget *>(Combo2)}) {
        QPalette pal = field->palette();
        for (auto role : {QPalette::Base, QPalette::Button, QPalette::Window})
            pal.setColor(role, background);
        for (auto role : {QPalette::Text, QPalette::ButtonText, QPalette::WindowText})
            pal.setColor(role, fieldText);
        field->setPalette(pal);
    }
}

void FrmNewPage::fillLists() {
    Combo1->clear();
    for (int size = 12; size <= 36; size += 2)
        Combo1->addItem(QString::number(size));
    Combo2->clear();
    Combo2->addItems({
        QStringLiteral("Arial, Helvetica, sans-serif"),
        QStringLiteral("Times New Roman, Times, serif"),
        QStringLiteral("Courier New, Courier, mono"),
        QStringLiteral("Georgia, Times New Roman, Times, serif"),
        QStringLiteral("Verdana, Arial, Helvetica, sans-serif"),
    });
    Combo1->setCurrentIndex(0);
    Combo2->setCurrentIndex(0);
}

void FrmNewPage::XPButton1_Click() {
    settings_.PageFontName = Combo2->currentText();
    settings_.PageFontSize = Combo1->currentText().toShort();
    if (!Text1->text().isEmpty()) {
        settings_.PageTitle = Text1->text();
    } else {
        const MessageAnswer answer = dialogs_.message(
            this, QStringLiteral("Are you sure that you want a blank title to your web page?"),
            QStringLiteral("Blank title ?"), MessageButtons::YesNo, MessageIcon::Question);
        if (answer != MessageAnswer::Yes) {
            Text1->setFocus();
            return;
        }
        settings_.PageTitle = QString();
    }
    createNewPage(editor_, settings_);
    accept();
}

void FrmNewPage::XPButton2_Click() {
    reject();
}

bool runNewPageDialog(QWidget *ownerWindow, const SkinConfiguration *ownerSkin, Dialogs &dialogs,
                      TemplateSettings &settings, EditorBuffer &editor) {
    FrmNewPage dialog(ownerSkin, dialogs, settings, editor, ownerWindow);
    return dialog.exec() == QDialog::Accepted;
}

} // namespace quenbry
