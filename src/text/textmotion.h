#pragma once
// Where the caret goes over the text, written once for the view's keys and mouse and for the
// model's Backspace and Delete. A CR LF line end and a surrogate pair are one character; the
// caret also steps over the marks that belong to the character before them.

namespace quenbry {

class EditorCore;

// The character before or after pos: one position, or two for a CR LF pair or a surrogate
// pair. What Backspace and Delete remove.
int characterBefore(const EditorCore &text, int pos);
int characterAfter(const EditorCore &text, int pos);

// The caret's next place to the left or right: a character with the marks that follow it.
int caretBefore(const EditorCore &text, int pos);
int caretAfter(const EditorCore &text, int pos);

// Words for Ctrl with the arrows, Ctrl+Backspace and double-clicks: letters, digits and marks;
// runs of other visible characters; and the space between them. None crosses a line end.
int nextWord(const EditorCore &text, int pos);
int previousWord(const EditorCore &text, int pos);
// Where the word at or after pos ends (Ctrl+Delete removes up to it).
int endOfWord(const EditorCore &text, int pos);

struct TextRange {
    int from = 0;
    int to = 0;
    bool operator==(const TextRange &) const = default;
};
// The word under pos (a double-click), within its line.
TextRange wordAt(const EditorCore &text, int pos);
// The line holding pos with its line end (a triple-click).
TextRange lineWithEndAt(const EditorCore &text, int pos);

} // namespace quenbry
