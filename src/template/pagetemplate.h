#pragma once
// The HTML 4.01 Transitional page skeleton: the page the New Page dialog builds from a title
// and two font values, and the fixed page the editor starts with.

#include "text/editorbuffer.h"

#include <QString>

namespace quenbry {

// The choices of the New Page dialog's "Create Page", from which the page is built.
struct TemplateSettings {
    QString title;
    QString fontName;
    qint16 fontSize = 0;
};

// The seventeen lines, CR LF between them and none after the last. The values go in exactly
// as given: nothing is escaped or trimmed.
QString pageText(const QString &title, const QString &fontName, qint16 fontSize);
inline QString pageText(const TemplateSettings &s) {
    return pageText(s.title, s.fontName, s.fontSize);
}
// The start-up page: "New Page", Arial and 12, each font value followed by a space.
QString defaultPage();

// Replaces the editor's text by the page in two changes: the text emptied, then the page
// inserted at the caret. The caret ends after the page.
void putPage(EditorBuffer &editor, const QString &page);

} // namespace quenbry
