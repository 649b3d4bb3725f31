#pragma once
// The small editing commands: a Tags item's fixed piece of markup in place of the selection,
// and Cut, Copy, Paste and Select all through the clipboard's plain text.

#include "platform/services.h"
#include "text/editorbuffer.h"

namespace quenbry {

// Replaces the selection with the tag's text; the caret ends after it.
void insertTag(EditorBuffer &editor, const QString &text);
void copySelection(EditorBuffer &editor, Clipboard &clipboard);
void cutSelection(EditorBuffer &editor, Clipboard &clipboard);
void pasteClipboard(EditorBuffer &editor, const Clipboard &clipboard);
void selectAll(EditorBuffer &editor);

} // namespace quenbry
