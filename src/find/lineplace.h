#pragma once
// Where a typed "120" or "120:5" leads: a line, or a line and a column, both counted from 1 (a
// CR LF, an LF or a CR ends a line; a column is a character as the editor stores it).

#include <QString>

namespace quenbry {

class EditorCore;

struct LinePlace {
    int offset = -1; // where the caret goes; -1 when the input leads nowhere
    QString error;   // why not, in words for the user
};

LinePlace linePlace(const EditorCore &text, const QString &input);

// What the Go to Line dialog says the input may be.
QString linePlaceHint(const EditorCore &text);

} // namespace quenbry
