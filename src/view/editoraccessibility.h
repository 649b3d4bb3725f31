#pragma once
// What screen readers see of the editor view: its text, caret and selection through Qt's
// accessible text interface, and the events that tell them of changes.

namespace quenbry {

class EditorView;

enum AccessibleChange { AccessibleText, AccessibleCaret };

// Makes Qt's accessibility ask this room for the editor view's interface; once is enough.
void installEditorAccessibility();
// Tells an active screen reader that the view's text changed ([start, start + removed)
// replaced by inserted characters) or that its caret or selection moved.
void notifyEditorAccessibility(EditorView *view, AccessibleChange kind, int start, int removed,
                               int inserted);

} // namespace quenbry
