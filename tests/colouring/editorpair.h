#pragma once
// Two in-memory editors driven alike, each wired the way the main window wires the colouring:
// one colours with SyntaxColouring (incremental pass), the other with the reference pass. Used
// by the differential test and the fuzz target.

#include "colouring/referencepass.h"
#include "colouring/syntaxcolouring.h"
#include "platform/editorcore.h"

#include <QString>
#include <array>
#include <string>

namespace quenbry::testing {

// One user action, applied to both editors.
struct EditOp {
    enum Kind { Type, Backspace, Delete, Select, Paste, SetText, UnrecordedReplace };
    Kind kind = Type;
    int code = 0;   // Type: the character code
    int start = 0;  // Select, UnrecordedReplace: where (taken modulo length + 1)
    int length = 0; // Select, UnrecordedReplace: how much
    QString text;   // Paste, SetText, UnrecordedReplace
};

// Performs one action on an editor as a user or the program would; an unrecorded replace
// edits with recording switched off, as Undo and Redo do.
inline void applyEditOp(EditorCore &core, bool &recording, const EditOp &op) {
    const int n = core.length();
    switch (op.kind) {
    case EditOp::Type:
        core.typeCharacter(op.code);
        break;
    case EditOp::Backspace:
        core.pressBackspace();
        break;
    case EditOp::Delete:
        core.pressDelete();
        break;
    case EditOp::Select: {
        const int start = op.start % (n + 1);
        core.selectFromUser(start, op.length % (n - start + 1));
        break;
    }
    case EditOp::Paste:
        core.insertFromUser(op.text);
        break;
    case EditOp::SetText:
        core.setText(op.text);
        break;
    case EditOp::UnrecordedReplace: {
        // Undo and Redo edit with recording off: no pass follows.
        const int start = op.start % (n + 1);
        recording = false;
        core.setSelStart(start);
        core.setSelLength(op.length % (n - start + 1));
        core.setSelText(op.text);
        recording = true;
        break;
    }
    }
}

class ColouredEditor {
public:
    explicit ColouredEditor(bool useReference)
        : reference_(useReference) {
        core.onKeyPress = [this](int &key) {
            codes.colourKeystroke(core, key);
        };
        core.onChange = [this] {
            changed();
        };
    }
    ColouredEditor(const ColouredEditor &) = delete;
    ColouredEditor &operator=(const ColouredEditor &) = delete;

    EditorCore core;
    SyntaxColouring codes;
    bool recording = true;
    // Filled on every pass of the incremental editor: what a pass broke, if anything.
    std::string passFault;
    // A change went by without a pass since the last pass.
    bool passPending = false;

    void apply(const EditOp &op) { applyEditOp(core, recording, op); }

private:
    void changed() {
        if (!reference_)
            codes.noteEdit(core.lastEdit());
        passPending = !recording;
        if (!recording)
            return;
        if (reference_) {
            reference::colorRegion(core);
            return;
        }
        const int selStart = core.selStart();
        const int selLength = core.selLength();
        const auto before = colours();
        codes.colourRegions(core);
        if (core.selStart() != selStart || core.selLength() != selLength)
            passFault = "the pass moved the selection";
        // Only characters inside tags and comments may change colour in a pass.
        const auto after = colours();
        std::vector<bool> inside(before.size(), false);
        for (const auto &r : reference::regions(core.text()))
            for (int i = r.start; i <= r.end; ++i)
                inside[size_t(i)] = true;
        for (size_t i = 0; i < before.size(); ++i)
            if (before[i] != after[i] && !inside[i])
                passFault =
                    "the pass coloured text outside tags and comments at " + std::to_string(i);
    }

    std::vector<QRgb> colours() const {
        std::vector<QRgb> out(size_t(core.length()));
        for (int i = 0; i < core.length(); ++i)
            out[size_t(i)] = core.colourAt(i);
        return out;
    }

    bool reference_;
};

// The characters random texts and keystrokes are drawn from: markup, CR LF and letters.
inline constexpr std::array<char16_t, 16> kAlphabet = {u'<', u'>', u'=',  u'"',  u'!', u'-',
                                                       u'%', u' ', u'\r', u'\n', u'a', u'b',
                                                       u'D', u'/', u'<',  u'>'};

} // namespace quenbry::testing
