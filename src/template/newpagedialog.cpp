#include "newpagedialog.h"

#include "appearance/colourcontrast.h"
#include "platform/imagebutton.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
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

void NewPageDialog::keyPressEvent(QKeyEvent *event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        auto *focused = qobject_cast<ImageButton *>(focusWidget());
        (focused ? focused : createButton_)->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

NewPageDialog::NewPageDialog(const SkinConfiguration *ownerSkin, Dialogs &dialogs, QWidget *parent)
    : QDialog(parent)
    , dialogs_(dialogs) {
    setObjectName(QStringLiteral("frmNewPage"));
    setWindowTitle(tr("New Page"));
    setModal(true);
    // A fixed-size form: a close box, nothing to maximise.
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);

    titleEdit_ = new QLineEdit(tr("Untitled Page"), this);
    titleEdit_->setObjectName(QStringLiteral("Text1"));
    sizeList_ = new QComboBox(this);
    sizeList_->setObjectName(QStringLiteral("Combo1"));
    sizeList_->setEditable(false);
    fontList_ = new QComboBox(this);
    fontList_->setObjectName(QStringLiteral("Combo2"));
    fontList_->setEditable(false);
    titleLabel_ = makeLabel(this, "Label1", tr("Page's Title:"), titleEdit_);
    sizeLabel_ = makeLabel(this, "Label2", tr("Font Size:"), sizeList_);
    fontLabel_ = makeLabel(this, "Label3", tr("Font Name:"), fontList_);
    createButton_ = makeButton(this, "XPButton1", tr("Create Page"));
    cancelButton_ = makeButton(this, "XPButton2", tr("Cancel"));

    auto *rows = new QGridLayout;
    rows->setHorizontalSpacing(10);
    rows->setVerticalSpacing(8);
    rows->addWidget(titleLabel_, 0, 0);
    rows->addWidget(titleEdit_, 0, 1);
    rows->addWidget(sizeLabel_, 1, 0);
    rows->addWidget(sizeList_, 1, 1, Qt::AlignLeft);
    rows->addWidget(fontLabel_, 2, 0);
    rows->addWidget(fontList_, 2, 1);
    rows->setColumnStretch(1, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(createButton_);
    buttons->addWidget(cancelButton_);

    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(16, 16, 16, 12);
    outer->addLayout(rows);
    outer->addSpacing(6);
    outer->addLayout(buttons);

    sizeList_->setMinimumContentsLength(4);
    sizeList_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    titleEdit_->setMinimumWidth(280);
    setTabOrder(titleEdit_, sizeList_);
    setTabOrder(sizeList_, fontList_);
    setTabOrder(fontList_, createButton_);
    setTabOrder(createButton_, cancelButton_);

    connect(createButton_, &QAbstractButton::clicked, this, &NewPageDialog::create);
    connect(cancelButton_, &QAbstractButton::clicked, this, &QDialog::reject);

    applyOwnerSkin(ownerSkin);
    fillLists();
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    titleEdit_->setFocus();
}

void NewPageDialog::applyOwnerSkin(const SkinConfiguration *ownerSkin) {
    if (!skin_.takeOver(this, ownerSkin))
        return;
    const FrameSkinner &skinner = *skin_.frameSkinner();
    const QColor background = palette().color(QPalette::Window);
    colourLabels(this, skinner.textColour());

    // The fields share the dialog's background and were meant to show white text, which
    // only works on a dark skin; on a light one they take the skin's text colour instead.
    const QColor white(255, 255, 255);
    const QColor fieldText =
        contrastRatio(white, background) >= LegibleContrast ? white : skinner.textColour();
    for (QWidget *field : {static_cast<QWidget *>(titleEdit_), static_cast<QWidget *>(sizeList_),
                           static_cast<QWidget *>(fontList_)}) {
        QPalette pal = field->palette();
        for (auto role : {QPalette::Base, QPalette::Button, QPalette::Window})
            pal.setColor(role, background);
        for (auto role : {QPalette::Text, QPalette::ButtonText, QPalette::WindowText})
            pal.setColor(role, fieldText);
        field->setPalette(pal);
    }
}

void NewPageDialog::fillLists() {
    sizeList_->clear();
    for (int size = 12; size <= 36; size += 2)
        sizeList_->addItem(QString::number(size));
    fontList_->clear();
    fontList_->addItems({
        QStringLiteral("Arial, Helvetica, sans-serif"),
        QStringLiteral("Times New Roman, Times, serif"),
        QStringLiteral("Courier New, Courier, mono"),
        QStringLiteral("Georgia, Times New Roman, Times, serif"),
        QStringLiteral("Verdana, Arial, Helvetica, sans-serif"),
    });
    sizeList_->setCurrentIndex(0);
    fontList_->setCurrentIndex(0);
}

void NewPageDialog::create() {
    TemplateSettings chosen;
    chosen.fontName = fontList_->currentText();
    chosen.fontSize = sizeList_->currentText().toShort();
    chosen.title = titleEdit_->text();
    if (chosen.title.isEmpty()) {
        const MessageAnswer answer =
            dialogs_.message(this, tr("Are you sure that you want a blank title to your web page?"),
                             tr("Blank title ?"), MessageButtons::YesNo, MessageIcon::Question);
        if (answer != MessageAnswer::Yes) {
            titleEdit_->setFocus();
            return;
        }
    }
    choices_ = chosen;
    accept();
}

std::optional<TemplateSettings>
NewPageDialog::ask(QWidget *ownerWindow, const SkinConfiguration *ownerSkin, Dialogs &dialogs) {
    NewPageDialog dialog(ownerSkin, dialogs, ownerWindow);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.choices();
}

} // namespace quenbry
