#include "findbar.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>

namespace quenbry {

namespace {

// A selection longer than this is not a search anyone types.
constexpr int kLongestSeed = 1000;

template <typename W> W *named(W *widget, const char *name) {
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QPushButton *button(QWidget *parent, const char *name, const QString &caption, const QString &tip) {
    auto *b = named(new QPushButton(caption, parent), name);
    b->setToolTip(tip);
    b->setAutoDefault(false);
    return b;
}

} // namespace

FindBar::FindBar(Finder &finder, QWidget *parent)
    : QWidget(parent)
    , finder_(finder) {
    setObjectName(QStringLiteral("fraFind"));
    setAutoFillBackground(true);
    findField_ = named(new QLineEdit(this), "txtFind");
    replaceField_ = named(new QLineEdit(this), "txtReplace");
    matchCase_ = named(new QCheckBox(tr("Match case"), this), "chkMatchCase");
    wholeWord_ = named(new QCheckBox(tr("Whole words"), this), "chkWholeWord");
    regex_ = named(new QCheckBox(tr("Regular expression"), this), "chkRegex");
    status_ = named(new QLabel(this), "lblFindStatus");
    // Arrows, as in a browser's bar: the bar fits a window of the editor's first size.
    auto *previous =
        button(this, "cmdFindPrevious", QString(), tr("Find Previous (Shift+Enter, Shift+F3)"));
    previous->setIcon(style()->standardIcon(QStyle::SP_ArrowUp));
    auto *next = button(this, "cmdFindNext", QString(), tr("Find Next (Enter, F3)"));
    next->setIcon(style()->standardIcon(QStyle::SP_ArrowDown));
    // Access keys that no menu of the window takes (Alt with F, E, V, T or H opens a menu).
    auto *replace =
        button(this, "cmdReplace", tr("&Replace"), tr("Replace this match and go to the next"));
    auto *replaceAll = button(this, "cmdReplaceAll", tr("Replace &All"),
                              tr("Replace every match, or every one in a selection "
                                 "of several lines, as one change"));
    auto *close = button(this, "cmdFindClose", QString(), tr("Close (Escape)"));
    close->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    close->setFlat(true);

    auto *findLabel = new QLabel(tr("Fi&nd:"), this);
    findLabel->setBuddy(findField_);
    auto *replaceLabel = new QLabel(tr("Re&place:"), this);
    replaceLabel->setBuddy(replaceField_);
    findField_->setMinimumWidth(140);
    replaceField_->setMinimumWidth(140);
    status_->setMinimumWidth(60);
    status_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto *findTools = new QHBoxLayout;
    for (QWidget *w :
         std::initializer_list<QWidget *>{previous, next, matchCase_, wholeWord_, regex_})
        findTools->addWidget(w);
    findTools->addWidget(status_, 1);
    findTools->addWidget(close);
    replaceTools_ = new QWidget(this);
    auto *replaceTools = new QHBoxLayout(replaceTools_);
    replaceTools->setContentsMargins(0, 0, 0, 0);
    replaceTools->addWidget(replace);
    replaceTools->addWidget(replaceAll);
    replaceTools->addStretch(1);
    // The two fields one above the other, as wide as each other.
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(4, 3, 4, 3);
    grid->setVerticalSpacing(3);
    grid->addWidget(findLabel, 0, 0);
    grid->addWidget(findField_, 0, 1);
    grid->addLayout(findTools, 0, 2);
    grid->addWidget(replaceLabel, 1, 0);
    grid->addWidget(replaceField_, 1, 1);
    grid->addWidget(replaceTools_, 1, 2);
    grid->setColumnStretch(1, 2);
    grid->setColumnStretch(2, 3);
    replaceRow_ = {replaceLabel, replaceField_, replaceTools_};

    // Tab goes from one field to the other first, as in the bars of other editors.
    QWidget *order[] = {findField_, replaceField_, previous, next,       matchCase_,
                        wholeWord_, regex_,        replace,  replaceAll, close};
    for (size_t i = 1; i < std::size(order); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
    findField_->installEventFilter(this);
    replaceField_->installEventFilter(this);
    connect(findField_, &QLineEdit::textEdited, this, &FindBar::optionsEdited);
    for (QCheckBox *box : {matchCase_, wholeWord_, regex_})
        connect(box, &QAbstractButton::toggled, this, &FindBar::optionsEdited);
    connect(next, &QAbstractButton::clicked, &finder_, &Finder::findNext);
    connect(previous, &QAbstractButton::clicked, &finder_, &Finder::findPrevious);
    connect(replace, &QAbstractButton::clicked, this, [this] { finder_.replace(replacement()); });
    connect(replaceAll, &QAbstractButton::clicked, this,
            [this] { finder_.replaceAll(replacement()); });
    connect(close, &QAbstractButton::clicked, this, &FindBar::close);
    connect(&finder_, &Finder::statusChanged, this, [this] {
        const QString s = finder_.status();
        if (status_->text() != s) {
            status_->setText(s);
            status_->setToolTip(s); // in full, where a narrow window cuts it short
        }
    });
    hide();
}

SearchOptions FindBar::options() const {
    return {findField_->text(), matchCase_->isChecked(), wholeWord_->isChecked(),
            regex_->isChecked()};
}

void FindBar::optionsEdited() {
    finder_.setOptions(options());
    finder_.searchIncremental();
}

void FindBar::open(bool withReplace) {
    const EditorCore &text = finder_.text();
    const int start = text.selStart(), length = text.selLength();
    if (length > 0 && length <= kLongestSeed && text.lineOf(start) == text.lineOf(start + length)) {
        const QString selected = text.selText();
        findField_->setText(regex_->isChecked() ? QRegularExpression::escape(selected) : selected);
    }
    const bool moved = isHidden() || replaceShown() != withReplace;
    for (QWidget *w : replaceRow_)
        w->setVisible(withReplace);
    show();
    finder_.beginIncremental();
    finder_.setOptions(options());
    findField_->selectAll();
    findField_->setFocus();
    if (moved)
        emit placeChanged();
}

void FindBar::close() {
    if (isHidden())
        return;
    hide();
    emit placeChanged();
}

bool FindBar::replaceShown() const {
    return !replaceField_->isHidden();
}

QString FindBar::replacement() const {
    return replaceField_->text();
}

QString FindBar::status() const {
    return status_->text();
}

bool FindBar::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    const auto *key = static_cast<QKeyEvent *>(event);
    const bool shift = key->modifiers() & Qt::ShiftModifier;
    switch (key->key()) {
    case Qt::Key_Escape:
        close();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (watched == replaceField_)
            finder_.replace(replacement());
        else if (shift)
            finder_.findPrevious();
        else
            finder_.findNext();
        return true;
    default:
        return QWidget::eventFilter(watched, event);
    }
}

} // namespace quenbry
