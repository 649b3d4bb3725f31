#include "historyscenario.h"

#include "editing/editsession.h"

#include <algorithm>

namespace quenbry {

namespace {

// After Undo or Redo turned `before` into `after`, the selection shows what came back: the
// smallest run whose replacement turns one text into the other, selected when it is longer than
// one character or a line end, otherwise the caret right after it (where removed text was, when
// nothing came back).
bool showsTheChange(const QString &before, const QString &after, int selStart, int selLength) {
    const int shorter = int(std::min(before.size(), after.size()));
    int prefix = 0;
    while (prefix < shorter && before[prefix] == after[prefix])
        ++prefix;
    int suffix = 0;
    while (suffix < shorter &&
           before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix])
        ++suffix;
    const int unchanged = std::min(prefix + suffix, shorter);
    const int runLength = int(after.size()) - unchanged;
    const int start = selLength > 0 ? selStart : selStart - runLength;
    // The run may stand anywhere the text around it stayed as it was.
    if (start < unchanged - suffix || start > prefix || start > unchanged)
        return false;
    const QString run = after.mid(start, runLength);
    const bool selected = runLength > 1 && run != QLatin1String("\r\n");
    return selected ? selLength == runLength : selLength == 0;
}

// The program's edit session, beside a model of its history: each recorded change is an entry
// holding the text and the caret the user saw right after it.
class Scenario : private EditSessionListener {
public:
    Scenario(const std::uint8_t *data, std::size_t size)
        : data_(data)
        , size_(size) {
        session_.addListener(this);
        // Start-up: the page goes in unrecorded, recording starts with its change handling, the
        // history starts afresh and the caret goes to the start.
        e_.setText(QString());
        e_.setSelText(QStringLiteral("<html>\r\n<body>\r\n</body>\r\n</html>"));
        session_.setRecording(true);
        session_.handleChange();
        session_.resetHistory();
        undo_.assign(1, {e_.text(), e_.length()});
        redo_.clear();
        e_.setSelStart(0);
    }
    ~Scenario() override { session_.removeListener(this); }

    std::string run() {
        expectAvailability();
        for (step_ = 0; pos_ < size_ && error_.empty(); ++step_) {
            act(next() % 12);
            expectAvailability();
        }
        // Every entry is still exact: Undo down to the first, then Redo up to the last.
        while (error_.empty() && undo_.size() > 1)
            undo();
        while (error_.empty() && !redo_.empty())
            redo();
        return error_;
    }

private:
    struct Entry {
        QString text;
        int caret = 0;
    };

    void textChanged() override {
        if (session_.isRecording()) {
            undo_.push_back({e_.text(), e_.selStart()});
            redo_.clear();
        }
    }
    void undoAvailabilityChanged(bool canUndo, bool canRedo) override {
        canUndo_ = canUndo;
        canRedo_ = canRedo;
    }
    void undoRejected() override { ++rejected_; }
    void historyStepped() override { ++focused_; }

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
        static const int keys[] = {'a', 'b', '<', '>', '\r', ' ', '!', '%'};
        switch (op) {
        case 0:
        case 1:
            session_.typeCharacter(keys[next() % 8]);
            break;
        case 2:
            session_.typeCharacter('\b');
            break;
        case 3:
            e_.pressDelete();
            break;
        case 4: {
            const int start = pick(e_.length());
            e_.selectFromUser(start, pick(e_.length() - start));
            break;
        }
        case 5: { // select and type over the selection
            const int start = pick(e_.length());
            e_.selectFromUser(start, 1 + pick(std::max(0, e_.length() - start - 1)));
            session_.typeCharacter(keys[next() % 8]);
            break;
        }
        case 6: // paste
            e_.setSelText(someText());
            break;
        case 7: // tag insertion around the selection
            e_.setSelText(QLatin1String("<b>") + e_.selText() + QLatin1String("</b>"));
            break;
        case 8: // a whole new text, as Open and the New Page dialog put it
            if (next() % 4 == 0)
                e_.setText(someText() + someText());
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
        const bool possible = undo_.size() > 1;
        const Entry newest = undo_.back();
        if (possible) {
            redo_.push_back(newest);
            undo_.pop_back();
        }
        const int rejected = rejected_;
        step("Undo", &EditSession::undo, possible);
        // The old program's error 380: the newest change made the text longer than the caret
        // it left is far from the start, so its start would lie before the first character.
        const int growth = int(newest.text.size() - undo_.back().text.size());
        expect((rejected_ > rejected) == (possible && newest.caret < growth),
               "Undo rejected where it should not, or not where it should");
    }

    void redo() {
        const bool possible = !redo_.empty();
        if (possible) {
            undo_.push_back(redo_.back());
            redo_.pop_back();
        }
        step("Redo", &EditSession::redo, possible);
    }

    // Undo or Redo, after the model has moved: the editor must hold the text of the model's
    // newest entry, show what changed (when there was anything to undo or redo), be marked
    // modified exactly when its text changed, and have the focus.
    void step(const std::string &what, void (EditSession::*command)(), bool acts) {
        const QString before = e_.text();
        const int focused = focused_;
        session_.setModified(false);
        (session_.*command)();
        expect(e_.text() == undo_.back().text, what + " did not give the entry's text");
        expect(!acts || showsTheChange(before, e_.text(), e_.selStart(), e_.selLength()),
               what + " did not select what came back, or left the caret elsewhere");
        expect(session_.modified() == (e_.text() != before),
               what + " and the modified flag disagree");
        expect(focused_ == focused + 1, what + " left the focus elsewhere");
    }

    void expectAvailability() {
        const bool canUndo = undo_.size() > 1;
        const bool canRedo = !redo_.empty();
        const History &history = session_.history();
        expect(canUndo_ == canUndo && history.canUndo() == canUndo, "Undo's availability is wrong");
        expect(canRedo_ == canRedo && history.canRedo() == canRedo, "Redo's availability is wrong");
        expect(history.undoCount() == int(undo_.size()) && history.redoCount() == int(redo_.size()),
               "the stacks hold the wrong number of entries");
        expect(session_.isRecording(), "recording left off");
    }

    void expect(bool ok, const std::string &what) {
        if (!ok && error_.empty())
            error_ = "step " + std::to_string(step_) + ": " + what;
    }

    const std::uint8_t *data_;
    std::size_t size_;
    std::size_t pos_ = 0;
    int step_ = 0;
    EditSession session_;
    EditorCore &e_ = session_.text();
    bool canUndo_ = true, canRedo_ = true; // as last reported
    int rejected_ = 0;
    int focused_ = 0;
    std::vector<Entry> undo_;
    std::vector<Entry> redo_;
    std::string error_;
};

} // namespace

std::string runHistoryScenario(const std::uint8_t *data, std::size_t size) {
    return Scenario(data, size).run();
}

} // namespace quenbry
