#pragma once
// The document's edit history: one entry per recorded change, Undo and Redo between them, and
// the availability of both commands. Entries are kept as differences between neighbours, with
// the editor's own text as the newest state, so the history costs what the edits cost.

#include "text/editorbuffer.h"
#include "textdelta.h"

#include <QString>
#include <optional>
#include <vector>

namespace quenbry {

// What Undo and Redo need of one recorded state besides its text, which the history keeps only
// as differences from its neighbours.
struct UndoElement {
    int selStart = 0; // the caret right after the change
    int textLen = 0;  // the length of the whole text right after the change
    bool operator==(const UndoElement &) const = default;
};

// What the history needs from whoever drives it (the edit session).
class HistoryHost {
public:
    virtual ~HistoryHost() = default;
    // Undo or Redo may have become available or unavailable: after every recorded change,
    // every Undo and Redo (also one that could not act) and every reset.
    virtual void availabilityChanged(bool canUndo, bool canRedo) = 0;
    // Undo found the newest change starting before the first character, where the editor
    // cannot put the caret, and restored the older text another way.
    virtual void undoRejected() = 0;
    // Hides (true) or shows again (false) the editor's selection highlight.
    virtual void hideSelection(bool hide) = 0;
    virtual void focusEditor() = 0;
};

class History {
public:
    History(EditorBuffer &buffer, HistoryHost &host);

    // Recording is off until start-up has finished, and off while Undo or Redo edits the
    // text: changes are recorded only while it is on.
    bool isRecording() const { return recording_; }
    void setRecording(bool recording) { recording_ = recording; }

    // Runs on every change of the text, recorded or not, before recordChange: it keeps the
    // stored entries in step with the text the editor holds.
    void noteEdit();
    // The change handling after the modified flag has been set: when recording is on, drops
    // the redo entries, records the current state and reports the availability. True when
    // the region colouring pass must follow.
    bool recordChange();

    // Both act only while recording is on, and both leave it on.
    void undo();
    void redo();
    // While recording is on: starts the history afresh with the current state as its only
    // entry (the end of start-up).
    void reset();
    // Forgets every entry, so that the next recorded change is the first: a whole new text
    // then goes in without the history keeping a copy of it.
    void clear();

    // More than one entry on the undo stack: the newest can be undone.
    bool canUndo() const { return undoCount_ > 1; }
    bool canRedo() const { return redoCount() > 0; }

    // Oldest first. The redo stack's last element is the one the next Redo brings back.
    std::vector<UndoElement> undoStack() const;
    std::vector<UndoElement> redoStack() const;
    int undoCount() const { return undoCount_; }
    int redoCount() const { return int(entries_.size()) - undoCount_; }

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

    enum class Direction { Undo, Redo };
    // Undo and Redo: turns the text into the neighbouring entry's and moves the boundary
    // between the stacks by one.
    void step(Direction direction);
    // How Undo or Redo would edit the text, guessed from the two entries' lengths and carets
    // the way the change was recorded; nothing when no guess can be made. startRejected:
    // the change would start before the first character.
    std::optional<Plan> guessUndo(const UndoElement &older, const UndoElement &newer,
                                  const TextDelta &toTarget, bool &startRejected) const;
    std::optional<Plan> guessRedo(const UndoElement &newer, const TextDelta &toTarget) const;
    bool turnsInto(const Plan &plan, const TextDelta &toTarget) const;
    Plan restoreRun(const TextDelta &toTarget) const;
    void apply(const Plan &plan);
    void notifyAvailability();

    EditorBuffer &buffer_;
    HistoryHost &host_;
    // Undo stack first (oldest first), then the redo stack from the most recently undone on.
    std::vector<Entry> entries_;
    int undoCount_ = 0;
    bool recording_ = false;
    // From the newest undo entry's text to the text in the editor; empty unless something
    // edited the text without being recorded.
    TextDelta drift_;
    // While Undo or Redo's own edit is still to come.
    bool applying_ = false;
};

} // namespace quenbry
