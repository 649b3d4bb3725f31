#include "statusline.h"

#include <QFontInfo>
#include <QHBoxLayout>
#include <QLabel>

namespace quenbry {

StatusLine::StatusLine(EditSession &session, std::function<int()> caret, QWidget *parent)
    : QWidget(parent)
    , session_(session)
    , caret_(std::move(caret))
    , census_(session.text()) {
    setObjectName(QStringLiteral("StatusBar1"));
    fullPixelSize_ = QFontInfo(font()).pixelSize();
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(4, 0, 4, 0);
    row->setSpacing(16);
    position_ = new QLabel(this);
    selection_ = new QLabel(this);
    lineEnds_ = new QLabel(this);
    encoding_ = new QLabel(this);
    position_->setObjectName(QStringLiteral("lblPosition"));
    selection_->setObjectName(QStringLiteral("lblSelection"));
    lineEnds_->setObjectName(QStringLiteral("lblLineEnds"));
    encoding_->setObjectName(QStringLiteral("lblEncoding"));
    lineEnds_->setToolTip(tr("How the lines end"));
    encoding_->setToolTip(tr("The file's encoding"));
    row->addWidget(position_);
    row->addWidget(selection_);
    row->addStretch(1);
    row->addWidget(lineEnds_);
    row->addWidget(encoding_);
    session_.addListener(this);
    refresh();
}

StatusLine::~StatusLine() {
    session_.removeListener(this);
}

QString StatusLine::lineEndsText(LineEnds ends) {
    switch (ends) {
    case LineEnds::CrLf:
        return QStringLiteral("CRLF");
    case LineEnds::Lf:
        return QStringLiteral("LF");
    case LineEnds::Cr:
        return QStringLiteral("CR");
    case LineEnds::Mixed:
        return tr("Mixed");
    case LineEnds::None:
        break;
    }
    return {};
}

void StatusLine::setEncoding(const QString &encoding) {
    state_.encoding = encoding;
    // The other names are the standards' own, the same in every language.
    show(encoding_, encoding == QLatin1String("UTF-8 with BOM") ? tr("UTF-8 with BOM") : encoding);
}

void StatusLine::show(QLabel *field, const QString &text) {
    // A label repaints even for the text it shows already; a key changes one field at most.
    if (field->text() != text)
        field->setText(text);
}

void StatusLine::refresh() {
    const EditorCore &text = session_.text();
    const int caret = std::clamp(caret_(), 0, text.length());
    state_.line = text.lineOf(caret) + 1;
    state_.column = caret - text.lineStart(state_.line - 1) + 1;
    state_.selected = text.selLength();
    state_.lineEnds = census_.lineEnds();
    show(position_, tr("Ln %1, Col %2").arg(state_.line).arg(state_.column));
    show(selection_, state_.selected ? tr("%1 selected").arg(state_.selected) : QString());
    show(lineEnds_, lineEndsText(state_.lineEnds));
}

void StatusLine::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    // The bar lives in the strip the window's layout leaves below the editor, which can be
    // lower than a line of the usual font: the font shrinks to fit it.
    QFont f = font();
    const int size = std::clamp(height() - 2, 1, fullPixelSize_);
    if (f.pixelSize() != size) {
        f.setPixelSize(size);
        setFont(f);
    }
}

} // namespace quenbry
