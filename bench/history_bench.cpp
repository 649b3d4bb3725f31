// The edit history on a 10 MB page: what 10,000 recorded keystrokes add to peak memory, and
// how long single Undo and Redo steps take. Prints a table.
#include "history/history.h"
#include "text/editorcore.h"

#include <QString>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace quenbry;

namespace {

class QuietHost : public HistoryHost {
public:
    void availabilityChanged(bool, bool) override {}
    void undoRejected() override {}
    void hideSelection(bool) override {}
    void focusEditor() override {}
};

long statusKb(const char *field) {
    std::ifstream in("/proc/self/status");
    std::string line;
    const std::string key = std::string(field) + ":";
    while (std::getline(in, line))
        if (line.rfind(key, 0) == 0)
            return std::stol(line.substr(key.size()));
    return -1;
}

QString page(int size) {
    const QString line = QStringLiteral("<p class=\"x\">Some text of a page, <b>bold</b></p>\r\n");
    QString text;
    text.reserve(size);
    while (text.size() + line.size() <= size)
        text += line;
    text += QString(size - text.size(), QLatin1Char('x'));
    return text;
}

struct Stats {
    double p50, p99, max;
};

Stats stats(std::vector<double> us) {
    std::sort(us.begin(), us.end());
    auto at = [&](double q) {
        return us[std::min(us.size() - 1, size_t(q * double(us.size())))];
    };
    return {at(0.50), at(0.99), us.back()};
}

struct Growth {
    long hwmKb = -1;
    long rssKb = -1;
    long heapKb = -1;
    double typingMs = 0;
};

constexpr int pageSize = 10 * 1000 * 1000;
// The history alone, fed every change of the text as the edit session feeds it.
struct HistoryFeed : EditorObserver {
    HistoryFeed(EditorCore &e, History &h)
        : editor(e)
        , history(h) {
        editor.addObserver(this);
    }
    ~HistoryFeed() override { editor.removeObserver(this); }
    void textChangeNotified() override {
        history.noteEdit();
        history.recordChange();
    }
    EditorCore &editor;
    History &history;
};

constexpr int keystrokes = 10000;
const int keys[] = {'a', 'b', '<', '>', '\r', ' '};

// Types the keystrokes in the middle of a fresh page, with or without recording, and reports
// what that added to the peak. Run in a child process so that each run starts from its own
// peak and the page set-up's temporaries are not counted.
Growth typingGrowth(bool record) {
    int fds[2];
    if (pipe(fds) != 0)
        return {};
    const pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        EditorCore editor;
        QuietHost host;
        History history(editor, host);
        HistoryFeed feed(editor, history);
        editor.setText(page(pageSize));
        history.setRecording(record);
        history.reset();
        editor.selectFromUser(pageSize / 2, 0);
        editor.typeCharacter('w');
        history.reset();
        Growth g;
        const long hwm = statusKb("VmHWM"), rss = statusKb("VmRSS");
        const auto heap = long(mallinfo2().uordblks + mallinfo2().hblkhd);
        const auto t0 = std::chrono::steady_clock::now();
        for (int i = 0; i < keystrokes; ++i)
            editor.typeCharacter(keys[i % 6]);
        g.typingMs =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0)
                .count();
        g.hwmKb = statusKb("VmHWM") - hwm;
        g.rssKb = statusKb("VmRSS") - rss;
        g.heapKb = (long(mallinfo2().uordblks + mallinfo2().hblkhd) - heap) / 1024;
        if (write(fds[1], &g, sizeof g) != sizeof g)
            _exit(1);
        _exit(0);
    }
    close(fds[1]);
    Growth g;
    if (read(fds[0], &g, sizeof g) != sizeof g)
        g = {};
    close(fds[0]);
    waitpid(child, nullptr, 0);
    return g;
}

} // namespace

int main() {
    const Growth plain = typingGrowth(false);
    const Growth recorded = typingGrowth(true);

    constexpr int steps = 2000;

    EditorCore editor;
    QuietHost host;
    History history(editor, host);
    HistoryFeed feed(editor, history);
    editor.setText(page(pageSize));
    history.setRecording(true);
    history.reset();
    editor.selectFromUser(pageSize / 2, 0);
    // Warm the gap buffer at the typing position so that its one-off move is not counted.
    editor.typeCharacter('w');
    history.reset();

    for (int i = 0; i < keystrokes; ++i)
        editor.typeCharacter(keys[i % 6]);

    std::vector<double> undoUs, redoUs;
    auto time = [](auto f) {
        const auto t0 = std::chrono::steady_clock::now();
        f();
        return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - t0)
            .count();
    };
    const int typedLength = editor.length();
    for (int i = 0; i < steps; ++i)
        undoUs.push_back(time([&] { history.undo(); }));
    const int undoneLength = editor.length();
    for (int i = 0; i < steps; ++i)
        redoUs.push_back(time([&] { history.redo(); }));
    // A whole-page replacement undone and redone: the case that used to fail half-way.
    editor.setText(page(pageSize).replace(QLatin1Char('b'), QLatin1Char('B')));
    const double openUndoUs = time([&] { history.undo(); });
    const double openRedoUs = time([&] { history.redo(); });

    const Stats u = stats(undoUs), r = stats(redoUs);
    std::printf("history on a %d-character page, %d keystrokes in the middle\n", pageSize,
                keystrokes);
    std::printf("%-40s %12s\n", "measure", "value");
    std::printf("%-40s %12.1f\n", "typing without recording, total ms", plain.typingMs);
    std::printf("%-40s %12.1f\n", "typing with recording, total ms", recorded.typingMs);
    std::printf("%-40s %12ld\n", "peak growth without recording, KB", plain.hwmKb);
    std::printf("%-40s %12ld\n", "peak growth with recording, KB", recorded.hwmKb);
    std::printf("%-40s %12ld\n", "heap in use growth without recording, KB", plain.heapKb);
    std::printf("%-40s %12ld\n", "heap in use growth with recording, KB", recorded.heapKb);
    std::printf("%-40s %12ld\n", "history's own heap (the difference), KB",
                recorded.heapKb - plain.heapKb);
    std::printf("%-40s %12ld\n", "resident growth without recording, KB", plain.rssKb);
    std::printf("%-40s %12ld\n", "resident growth with recording, KB", recorded.rssKb);
    std::printf("%-40s %12.1f\n", "undo p50, us", u.p50);
    std::printf("%-40s %12.1f\n", "undo p99, us", u.p99);
    std::printf("%-40s %12.1f\n", "undo max, us", u.max);
    std::printf("%-40s %12.1f\n", "redo p50, us", r.p50);
    std::printf("%-40s %12.1f\n", "redo p99, us", r.p99);
    std::printf("%-40s %12.1f\n", "redo max, us", r.max);
    std::printf("%-40s %12d\n", "characters removed by the undos", typedLength - undoneLength);
    std::printf("%-40s %12.1f\n", "undo of a whole new page, us", openUndoUs);
    std::printf("%-40s %12.1f\n", "redo of a whole new page, us", openRedoUs);
    return editor.length() > 0 ? 0 : 1;
}
