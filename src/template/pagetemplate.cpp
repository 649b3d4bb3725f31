#include "pagetemplate.h"

#include <QStringList>

namespace quenbry {

namespace {

// Lines 9 and 10 are the only ones whose ends differ between the built and the start-up
// page, so both go through here with their tails spelled out.
QString skeleton(const QString &title, const QString &fontFamilyLine, const QString &fontSizeLine) {
    const QStringList lines{
        QStringLiteral("<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\""),
        QStringLiteral("\"http://www.w3.org/TR/html4/loose.dtd\">"),
        QStringLiteral("<html>"),
        QStringLiteral("<head>"),
        QStringLiteral(
            "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=iso-8859-1\">"),
        QStringLiteral("<title>") + title + QStringLiteral("</title>"),
        QStringLiteral("<style type=\"text/css\"><!--"),
        QStringLiteral("body,td,th {"),
        fontFamilyLine,
        fontSizeLine,
        QStringLiteral("}"),
        QStringLiteral("-->"),
        QStringLiteral("</style></head>"),
        QString(),
        QStringLiteral("<body>"),
        QStringLiteral("</body>"),
        QStringLiteral("</html>"),
    };
    return lines.join(QStringLiteral("\r\n"));
}

} // namespace

// The size carries its unit: browsers ignore a bare number as a length in the mode this
// doctype selects, and the dialog's number means pixels.
QString pageText(const QString &title, const QString &fontName, qint16 fontSize) {
    return skeleton(title, QStringLiteral("    font-family: ") + fontName + QLatin1Char(';'),
                    QStringLiteral("    font-size: ") + QString::number(fontSize) +
                        QStringLiteral("px;"));
}

QString defaultPage() {
    return skeleton(QStringLiteral("New Page"),
                    QStringLiteral("    font-family: Arial, Helvetica, sans-serif ;"),
                    QStringLiteral("    font-size: 12px ;"));
}

void putPage(EditorBuffer &editor, const QString &page) {
    editor.setText(QString());
    editor.setSelText(page);
}

} // namespace quenbry
