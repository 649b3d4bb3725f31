#include "historyscenario.h"

#include "historyharness.h"

#include <algorithm>

namespace quenbry {

namespace {

// One recorded state as the old program kept it: a whole copy of the text.
struct ModelEntry {
    int selStart = 0;
    int textLen = 0;
    QString text;
};

struct Expected {
    QString text;
    int selStart = 0;
    int selLength = 0;
    bool startRejected = false;
};

void placeAfter(Expected &e, int runStart, const QString &run) {
    const int length = int(e.text.size());
    if (run == QLatin1String("\r\n") || run.size() <= 1) {
        e.selStart = std::min(runStart + int(run.size()), length);
        e.selLength = 0;
    } else {
        e.selStart = std::min(runStart, length);
        e.selLength = std::min(int(run.size()), length - e.selStart);
    }
}

// The outcome when the guessed edit does not give the target: the differing run replaced.
Expected restoreRun(const QString &current, const QString &target) {
    const int shorter = int(std::min(current.size(), target.size()));
    int prefix = 0;
    while (prefix < shorter && current[prefix] == target[prefix])
        ++prefix;
    int suffix = 0;
    while (suffix < shorter - prefix &&
           current[current.size() - 1 - suffix] == target[target.size() - 1 - suffix])
        ++suffix;
    Expected e{target};
    placeAfter(e, prefix, target.mid(prefix, target.size() - prefix - suffix));
    return e;
}

Expected expectedUndo(const QString &current, const ModelEntry &prev, const ModelEntry &last) {
    const int length = int(current.size());
    Expected guess;
    if (prev.textLen < last.textLen) {
        const int k = last.textLen - prev.textLen;
        if (last.selStart - k < 0) {
            Expected e = restoreRun(current, prev.text);
            e.startRejected = true;
            return e;
        }
        const int s = std::min(last.selStart - k, length);
        guess.text = current.left(s) + current.mid(s + std::min(k, length - s));
        guess.selStart = s;
    } else {
        const QString r = prev.text.mid(last.selStart, prev.textLen - last.textLen);
        const int s = std::min(last.selStart, length);
        guess.text = current.left(s) + r + current.mid(s);
        placeAfter(guess, last.selStart, r);
    }
    return guess.text == prev.text ? guess : restoreRun(current, prev.text);
}

Expected expectedRedo(const QString &current, const ModelEntry &next) {
    const int length = int(current.size());
    Expected guess;
    if (next.textLen < length) {
        const int s = std::min(next.selStart, length);
        guess.text = current.left(s) + current.mid(s + std::min(length - next.textLen, length - s));
        guess.selStart = s;
    } else {
        const int d = next.textLen - length;
        if (d > 0 && next.selStart - d < 0)
            return restoreRun(current, next.text);
        const QString r = next.text.mid(next.selStart - d, d);
        const int s = std::min(next.selStart - int(r.size()), length);
        guess.text = current.left(s) + r + current.mid(s);
        placeAfter(guess, next.selStart - int(r.size()), r);
    }
    return guess.text == next.text ? guess : restoreRun(current, next.text);
}

class Scenario {
public:
    Scenario(const std::uint8_t *data, std::size_t size)
        : data_(data)
        , size_(size)
        , h_(QStringLiteral("<html>\r\n<body>\r\n</body>\r\n</html>")) {
        // Start-up records the page with the caret after it, then moves the caret to the start.
        undo_.push_back({h_.editor.length(), h_.editor.length(), h_.editor.text()});
    }

    std::string run() {
        for (step_ = 0; pos_ < size_ && error_.empty(); ++step_) {
            const int before = h_.history.undoCount();
            act(next() % 12);
            if (!error_.empty())
                break;
            // A change recorded by the editor shows as one more undo entry; mirror it.
            if (h_.history.undoCount() == before + 1 && !justMoved_) {
                redo_.clear();
                undo_.push_back({h_.editor.selStart(), h_.editor.length(), h_.editor.text()});
            }
            justMoved_ = false;
            checkStacks();
        }
        checkStacks(true);
        return error_;
    }

private:
    std::uint8_t next() { return pos_ < size_ ? data_[pos_++] : 0; }

    int pick(int bound) { return bound <= 0 ? 0 : int(next()) % (bound + 1); }

    QString someText() {
        static const char *const pieces[] = {"a", "b", "<", ">", "\r\n", "ab", "<p>", "x y", ""};
        QString out;
        for (int n = next() % 4; n > 0; --n)
            out += QLatin1String(pieces[next() % 9]);
        return out;
    }

