#include "gotolinedialog.h"

#include "find/lineplace.h"
#include "text/editorcore.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace quenbry {

GoToLineDialog::GoToLineDialog(const EditorCore &text, QWidget *parent)
    : QDialog(parent)
    , text_(text) {
    setObjectName(QStringLiteral("frmGoto"));
    setWindowTitle(tr("Go to Line"));
    setModal(true);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    line_ = new QLineEdit(QString::number(text.lineOf(text.selStart()) + 1), this);
    line_->setObjectName(QStringLiteral("txtLine"));
    line_->setMinimumWidth(220);
    auto *hint = new QLabel(linePlaceHint(text), this);
    hint->setObjectName(QStringLiteral("lblLine"));
    hint->setBuddy(line_);
    error_ = new QLabel(this);
    error_->setObjectName(QStringLiteral("lblError"));
    error_->setWordWrap(true);
    QPalette pal = error_->palette();
    pal.setColor(QPalette::WindowText, QColor(170, 0, 0));
    error_->setPalette(pal);
    auto *ok = new QPushButton(tr("OK"), this);
    ok->setObjectName(QStringLiteral("cmdOk"));
    ok->setDefault(true);
    auto *cancel = new QPushButton(tr("Cancel"), this);
    cancel->setObjectName(QStringLiteral("cmdCancel"));

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto *rows = new QVBoxLayout(this);
    rows->addWidget(hint);
    rows->addWidget(line_);
    rows->addWidget(error_);
    rows->addLayout(buttons);
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    connect(ok, &QAbstractButton::clicked, this, &GoToLineDialog::go);
    connect(cancel, &QAbstractButton::clicked, this, &QDialog::reject);
    line_->selectAll();
    line_->setFocus();
}

void GoToLineDialog::go() {
    const LinePlace place = linePlace(text_, line_->text());
    if (place.offset < 0) {
        error_->setText(place.error);
        line_->selectAll();
        line_->setFocus();
        return;
    }
    offset_ = place.offset;
    accept();
}

std::optional<int> GoToLineDialog::ask(QWidget *owner, const EditorCore &text) {
    GoToLineDialog dialog(text, owner);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.offset_;
}

} // namespace quenbry
