#pragma once
// The document's edit history: one entry per recorded change, Undo and Redo between them, and
// the availability of both commands. Entries are kept as differences between neighbours, with
// the editor's own text as the newest state, so the history costs what the edits cost.

#include "platform/editorbuffer.h"
#include "textdelta.h"

#include <QString>
#include <optional>
#include <utility>
#include <vector>

namespace quenbry {

// What Undo and Redo need of one recorded state besides its text (History::undoText and
// History::redoText rebuild that on demand).
struct UndoElement {
    int selStart = 0; // the caret right after the change
    int textLen = 0;  // the length of the whole text right after the change
    bool operator==(const UndoElement &) const = default;
};

// The widgets that carry the availability of Undo and Redo, in the order they are set.
enum class HistoryCommand { XPButton7, mnuundo, XPButton10, mnuredo, cmdUndo, cmdRedo };

// What the history needs from the main window.
class HistoryHost {
public:
    virtual ~HistoryHost() = default;
    virtual void setCommandEnabled(HistoryCommand which, bool enabled) = 0;
    // RichTextBox1_SelChange: the clipboard commands' availability.
    virtual void selChange() = 0;
    // Hides (true) or shows again (false) the editor's selection highlight.
    virtual void hideSelection(bool hide) = 0;
    virtual void focusEditor() = 0;
};

// Where the run that Change returns lies in the longer text: its offset and length, or
// nothing when it would start before the first character. longerLength is the length of the
// longer text, growth the difference of the two lengths, startSearch 1-based.
std::optional<std::pair<int, int>> changeRange(int longerLength, int growth, int startSearch);

// The characters by which the longer of two texts exceeds the shorter one, taken as the run
// that ends just before the 1-based position startSearch of the longer text (lParam2 counts
// as the longer one when both are equally long, which makes the result empty). Nothing when
// that run would start before the first character.
std::optional<QString> change(const QString &lParam1, const QString &lParam2, int startSearch);

class History {
public:
    History(EditorBuffer &buffer, HistoryHost &host);

    // Recording is on only while this is true: off until start-up has finished, and off
    // while Undo or Redo edits the text.
    bool trapUndo = false;

    // Must run on every change notification of the editor, recorded or not, before
    // recordChange: it keeps the stored entries in step with the text the editor holds.
    void noteEdit();
    // The change handling after Modified has been set: when recording is on, drops the redo
    // entries, records the current state and refreshes the commands. True when the region
    // colouring pass must follow.
    bool recordChange();

    void undo();
    void redo();
    // Starts the history afresh with the current state as its only entry (end of start-up).
    void reinitUndo();
    void refreshUndoState();

    // Oldest first. The redo stack's last element is the one the next Redo brings back.
    std::vector<UndoElement> undoStack() const;
    std::vector<UndoElement> redoStack() const;
    int undoCount() const { return undoCount_; }
    int redoCount() const { return int(entries_.size()) - undoCount_; }
    // The whole text of an entry, indexed as in undoStack() and redoStack(). Costs a copy of
    // the page and a walk over the entries in between: for checks, not for every keystroke.
    QString undoText(int index) const;
    QString redoText(int index) const;

private:
    struct Entry {
        UndoElement element;
        // From the entry before this one in the chain undo stack then redo stack, newest
        // undone last; empty for the first entry.
        TextDelta fromPrevious;
    };

    // The edit that makes the current editor text into the target text, and where the
    // caret or selection ends.
    struct Plan {
        int start = 0;
        int removeLength = 0;
        QString text;
        int finalStart = 0;
        int finalLength = 0;
    };

    bool turnsInto(const Plan &plan, const TextDelta &toTarget) const;
    Plan restoreRun(const TextDelta &toTarget) const;
    void apply(const Plan &plan);
    QString entryText(int index) const;

    EditorBuffer &buffer_;
    HistoryHost &host_;
    // Undo stack first (oldest first), then the redo stack from the most recently undone on.
    std::vector<Entry> entries_;
    int undoCount_ = 0;
    // From the newest undo entry's text to the text in the editor; empty unless something
    // edited the text without being recorded.
    TextDelta drift_;
};

} // namespace quenbry
