#include "editcommands.h"

namespace quenbry {

void insertTag(EditorBuffer &editor, const QString &text) {
    editor.setSelText(text);
}

void copySelection(EditorBuffer &editor, Clipboard &clipboard) {
    clipboard.clear();
    clipboard.setText(editor.selText());
}

void cutSelection(EditorBuffer &editor, Clipboard &clipboard) {
    clipboard.clear();
    clipboard.setText(editor.selText());
    editor.setSelText(QString());
}

void pasteClipboard(EditorBuffer &editor, const Clipboard &clipboard) {
    editor.setSelText(clipboard.text());
}

void selectAll(EditorBuffer &editor) {
    editor.setSelStart(0);
    editor.setSelLength(editor.length());
}

} // namespace quenbry
