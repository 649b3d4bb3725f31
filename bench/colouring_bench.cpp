// Region colouring on the in-memory editor: the first pass over a freshly set page, and the
// cost of one keystroke (colour-as-you-type, insertion, noteEdit and the pass) typed in the
// middle of the page. Prints a table.

#include "colouring/syntaxcolouring.h"
#include "pages.h"
#include "text/editorcore.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

using namespace quenbry;

namespace {

// Thread CPU time: the machine is shared, and wall time would measure the neighbours too.
struct Clock {
    using time_point = double;
    static double now() {
        timespec ts{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
        return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
    }
};

double msSince(double t) {
    return Clock::now() - t;
}

struct Page {
    const char *name;
    QString text;
};

// The colouring alone over a model, fed every change as the edit session feeds it; with
// passes, each change is followed by the region pass.
struct Coloured : EditorObserver {
    explicit Coloured(bool passes)
        : passes(passes) {
        editor.addObserver(this);
    }
    ~Coloured() override { editor.removeObserver(this); }
    void textChangeNotified() override {
        const TextReplaced &edit = editor.lastChange();
        codes.noteEdit(edit.start, edit.removed, edit.inserted);
        if (passes)
            codes.colourRegions(editor);
    }
    void type(int key) {
        codes.colourKeystroke(editor, key);
        if (key != 0)
            editor.typeCharacter(key);
    }
    EditorCore editor;
    SyntaxColouring codes;
    bool passes;
};

// The first pass after setText: best of three runs.
double firstPass(const QString &page) {
    double best = 1e30;
    for (int run = 0; run < 3; ++run) {
        Coloured c(false);
        EditorCore &editor = c.editor;
        SyntaxColouring &codes = c.codes;
        editor.setText(page);
        const auto t = Clock::now();
        codes.colourRegions(editor);
        best = std::min(best, msSince(t));
    }
    return best;
}

struct Percentiles {
    double p50, p99, max;
};

Percentiles keystrokes(const QString &page) {
    Coloured c(true);
    EditorCore &editor = c.editor;
    editor.setText(page);
    editor.selectFromUser(int(page.size()) / 2, 0);
    // Letters, `<`, `=`, `"`, `>`, space and Backspace, as someone typing a tag would.
    const QString keys = QStringLiteral("<a href=\"x y\" b=c>text ab\b\b\bq ");
    std::vector<double> times;
    for (int i = 0; i < 500; ++i) {
        const auto t = Clock::now();
        c.type(keys[i % keys.size()].unicode());
        times.push_back(msSince(t));
    }
    std::sort(times.begin(), times.end());
    return {times[times.size() / 2], times[times.size() * 99 / 100], times.back()};
}

// One edit in the middle of a page that moves region boundaries far, and the keystroke after
// it: the cost of each.
struct EditCost {
    double edit, next;
};

EditCost boundaryEdit(const QString &page, int offset, const QString &keys) {
    Coloured c(true);
    EditorCore &editor = c.editor;
    editor.setText(page);
    const int at = int(page.indexOf(QStringLiteral("</p>"), page.size() / 2));
    editor.selectFromUser(at, 0);
    c.type('x'); // moves the editor's gap here first
    editor.selectFromUser(at + 1 + offset, 0);
    double last = 0, before = 0;
    for (QChar k : keys) {
        before = last;
        const auto t = Clock::now();
        c.type(k.unicode());
        last = msSince(t);
    }
    return {before, last};
}

} // namespace

int main() {
    const Page pages[] = {
        {"realistic 100 KB", bench::realisticPage(100'000)},
        {"realistic 1 MB", bench::realisticPage(1'000'000)},
        {"realistic 10 MB", bench::realisticPage(10'000'000)},
        {"minified 100 KB", bench::minifiedPage(100'000)},
        {"minified 1 MB", bench::minifiedPage(1'000'000)},
        // One huge tag: the tag walk must stay linear however many `=` it holds.
        {"1 MB tag a=a=a..", "<a" + QString("=a").repeated(500'000) + " x>"},
        {"1 MB tag =<=<..", "<a" + QString("=<").repeated(500'000) + ">"},
    };
    std::printf(
        "Thread CPU time; a keystroke is colourKeystroke, insertion, noteEdit and the pass.\n");
    std::printf("%-18s %10s %12s %14s %14s %14s\n", "page", "chars", "first pass", "key p50",
                "key p99", "key max");
    for (const Page &p : pages) {
        const double first = firstPass(p.text);
        const Percentiles k = keystrokes(p.text);
        std::printf("%-18s %10lld %9.1f ms %11.4f ms %11.4f ms %11.4f ms\n", p.name,
                    static_cast<long long>(p.text.size()), first, k.p50, k.p99, k.max);
    }

    const QString big = bench::realisticPage(10'000'000);
    std::printf("\nrealistic 10 MB, at a </p> mid-page: the edit, then one more key\n");
    const struct {
        const char *name;
        int offset; // from the `<` of the </p>
        QString keys;
    } edits[] = {
        {"`<!` (comment opener)", 0, QStringLiteral("<!a")},
        {"`<` (tag to the `>`)", 0, QStringLiteral("<a")},
        {"Backspace over `>`", 4, QStringLiteral("\ba")},
    };
    for (const auto &e : edits) {
        const EditCost c = boundaryEdit(big, e.offset, e.keys);
        std::printf("%-24s edit %8.4f ms   next key %8.4f ms\n", e.name, c.edit, c.next);
    }
    return 0;
}