    void act(int op) {
        EditorCore &e = h_.editor;
        static const int keys[] = {'a', 'b', '<', '>', '\r', ' ', '!', '%'};
        switch (op) {
        case 0:
        case 1:
            e.typeCharacter(keys[next() % 8]);
            break;
        case 2:
            e.pressBackspace();
            break;
        case 3:
            e.pressDelete();
            break;
        case 4: {
            const int start = pick(e.length());
            e.selectFromUser(start, pick(e.length() - start));
            break;
        }
        case 5: { // select and type over the selection
            const int start = pick(e.length());
            e.selectFromUser(start, 1 + pick(std::max(0, e.length() - start - 1)));
            e.typeCharacter(keys[next() % 8]);
            break;
        }
        case 6: // paste
            e.setSelText(someText());
            break;
        case 7: // tag insertion around the selection
            e.setSelText(QLatin1String("<b>") + e.selText() + QLatin1String("</b>"));
            break;
        case 8: // a whole new text, as Open and the New Page dialog put it
            if (next() % 4 == 0)
                e.setText(someText() + someText());
            break;
        case 9:
        case 10:
            undo();
            break;
        case 11:
            redo();
            break;
        }
    }

    void undo() {
        if (undo_.size() <= 1) {
            const QString before = h_.editor.text();
            h_.history.undo();
            expect(h_.editor.text() == before, "Undo with one entry changed the text");
            return;
        }
        const Expected want = expectedUndo(h_.editor.text(), undo_[undo_.size() - 2], undo_.back());
        const bool changesText = h_.editor.text() != undo_[undo_.size() - 2].text;
        h_.modified = false;
        h_.history.undo();
        justMoved_ = true;
        redo_.push_back(undo_.back());
        undo_.pop_back();
        expect(h_.editor.text() == undo_.back().text, "Undo left a text of no entry");
        expectSelection(want, "Undo");
        // The editor notifies only edits that change something; those must mark the document.
        expect(h_.modified == changesText, "Undo and the modified flag disagree");
        expect(h_.host.hiddenUndoEnabled() == (undo_.size() > 1 && !want.startRejected),
               "cmdUndo state after Undo");
    }

    void redo() {
        if (redo_.empty()) {
            const QString before = h_.editor.text();
            h_.history.redo();
            expect(h_.editor.text() == before, "Redo with nothing to redo changed the text");
            return;
        }
        const Expected want = expectedRedo(h_.editor.text(), redo_.back());
        h_.history.redo();
        justMoved_ = true;
        undo_.push_back(redo_.back());
        redo_.pop_back();
        expect(h_.editor.text() == undo_.back().text, "Redo left a text of no entry");
        expectSelection(want, "Redo");
        expect(h_.host.hiddenUndoEnabled() == (undo_.size() > 1), "cmdUndo state after Redo");
    }

    void expectSelection(const Expected &want, const char *what) {
        expect(h_.editor.selStart() == want.selStart && h_.editor.selLength() == want.selLength,
               (std::string(what) + " placed the caret or selection wrongly").c_str());
    }

    // Rebuilding every entry's text costs a walk over the history, so the texts are compared
    // after every step only for the entries next to the editor's state, and all of them at
    // the end of the session; the cheap parts are compared after every step.
    void checkStacks(bool allTexts = false) {
        if (!error_.empty())
            return;
        const auto undoStack = h_.history.undoStack();
        const auto redoStack = h_.history.redoStack();
        expect(undoStack.size() == undo_.size() && redoStack.size() == redo_.size(), "stack sizes");
        if (!error_.empty())
            return;
        for (size_t i = 0; i < undo_.size(); ++i)
            expect(undoStack[i] == UndoElement{undo_[i].selStart, undo_[i].textLen} &&
                       ((!allTexts && i + 2 < undo_.size()) ||
                        h_.history.undoText(int(i)) == undo_[i].text),
                   "undo entry differs");
        for (size_t i = 0; i < redo_.size(); ++i)
            expect(redoStack[i] == UndoElement{redo_[i].selStart, redo_[i].textLen} &&
                       ((!allTexts && i + 1 < redo_.size()) ||
                        h_.history.redoText(int(i)) == redo_[i].text),
                   "redo entry differs");
        const bool canUndo = undo_.size() > 1;
        const bool canRedo = !redo_.empty();
        expect(h_.host.canUndo == canUndo && h_.host.canRedo == canRedo, "command states");
        expect(h_.history.isRecording(), "recording left off");
    }

    void expect(bool ok, const char *what) {
        if (!ok && error_.empty())
            error_ = "step " + std::to_string(step_) + ": " + what;
    }

    const std::uint8_t *data_;
    std::size_t size_;
    std::size_t pos_ = 0;
    int step_ = 0;
    bool justMoved_ = false;
    HistoryHarness h_;
    std::vector<ModelEntry> undo_;
    std::vector<ModelEntry> redo_;
    std::string error_;
};

} // namespace

std::string runHistoryScenario(const std::uint8_t *data, std::size_t size) {
    return Scenario(data, size).run();
}

} // namespace quenbry
