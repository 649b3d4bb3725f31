#include "colouringsession.h"

#include "colouring/syntaxcolouring.h"
#include "editing/editsession.h"
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

// The model, counting the characters the colouring reads and paints.
class CountingText : public EditorCore {
public:
    mutable long long work = 0;

    QChar at(int offset) const override {
        ++work;
        return EditorCore::at(offset);
    }
    QString mid(int start, int length) const override {
        work += std::max(length, 0);
        return EditorCore::mid(start, length);
    }
    QStringView peek(int start, int length, QString &scratch) const override {
        work += std::max(length, 0);
        return EditorCore::peek(start, length, scratch);
    }
    int indexOf(QChar c, int from) const override {
        return counted(EditorCore::indexOf(c, from), from);
    }
    int indexOf(QStringView s, int from) const override {
        return counted(EditorCore::indexOf(s, from), from);
    }
    void setColour(int start, int length, Rgb colour) override {
        work += std::max(length, 0);
        EditorCore::setColour(start, length, colour);
    }

private:
    int counted(int hit, int from) const {
        work += (hit >= 0 ? hit : length()) - std::max(from, 0) + 1;
        return hit;
    }
};

// The program's own edit session over a counting model, watched as it handles each change:
// what the change handling reads and paints is counted from the moment the model has changed.
class WatchedSession : private EditorObserver, private EditSessionListener {
public:
    WatchedSession()
        : text(static_cast<CountingText &>(session.text())) {
        text.addObserver(this);
        session.addListener(this);
    }
    ~WatchedSession() override {
        session.removeListener(this);
        text.removeObserver(this);
    }

    EditSession session{std::make_unique<CountingText>()};
    CountingText &text;
    bool passPending = false; // a change went by without a pass
    std::string fault;        // the first thing a pass did wrong

private:
    void textReplaced(const TextReplaced &) override { changed(); }
    void selectionChanged(const SelectionChanged &) override { changed(); }
    void changed() {
        text.work = 0;
        selStart_ = text.selStart();
        selLength_ = text.selLength();
    }
    void textChanged() override {
        passPending = !session.isRecording();
        if (passPending)
            return;
        if (text.work > 8LL * text.length() + 64 && fault.empty())
            fault = "a change's handling did more than linear work";
        if ((text.selStart() != selStart_ || text.selLength() != selLength_) && fault.empty())
            fault = "a pass moved the selection";
    }
    int selStart_ = 0, selLength_ = 0;
};

// The oracle: the same typing state, and the whole text repainted the slow way after each
// recorded change.
class ReferenceText : public EditorCore, private EditorObserver {
public:
    ReferenceText() { addObserver(this); }
    ~ReferenceText() override { removeObserver(this); }
    void typeKey(int key) {
        colouring.colourKeystroke(*this, key);
        if (key != 0)
            typeCharacter(key);
    }
    SyntaxColouring colouring;
    bool recording = true;

private:
    void textChangeNotified() override {
        if (recording)
            reference::colourRegions(*this);
    }
};

} // namespace

std::string runColouringSession(const std::uint8_t *data, std::size_t size, const QString &page) {
    Input in{data, data + size};
    WatchedSession fast;
    EditSession &session = fast.session;
    EditorCore &text = session.text();
    ReferenceText slow;
    const QString start = page.isNull() ? in.text(in.byte() * 2) : page;
    session.setRecording(true);
    text.setText(start);
    slow.setText(start);
    for (int step = 0; !in.empty(); ++step) {
        const int kind = in.byte() % 16;
        int code = 0, from = 0, count = 0;
        QString inserted;
        if (kind < 8) {
            code = letter(in.byte());
        } else if (kind == 10 || kind == 11) {
            from = in.number();
            count = kind == 11 ? in.byte() : 0;
        } else if (kind == 12 || kind == 13) {
            inserted = in.text(kind == 12 ? in.byte() % 16 : in.byte());
        } else if (kind > 13) {
            from = in.number();
            count = in.byte() % 8;
            inserted = in.text(in.byte() % 8);
        }
        for (EditorCore *e : {&text, static_cast<EditorCore *>(&slow)}) {
            const bool isFast = e == &text;
            const int start = from % (e->length() + 1);
            const int length = count % (e->length() - start + 1);
            if (kind < 8) {
                isFast ? session.typeCharacter(code) : slow.typeKey(code);
            } else if (kind < 10) {
                kind == 8 ? (isFast ? session.typeCharacter('\b') : slow.typeKey('\b'))
                          : e->pressDelete();
            } else if (kind < 12) {
                e->selectFromUser(start, length);
            } else if (kind < 14) {
                kind == 12 ? e->insertFromUser(inserted) : e->setText(inserted);
            } else { // as Undo and Redo edit: with recording off, and no pass after it
                isFast ? session.setRecording(false) : void(slow.recording = false);
                e->setSelStart(start);
                e->setSelLength(length);
                e->setSelText(inserted);
                isFast ? session.setRecording(true) : void(slow.recording = true);
            }
        }
        std::string fault = fast.fault;
        if (fault.empty() && text.text() != slow.text())
            fault = "the texts differ";
        if (fault.empty() && text.colourRuns() != slow.colourRuns())
            fault = "the incremental pass differs from the reference pass";
        if (fault.empty() && !fast.passPending &&
            session.colouring().regions() != SyntaxColouring::scanRegions(text))
            fault = "what the pass keeps differs from a fresh scan";
        if (!fault.empty())
            return "step " + std::to_string(step) + ", kind " + std::to_string(kind) + ": " +
                   fault + "; text \"" + text.text().toStdString() + '"';
    }
    return {};
}

} // namespace quenbry::testing
