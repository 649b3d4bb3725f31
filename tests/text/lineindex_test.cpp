// The model's line index and change records under random edits, against line starts worked
// out afresh from the whole text after every edit.
#include "text/editorcore.h"

#include <gtest/gtest.h>
#include <random>

namespace quenbry {
namespace {

std::vector<int> lineStartsOf(const QString &t) {
    std::vector<int> starts{0};
    for (int i = 0; i < t.size(); ++i) {
        if (t[i] == u'\n' || (t[i] == u'\r' && (i + 1 == t.size() || t[i + 1] != u'\n')))
            starts.push_back(i + 1);
    }
    return starts;
}

struct Records : EditorObserver {
    explicit Records(std::vector<std::string> *log = nullptr, std::string name = {})
        : order(log ? *log : own)
        , name(std::move(name)) {}
    std::vector<TextReplaced> replaced;
    std::vector<std::string> own;
    std::vector<std::string> &order;
    std::string name;
    void textReplaced(const TextReplaced &r) override {
        replaced.push_back(r);
        order.push_back(name + "text");
    }
    void coloursChanged(const ColoursChanged &) override { order.push_back(name + "colours"); }
    void selectionChanged(const SelectionChanged &) override {
        order.push_back(name + "selection");
    }
    void textChangeNotified() override { order.push_back(name + "Change"); }
    void selectionChangeNotified() override { order.push_back(name + "SelChange"); }
};

TEST(LineIndex, FollowsEveryKindOfLineEndThroughRandomEdits) {
    std::mt19937 rng(5);
    EditorCore core;
    Records rec;
    core.addObserver(&rec);
    const QString alphabet = QStringLiteral("ab\r\n\r\n\r\nx");
    core.setText(QStringLiteral("one\r\ntwo\nthree\rfour"));
    std::vector<int> before = lineStartsOf(core.text());
    for (int step = 0; step < 3000; ++step) {
        const int len = core.length();
        const int s = int(rng() % (len + 1));
        core.setSelStart(s);
        core.setSelLength(int(rng() % 6));
        QString ins;
        for (int k = int(rng() % (step % 50 == 0 ? 40 : 4)); k > 0; --k)
            ins += alphabet[int(rng() % alphabet.size())];
        rec.replaced.clear();
        const QString old = core.text();
        core.setSelText(ins);
        const QString text = core.text();
        const std::vector<int> after = lineStartsOf(text);
        ASSERT_EQ(core.lineCount(), int(after.size())) << "step " << step;
        for (int i = 0; i < int(after.size()); ++i)
            ASSERT_EQ(core.lineStart(i), after[size_t(i)]) << "step " << step << " line " << i;
        for (int probe = 0; probe < 5; ++probe) {
            const int off = int(rng() % (text.size() + 1));
            const int line = core.lineOf(off);
            ASSERT_LE(core.lineStart(line), off);
            ASSERT_TRUE(line + 1 == core.lineCount() || core.lineStart(line + 1) > off);
            // The line's characters end where its line end begins.
            const int end = core.lineEnd(line);
            const QString content = text.mid(core.lineStart(line), end - core.lineStart(line));
            ASSERT_FALSE(content.contains(u'\r') || content.contains(u'\n'));
            ASSERT_TRUE(end == text.size() || text[end] == u'\r' || text[end] == u'\n');
        }
        // The record names the lines that changed; all others only moved.
        if (!rec.replaced.empty()) {
            const TextReplaced r = rec.replaced.back();
            const int delta = r.inserted - r.removed;
            // The removed run, read where it lies or copied out, also after a search has
            // gathered the text over it.
            if (step % 3 == 0)
                core.wholeText();
            const QString removed =
                step % 2 ? core.lastRemoved().toString() : core.lastEdit().removed;
            ASSERT_EQ(removed, old.mid(r.start, r.removed)) << "step " << step;
            ASSERT_EQ(int(after.size()), int(before.size()) - r.linesRemoved + r.linesInserted);
            for (int i = 0; i <= r.firstLine; ++i)
                ASSERT_EQ(before[size_t(i)], after[size_t(i)]) << "step " << step;
            for (int i = r.firstLine + r.linesRemoved + 1; i < int(before.size()); ++i)
                ASSERT_EQ(before[size_t(i)] + delta,
                          after[size_t(i - r.linesRemoved + r.linesInserted)])
                    << "step " << step;
        }
        before = after;
    }
    core.removeObserver(&rec);
}

// The index against starts worked out afresh, read at both sides of every start, in the
// chunks it keeps them in (at most kMaxChunkLines lines each).
void expectIndexes(const LineIndex &index, const QString &t, const std::string &where) {
    const std::vector<int> starts = lineStartsOf(t);
    ASSERT_EQ(index.count(), int(starts.size())) << where;
    ASSERT_GE(index.chunkCount() * LineIndex::kMaxChunkLines, index.count()) << where;
    for (int i = 0; i < int(starts.size()); ++i) {
        ASSERT_EQ(index.start(i), starts[size_t(i)]) << where << " line " << i;
        ASSERT_EQ(index.lineOf(starts[size_t(i)]), i) << where;
        ASSERT_EQ(index.lineOf(starts[size_t(i)] - 1), std::max(i - 1, 0)) << where;
    }
    ASSERT_EQ(index.lineOf(int(t.size())), index.count() - 1) << where;
}

// A text, its buffer and their index, edited together.
struct IndexedText {
    explicit IndexedText(const QString &t)
        : text(t) {
        buffer.assign(reinterpret_cast<const char16_t *>(t.utf16()), int(t.size()));
        index.reset(buffer);
    }
    void replace(int start, int removed, const QString &ins) {
        buffer.replace(start, removed, reinterpret_cast<const char16_t *>(ins.utf16()),
                       int(ins.size()));
        text.replace(start, removed, ins);
        index.update(buffer, start, removed, int(ins.size()));
    }
    QString text;
    TextBuffer buffer;
    LineIndex index;
};

// The edges of the chunks: a chunk ends at kMaxChunkLines lines or where a start lies more than
// 65535 characters past its base; edits split, join and shift chunks.
TEST(LineIndex, KeepsItsChunksThroughEditsAtTheirEdges) {
    const auto rep = [](const char *s, int n) {
        return QString::fromLatin1(s).repeated(n);
    };
    struct Step {
        int start, removed; // removed -1: to the end
        QString inserted;
        int chunks; // after the step
    };
    const struct {
        const char *name;
        QString text;
        int chunks;
        std::vector<Step> steps;
    } cases[] = {
        {"empty", {}, 1, {{0, 0, "\r", 1}, {1, 0, "\n", 1}, {0, -1, {}, 1}}},
        {"a start exactly 65535 past the base, then 65536",
         rep("x", 65534) + "\n",
         1,
         {{0, 0, "x", 2}, {0, 2, {}, 2}, {0, 0, "\n", 1}}},
        {"one huge line",
         rep("h", 200000),
         1,
         {{100000, 0, "\n", 2}, {5, 0, "ab", 2}, {100002, 1, {}, 1}}},
        {"a full chunk splits", rep("a\n", 1023), 1, {{0, 0, "\n", 2}}},
        {"one line past a full chunk", rep("a\n", 1024), 2, {}},
        {"a small last chunk takes in the one before", rep("a\n", 1100), 2, {{2190, 0, "\n", 2}}},
        {"deleting across chunks down to one line",
         rep("line\n", 5000),
         5,
         {{7, 25000 - 14, {}, 1}, {0, -1, {}, 1}}},
        {"a paste of many lines, taken out again",
         rep("p\r\n", 3000),
         3,
         {{4501, 0, rep("q\r\n", 20000), 23}, {4501, 60000, {}, 3}}},
        {"typing stretches a chunk past 65535 characters",
         (QString(59, u'w') + u'\n').repeated(1000),
         1,
         {{10, 0, rep("x", 6000), 2}, {10, 6000, {}, 2}}},
    };
    for (const auto &c : cases) {
        IndexedText t(c.text);
        expectIndexes(t.index, t.text, c.name);
        EXPECT_EQ(t.index.chunkCount(), c.chunks) << c.name;
        for (const Step &s : c.steps) {
            t.replace(s.start, s.removed < 0 ? int(t.text.size()) - s.start : s.removed,
                      s.inserted);
            expectIndexes(t.index, t.text, c.name);
            EXPECT_EQ(t.index.chunkCount(), s.chunks) << c.name << " at " << s.start;
        }
    }
}

// Random edits on a page of many chunks, some of its lines longer than a chunk may span: short
// and long runs with line ends in them, taken out and put in anywhere.
TEST(LineIndex, FollowsRandomEditsAcrossManyChunks) {
    std::mt19937 rng(11);
    const QString alphabet = QStringLiteral("ab\r\n\n\r\nxyz");
    const auto randomRun = [&](int n) {
        QString s;
        while (int(s.size()) < n)
            s += rng() % 3000 ? QString(alphabet[int(rng() % 9)]) : QString(60000, u'l');
        return s;
    };
    IndexedText t(randomRun(20000));
    for (int step = 0; step < 300; ++step) {
        const int start = int(rng() % (t.text.size() + 1));
        const int removed = int(rng() % (std::min<int>(int(t.text.size()) - start, 30000) + 1));
        t.replace(start, removed / (step % 3 ? 100 : 1),
                  randomRun(int(rng() % (step % 4 ? 40 : 12000))));
        expectIndexes(t.index, t.text, "step " + std::to_string(step));
    }
}

// Lines' lengths, line ends left out, walked in one go right after a page is put in (where the
// line ends' kinds are known) and after an edit (where they are not), against the lines as the
// text has them.
TEST(LineLengths, AreThoseOfTheTextsLinesWhateverTheirEnds) {
    for (const char *page : {"a\nbb\n\nccc", "a\r\nbb\r\n\r\nccc\r\n", "a\rbb\r\r", "a\r\nbb\ncc\r",
                             "a\r\nbb\rcc", "\n\r\n", "abc", ""}) {
        EditorCore core;
        core.setText(QString::fromLatin1(page));
        for (const bool edited : {false, true}) {
            const QString text = core.text();
            std::vector<int> expected, walked;
            const std::vector<int> starts = lineStartsOf(text);
            for (size_t line = 0; line < starts.size(); ++line) {
                int end = line + 1 < starts.size() ? starts[line + 1] : int(text.size());
                end -= end > starts[line] && line + 1 < starts.size();
                end -= end > starts[line] && line + 1 < starts.size() && text[end] == u'\n' &&
                       text[end - 1] == u'\r';
                expected.push_back(end - starts[line]);
            }
            core.forEachLineLength(0, core.lineCount() - 1,
                                   [&](int length) { walked.push_back(length); });
            EXPECT_EQ(walked, expected) << page << (edited ? " edited" : "");
            core.setSelStart(core.length());
            core.insertFromUser(QStringLiteral("x\r\ny\nz"));
        }
    }
}

TEST(EditorObservers, AllAreInStepBeforeAnyHearsOfTheChange) {
    EditorCore core;
    std::vector<std::string> order;
    Records a(&order, "a."), b(&order, "b.");
    core.addObserver(&a);
    core.addObserver(&b);
    core.setText(QStringLiteral("ab"));
    core.setSelStart(2);
    order.clear();
    core.typeCharacter('c');
    EXPECT_EQ(order,
              (std::vector<std::string>{"a.text", "b.text", "a.selection", "b.selection",
                                        "a.Change", "b.Change", "a.SelChange", "b.SelChange"}));
    order.clear();
    core.setColour(0, 2, rgb(1, 2, 3));
    core.setSelectionColour(rgb(1, 2, 3)); // an empty selection: a pending colour, nothing to draw
    EXPECT_EQ(order, (std::vector<std::string>{"a.colours", "b.colours"}));
    core.removeObserver(&a);
    core.removeObserver(&b);
}

// Edits stop at the program's limit and the observers hear of each one refused; a longer text put
// in whole stays editable back to its own length, as Undo needs.
TEST(EditorLimit, RefusesGrowthBeyondItAndSaysSo) {
    EditorCore core;
    struct : EditorObserver {
        std::vector<qint64> refused;
        void editRefused(const EditRefused &r) override { refused.push_back(r.length); }
    } rec;
    core.addObserver(&rec);
    core.setMaxLength(5);
    core.setText(QStringLiteral("abcdefg"));
    core.setSelStart(7);
    core.pressBackspace();
    core.typeCharacter('g');
    EXPECT_EQ(core.text(), "abcdefg");
    core.typeCharacter('h');
    core.insertFromUser(QStringLiteral("hi"));
    core.setSelStart(0);
    core.setSelLength(1);
    core.setSelText(QStringLiteral("xy"));
    EXPECT_EQ(core.text(), "abcdefg");
    EXPECT_EQ(rec.refused, (std::vector<qint64>{8, 9, 8}));
    core.removeObserver(&rec);
}

} // namespace
} // namespace quenbry
