#pragma once
// An in-memory editor wired to a History the way the main window wires them, with a host
// that remembers what the history asked of it.

#include "history/history.h"
#include "platform/editorcore.h"

#include <map>
#include <vector>

namespace quenbry {

class FakeHistoryHost : public HistoryHost {
public:
    struct Call {
        enum Kind { Enable, SelChange, Hide, Focus } kind;
        HistoryCommand which = HistoryCommand::XPButton7;
        bool flag = false;
        bool operator==(const Call &) const = default;
    };

    void setCommandEnabled(HistoryCommand which, bool enabled) override {
        this->enabled[which] = enabled;
        calls.push_back({Call::Enable, which, enabled});
    }
    void selChange() override { calls.push_back({Call::SelChange}); }
    void hideSelection(bool hide) override { calls.push_back({Call::Hide, {}, hide}); }
    void focusEditor() override { calls.push_back({Call::Focus}); }

    bool isEnabled(HistoryCommand which) const {
        const auto it = enabled.find(which);
        return it != enabled.end() && it->second;
    }

    std::map<HistoryCommand, bool> enabled;
    std::vector<Call> calls;
};

// The main window's part: Modified and the change handling on every change notification, and
// the start-up order (page in, recording on, one direct change handling, history reset).
struct HistoryHarness {
    explicit HistoryHarness(const QString &page) {
        editor.onChange = [this] {
            history.noteEdit();
            modified = true;
            if (!history.trapUndo)
                ++unrecordedChanges;
            if (history.recordChange())
                ++regionPasses;
        };
        editor.setText(QString());
        editor.setSelText(page);
        history.trapUndo = true;
        modified = true;
        if (history.recordChange())
            ++regionPasses;
        history.reinitUndo();
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
