#include "colouringsession.h"

#include "colouring/syntaxcolouring.h"
#include "referencepass.h"
#include "text/editorcore.h"

namespace quenbry::testing {

namespace {

// The characters texts and keystrokes are drawn from: markup, CR LF and letters.
char16_t letter(int byte) {
    return u"<>=\"!-% \r\nabD/<>"[byte % 16];
}

struct Input {
    const std::uint8_t *p, *end;
    bool empty() const { return p == end; }
    int byte() { return p == end ? 0 : *p++; }
    int number() { return byte() | byte() << 8; }
    QString text(int length) {
        QString out;
        for (int i = 0; i < length && !empty(); ++i)
            out += QChar(letter(byte()));
        return out;
    }
};

// An editor wired the way the main window wires the colouring, counting the characters the
// colouring reads and paints. The reference side repaints the whole text the slow way instead.
class ColouredEditor : public EditorCore {
public:
    explicit ColouredEditor(bool reference) {
        onKeyPress = [this](int &key) {
            colouring.colourKeystroke(*this, key);
        };
        onChange = [this, reference] {
            passPending = !recording;
            if (reference && recording)
                reference::colourRegions(*this);
            if (reference)
                return;
            colouring.noteEdit(lastEdit());
            if (!recording)
                return;
            const int selStart = this->selStart(), selLength = this->selLength();
            work_ = 0;
            colouring.colourRegions(*this);
            if (work_ > 8LL * length() + 64 && fault.empty())
                fault = "a pass did more than linear work";
            if ((this->selStart() != selStart || this->selLength() != selLength) && fault.empty())
                fault = "a pass moved the selection";
        };
    }

    SyntaxColouring colouring;
    bool recording = true;
    bool passPending = false; // a change went by without a pass
    std::string fault;        // the first thing a pass did wrong

    QChar at(int offset) const override {
        ++work_;
        return EditorCore::at(offset);
    }
    QString mid(int start, int length) const override {
        work_ += std::max(length, 0);
        return EditorCore::mid(start, length);
    }
    QStringView peek(int start, int length, QString &scratch) const override {
        work_ += std::max(length, 0);
        return EditorCore::peek(start, length, scratch);
    }
    int indexOf(QChar c, int from) const override {
        return counted(EditorCore::indexOf(c, from), from);
    }
    int indexOf(QStringView s, int from) const override {
        return counted(EditorCore::indexOf(s, from), from);
    }
    void setColour(int start, int length, Rgb colour) override {
        work_ += std::max(length, 0);
        EditorCore::setColour(start, length, colour);
    }

private:
    int counted(int hit, int from) const {
        work_ += (hit >= 0 ? hit : length()) - std::max(from, 0) + 1;
        return hit;
    }
    mutable long long work_ = 0;
};

} // namespace

std::string runColouringSession(const std::uint8_t *data, std::size_t size, const QString &page) {
    Input in{data, data + size};
    ColouredEditor fast(false), slow(true);
    const QString start = page.isNull() ? in.text(in.byte() * 2) : page;
    fast.setText(start);
    slow.setText(start);
    for (int step = 0; !in.empty(); ++step) {
        const int kind = in.byte() % 16;
        int code = 0, from = 0, count = 0;
        QString text;
        if (kind < 8) {
            code = letter(in.byte());
        } else if (kind == 10 || kind == 11) {
            from = in.number();
            count = kind == 11 ? in.byte() : 0;
        } else if (kind == 12 || kind == 13) {
            text = in.text(kind == 12 ? in.byte() % 16 : in.byte());
        } else if (kind > 13) {
            from = in.number();
            count = in.byte() % 8;
            text = in.text(in.byte() % 8);
        }
        for (ColouredEditor *e : {&fast, &slow}) {
            const int start = from % (e->length() + 1);
            const int length = count % (e->length() - start + 1);
            if (kind < 8) {
                e->typeCharacter(code);
            } else if (kind < 10) {
                kind == 8 ? e->pressBackspace() : e->pressDelete();
            } else if (kind < 12) {
                e->selectFromUser(start, length);
            } else if (kind < 14) {
                kind == 12 ? e->insertFromUser(text) : e->setText(text);
            } else { // as Undo and Redo edit: with recording off, and no pass after it
                e->recording = false;
                e->setSelStart(start);
                e->setSelLength(length);
                e->setSelText(text);
                e->recording = true;
            }
        }
        std::string fault = fast.fault;
        if (fault.empty() && fast.text() != slow.text())
            fault = "the texts differ";
        if (fault.empty() && fast.colourRuns() != slow.colourRuns())
            fault = "the incremental pass differs from the reference pass";
        if (fault.empty() && !fast.passPending &&
            fast.colouring.regions() != SyntaxColouring::scanRegions(fast))
            fault = "what the pass keeps differs from a fresh scan";
        if (!fault.empty())
            return "step " + std::to_string(step) + ", kind " + std::to_string(kind) + ": " +
                   fault + "; text \"" + fast.text().toStdString() + '"';
    }
    return {};
}

} // namespace quenbry::testing
