#include "lineplace.h"

#include "text/editorcore.h"

#include <QCoreApplication>
#include <QRegularExpression>

namespace quenbry {

namespace {

// The translation context of the messages below.
struct Text {
    Q_DECLARE_TR_FUNCTIONS(LinePlace)
};

} // namespace

QString linePlaceHint(const EditorCore &text) {
    return Text::tr("Line (1 to %1), or line:column:").arg(text.lineCount());
}

LinePlace linePlace(const EditorCore &text, const QString &input) {
    static const QRegularExpression form(QStringLiteral("^\\s*(\\d+)\\s*(?::\\s*(\\d+)\\s*)?$"));
    const QRegularExpressionMatch m = form.match(input);
    const int lines = text.lineCount();
    if (!m.hasMatch())
        return {-1, Text::tr("Type a line number from 1 to %1, or a line and a column as "
                             "in 12:5.")
                        .arg(lines)};
    // Digits beyond the int range read as 0, which is refused like any line out of range.
    const int line = m.captured(1).toInt();
    if (line < 1 || line > lines)
        return {-1, Text::tr("There is no line %1: the text has lines 1 to %2.")
                        .arg(m.captured(1))
                        .arg(lines)};
    const int start = text.lineStart(line - 1);
    const int columns = text.lineEnd(line - 1) - start + 1;
    if (!m.hasCaptured(2))
        return {start, {}};
    const int column = m.captured(2).toInt();
    if (column < 1 || column > columns)
        return {-1, Text::tr("Line %1 has columns 1 to %2.").arg(line).arg(columns)};
    return {start + column - 1, {}};
}

} // namespace quenbry
