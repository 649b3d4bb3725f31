#pragma once
// An in-memory editor wired to a History the way the main window wires them, with a host
// that remembers what the history asked of it.

#include "history/history.h"
#include "platform/editorcore.h"

#include <vector>

namespace quenbry {

class FakeHistoryHost : public HistoryHost {
public:
    struct Call {
        enum Kind { Availability, UndoRejected, Hide, Focus } kind;
        bool flag = false;
        bool second = false;
        bool operator==(const Call &) const = default;
    };

    void availabilityChanged(bool canUndo, bool canRedo) override {
        this->canUndo = canUndo;
        this->canRedo = canRedo;
        undoRejected_ = false;
        calls.push_back({Call::Availability, canUndo, canRedo});
    }
    void undoRejected() override {
        undoRejected_ = true;
        calls.push_back({Call::UndoRejected});
    }
    void hideSelection(bool hide) override { calls.push_back({Call::Hide, hide}); }
    void focusEditor() override { calls.push_back({Call::Focus}); }

    // The hidden Undo button: available, unless the last Undo was rejected since.
    bool hiddenUndoEnabled() const { return canUndo && !undoRejected_; }

    bool canUndo = false;
    bool canRedo = false;
    std::vector<Call> calls;

private:
    bool undoRejected_ = false;
};

// The main window's part: Modified and the change handling on every change notification, and
// the start-up order (page in, recording on, one direct change handling, history reset).
struct HistoryHarness {
    explicit HistoryHarness(const QString &page) {
        editor.onChange = [this] {
            history.noteEdit();
            modified = true;
            if (!history.isRecording())
                ++unrecordedChanges;
            if (history.recordChange())
                ++regionPasses;
        };
        editor.setText(QString());
        editor.setSelText(page);
        history.setRecording(true);
        modified = true;
        if (history.recordChange())
            ++regionPasses;
        history.reset();
        editor.setSelStart(0);
        modified = false;
        host.calls.clear();
    }

    EditorCore editor;
    FakeHistoryHost host;
    History history{editor, host};
    bool modified = false;
    int regionPasses = 0;
    int unrecordedChanges = 0;
};

} // namespace quenbry
