#pragma once
// The small editing commands: the Tags menu's fixed pieces of markup, and Cut, Copy, Paste and
// Select all through the clipboard's plain text.

#include "platform/services.h"
#include "text/editorbuffer.h"

#include <array>

namespace quenbry {

struct TagCommand {
    const char *item;    // menu item name
    const char *caption; // menu caption
    const char *text;    // the markup inserted
};

// In menu order.
inline constexpr std::array<TagCommand, 5> tagCommands{{
    {"mnumarquee", "Marquee", "<marquee></marquee>"},
    {"mnulnbreak", "Line Break", "<br />"},
    {"mnubold", "Bold", "<b></b>"},
    {"mnufont", "Font", "<font></font>"},
    {"mnuhr", "Horizontal Rule", "<hr />"},
}};

// Replaces the selection with the tag's text; the caret ends after it.
void insertTag(EditorBuffer &editor, const QString &text);
void copySelection(EditorBuffer &editor, Clipboard &clipboard);
void cutSelection(EditorBuffer &editor, Clipboard &clipboard);
void pasteClipboard(EditorBuffer &editor, const Clipboard &clipboard);
void selectAll(EditorBuffer &editor);

} // namespace quenbry
