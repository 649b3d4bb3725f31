// Fuzz target for the colouring: random texts and keystroke/edit sequences go through
// colour-as-you-type and the incremental pass; after every step the colours must equal those
// of the reference pass, the selection must be where it was before the pass, no character
// outside tags and comments may change colour in a pass, and a pass must read and paint no
// more than a fixed multiple of the text's length.
//
// Built with libFuzzer when QUENBRY_FUZZ is on; otherwise (QUENBRY_FUZZ_DRIVER) a small main
// replays every file of the corpus folders given on the command line.

#include "colouring/editorpair.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

using namespace quenbry;
using namespace quenbry::testing;

// Counts the characters the colouring reads and paints.
class MeteredEditor : public EditorCore {
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
    int indexOf(QChar c, int from) const override {
        const int hit = EditorCore::indexOf(c, from);
        work += (hit >= 0 ? hit : length()) - std::max(from, 0) + 1;
        return hit;
    }
    int indexOf(QStringView s, int from) const override {
        const int hit = EditorCore::indexOf(s, from);
        work += (hit >= 0 ? hit : length()) - std::max(from, 0) + 1;
        return hit;
    }
    void setColour(int start, int length, QRgb colour) override {
        work += std::max(length, 0);
        EditorCore::setColour(start, length, colour);
    }
};

class Input {
public:
    Input(const uint8_t *data, size_t size)
        : p_(data)
        , end_(data + size) {}
    bool empty() const { return p_ == end_; }
    int byte() { return p_ == end_ ? 0 : *p_++; }
    int number() { return byte() | byte() << 8; }
    QString text(int length) {
        QString out;
        for (int i = 0; i < length && !empty(); ++i)
            out += QChar(kAlphabet[size_t(byte()) % kAlphabet.size()]);
        return out;
    }

private:
    const uint8_t *p_;
    const uint8_t *end_;
};

[[noreturn]] void fail(const char *what) {
    std::fprintf(stderr, "colouring_fuzz: %s\n", what);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    Input in(data, size);
    ColouredEditor slow(true);
    // The incremental side on a metered editor, wired like the main window.
    MeteredEditor fast;
    SyntaxColouring codes;
    bool recording = true;
    fast.onKeyPress = [&](int &key) {
        codes.colourKeystroke(fast, key);
    };
    fast.onChange = [&] {
        codes.noteEdit(fast.lastEdit());
        if (!recording)
            return;
        const int selStart = fast.selStart(), selLength = fast.selLength();
        std::vector<QRgb> before(size_t(fast.length()));
        for (int i = 0; i < fast.length(); ++i)
            before[size_t(i)] = fast.colourAt(i);
        fast.work = 0;
        codes.colourRegions(fast);
        if (fast.work > 8LL * fast.length() + 64)
            fail("a pass did more than linear work");
        if (fast.selStart() != selStart || fast.selLength() != selLength)
            fail("a pass moved the selection");
        std::vector<bool> inside(before.size(), false);
        for (const auto &r : reference::regions(fast.text()))
            for (int i = r.start; i <= r.end; ++i)
                inside[size_t(i)] = true;
        for (int i = 0; i < fast.length(); ++i)
            if (!inside[size_t(i)] && fast.colourAt(i) != before[size_t(i)])
                fail("a pass coloured text outside tags and comments");
    };

    const QString start = in.text(in.byte() * 2);
    fast.setText(start);
    slow.core.setText(start);
    while (!in.empty()) {
        EditOp op;
        const int kind = in.byte() % 16;
        if (kind < 8) {
            op.kind = EditOp::Type;
            op.code = kAlphabet[size_t(in.byte()) % kAlphabet.size()];
        } else if (kind == 8) {
            op.kind = EditOp::Backspace;
        } else if (kind == 9) {
            op.kind = EditOp::Delete;
        } else if (kind < 12) {
            op.kind = EditOp::Select;
            op.start = in.number();
            op.length = kind == 11 ? in.byte() : 0;
        } else if (kind == 12) {
            op.kind = EditOp::Paste;
            op.text = in.text(in.byte() % 16);
        } else if (kind == 13) {
            op.kind = EditOp::SetText;
            op.text = in.text(in.byte());
        } else {
            op.kind = EditOp::UnrecordedReplace;
            op.start = in.number();
            op.length = in.byte() % 8;
            op.text = in.text(in.byte() % 8);
        }

        applyEditOp(fast, recording, op);
        slow.apply(op);
        if (fast.text() != slow.core.text())
            fail("the texts differ");
        if (fast.colourRuns() != slow.core.colourRuns())
            fail("the incremental pass differs from the reference pass");
    }
    return 0;
}

#ifdef QUENBRY_FUZZ_DRIVER
#include <QDir>
#include <QFile>

int main(int argc, char **argv) {
    int files = 0;
    for (int i = 1; i < argc; ++i) {
        const QDir dir(QString::fromLocal8Bit(argv[i]));
        for (const QString &name : dir.entryList(QDir::Files, QDir::Name)) {
            QFile f(dir.filePath(name));
            if (!f.open(QIODevice::ReadOnly))
                fail("cannot read a corpus file");
            const QByteArray data = f.readAll();
            LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(data.constData()),
                                   size_t(data.size()));
            ++files;
        }
    }
    if (files == 0)
        fail("no corpus files");
    std::printf("%d passed, 0 failed\n", files);
    return 0;
}
#endif
