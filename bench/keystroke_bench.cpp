// The editor as a user meets it, through the real main window, beside QScintilla with its HTML
// lexer as a peer: opening a page, the latency of each typed key up to a synchronous repaint
// of the view, paging through a long page, the peak memory of each page, and pasting a very
// large text, then Undo and Redo. Prints tables; the peer is only ever linked into this
// benchmark.
//
// Every step, on both sides, is timed from the key press (or the command) through the posted
// events it left behind (processEvents) and a synchronous repaint of the viewport, so work that
// an editor defers to the event loop is counted as well. Each page gets a fresh editor, and the
// process's peak resident memory is reset before it, so that each page's peak is its own. A last
// table types the same keys into the 100 KB and 1 MB pages with the live preview pane closed
// and open. Then, on the 10 MB page and the minified 1 MB one, the find bar: the first match of
// a word near the end, counting a common word, keys typed into the find field, Replace All of
// more than 100,000 matches with its Undo and Redo, Go to Line to the last line, and keys typed
// with the line numbers shown and hidden.

#include "find/lineplace.h"
#include "findui/findbar.h"
#include "pages.h"
#include "platform/twips.h"
#include "preview/webengine.h"
#include "shell/mainwindow.h"
#include "testsupport/scriptedservices.h"

#include <Qsci/qscilexerhtml.h>
#include <Qsci/qsciscintilla.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDeadlineTimer>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <malloc.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

using namespace quenbry;

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point t) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

// The processor time this thread has had, in ms: on a machine shared with other work it shows
// what a step cost the editor itself, apart from the time it waited for a processor.
double threadCpuMs() {
    timespec ts;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

constexpr QSize windowSize(1000, 700);

struct Options {
    int keys = 600;
    // Wall-clock limit for the keystrokes of one page in one editor: a single-line page can
    // cost an editor a third of a second a key, and the whole run has to stay short.
    double budgetSeconds = 15;
    // Only the pages whose name contains this (all when empty), to profile one page.
    QString only;
    // The size of the text pasted, then undone and redone.
    int pasteSize = 20'000'000;
    // Leaves the peer out, to profile our side alone.
    bool peer = true;
};

struct Page {
    const char *name;
    bool minified;
    int size;
    // Typed into once more with the preview pane closed and open.
    bool withPane = false;
    // Searched with the find bar, replacing all matches of this pattern (over 100,000).
    const char *findPattern = nullptr;
    // Run only when --page names it: too large for every run.
    bool onRequest = false;
    QString make() const {
        return minified ? bench::minifiedPage(size) : bench::realisticPage(size);
    }
};

// One keystroke as a user types it: a printable character, or Backspace.
struct Key {
    char32_t ch; // '\b' for Backspace
};

// Letters, `<`, `=`, `"`, `>`, space and Backspace, as someone typing a tag and its text
// would, repeated. Never more Backspaces than characters typed before them.
std::vector<Key> keystrokes(int count) {
    const char *pattern = "<a href=\"x y\" b=c>text ab\b\b\bq </a> ";
    std::vector<Key> keys;
    for (int i = 0; int(keys.size()) < count; ++i)
        keys.push_back({char32_t(pattern[i % std::strlen(pattern)])});
    return keys;
}

int netGrowth(const std::vector<Key> &keys, int typed) {
    int n = 0;
    for (int i = 0; i < typed; ++i)
        n += keys[size_t(i)].ch == U'\b' ? -1 : 1;
    return n;
}

void sendKey(QWidget *target, int key, Qt::KeyboardModifiers mods = Qt::NoModifier,
             const QString &text = QString()) {
    QKeyEvent press(QEvent::KeyPress, key, mods, text);
    QKeyEvent release(QEvent::KeyRelease, key, mods, text);
    QApplication::sendEvent(target, &press);
    QApplication::sendEvent(target, &release);
}

void sendKey(QWidget *target, Key k) {
    if (k.ch == U'\b') {
        sendKey(target, Qt::Key_Backspace);
        return;
    }
    // Qt's key codes for ASCII are the upper-case character codes.
    const QChar c(char16_t(k.ch));
    sendKey(target, int(c.toUpper().unicode()), Qt::NoModifier, QString(c));
}

struct Timings {
    std::vector<double> ms;
    double percentile(double p) const {
        if (ms.empty())
            return 0;
        std::vector<double> s = ms;
        std::sort(s.begin(), s.end());
        return s[std::min(s.size() - 1, size_t(p * double(s.size())))];
    }
    double max() const { return ms.empty() ? 0 : *std::max_element(ms.begin(), ms.end()); }
};

struct Result {
    double openMs = 0;
    Timings keys;
    Timings keysCpu;
    Timings pageDown;
    long peakKb = 0;
    long residentAfterOpenKb = 0;
    bool lengthOk = true;
    bool coloured = false;
};

struct PasteResult {
    double pasteMs = 0, undoMs = 0, redoMs = 0;
    bool ok = false;
};

long procStatusKb(const char *field) {
    std::ifstream in("/proc/self/status");
    std::string line;
    const size_t n = std::strlen(field);
    while (std::getline(in, line))
        if (line.compare(0, n, field) == 0)
            return std::atol(line.c_str() + n + 1);
    return -1;
}

// Resets the peak RSS so that a page's peak is its own; false where the kernel refuses. What
// the previous page freed is given back to the system first, or a large page would raise the
// floor of every page after it.
bool resetPeakRss() {
    malloc_trim(0);
    std::ofstream out("/proc/self/clear_refs");
    out << "5";
    out.flush();
    return bool(out);
}

// Runs step, then the posted events it left and a repaint of viewport; its time in ms.
double frame(QWidget *viewport, const std::function<void()> &step) {
    const auto t = Clock::now();
    step();
    QCoreApplication::processEvents();
    viewport->repaint();
    return msSince(t);
}

// Types the keys into target until all are typed or the budget is spent.
void typeKeys(QWidget *target, QWidget *viewport, const std::vector<Key> &keys, const Options &opt,
              Timings &t, Timings &cpu) {
    const auto start = Clock::now();
    for (const Key &k : keys) {
        const double c = threadCpuMs();
        t.ms.push_back(frame(viewport, [&] { sendKey(target, k); }));
        cpu.ms.push_back(threadCpuMs() - c);
        if (msSince(start) > opt.budgetSeconds * 1000)
            break;
    }
}

// PageDown from the top of the page, a screenful a frame, for as many frames as keys.
void pageDown(QWidget *target, QWidget *viewport, int frames, Timings &t) {
    sendKey(target, Qt::Key_Home, Qt::ControlModifier);
    QCoreApplication::processEvents();
    viewport->repaint();
    for (int i = 0; i < frames; ++i)
        t.ms.push_back(frame(viewport, [&] { sendKey(target, Qt::Key_PageDown); }));
}

// Ctrl+End from the top of a page just opened, then once more after Ctrl+Home: the first jump
// finds the x of the line's end from nothing, the second may use what the first left.
struct JumpResult {
    double firstMs = 0, secondMs = 0;
    bool atEnd = false;
};

JumpResult jumpTwice(QWidget *target, QWidget *viewport, const std::function<bool()> &atEnd) {
    JumpResult r;
    for (double *ms : {&r.firstMs, &r.secondMs}) {
        sendKey(target, Qt::Key_Home, Qt::ControlModifier);
        QCoreApplication::processEvents();
        viewport->repaint();
        *ms = frame(viewport, [&] { sendKey(target, Qt::Key_End, Qt::ControlModifier); });
    }
    r.atEnd = atEnd();
    return r;
}

// ---- Our side: the real main window with scripted desktop services -----------------------

class OurSide {
public:
    // With previewPane, the Instant Preview pane is open: every pause in typing rewrites the
    // preview file and reloads the page in the web engine.
    explicit OurSide(bool previewPane = false, QSize size = windowSize)
        : previewPane_(previewPane) {
        // The preview file goes to the benchmark's own folder.
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(dir_.path()));
        window_ = std::make_unique<MainWindow>(desktop_.services());
        window_->startUp();
        window_->resize(size);
        window_->show();
        QObject::connect(window_->preview().pane(), &PreviewPane::pageLoaded,
                         [this] { ++pagesLoaded_; });
        if (previewPane_) {
            window_->menuItem(QStringLiteral("mnuipreview"))->trigger();
            waitForPage(0);
        }
        QCoreApplication::processEvents();
    }

    EditorCore *editor() { return window_->editor(); }
    EditorView *view() { return window_->editorView(); }
    MainWindow &window() { return *window_; }

    // Opens the file with the window's Open command.
    double open(const QString &path) {
        // A page typed into: decline saving it.
        if (window_->modified())
            desktop_.dialogs.queueAnswer(MessageAnswer::No);
        desktop_.dialogs.queueFileName(path);
        const int loadsBefore = pagesLoaded_;
        // To the first frame: the events the open posted, its paint among them, are delivered
        // as the event loop delivers them, before any timer's. The colouring that idle steps do
        // after that frame is not part of the wait (colourWhileIdle times it).
        const auto t = Clock::now();
        window_->menuItem(QStringLiteral("mnuopen"))->trigger();
        QCoreApplication::sendPostedEvents();
        view()->viewport()->repaint();
        const double ms = msSince(t);
        // The keys are timed with the engine idle, the opened page rendered.
        if (previewPane_)
            waitForPage(loadsBefore);
        return ms;
    }

    // Lets the event loop run until the colouring of an opened page has ended, as it does
    // while the user looks at the first frame; the time it took.
    double colourWhileIdle() {
        const auto t = Clock::now();
        while (editor()->coloursPending())
            QCoreApplication::processEvents();
        return msSince(t);
    }

    // Opens the file and puts the caret in the middle of the page, to type into.
    void openForTyping(const QString &path) {
        open(path);
        colourWhileIdle();
        lengthBefore_ = editor()->length();
        editor()->setSelStart(lengthBefore_ / 2);
        view()->ensureCaretVisible();
        view()->viewport()->repaint();
    }
    double type(Key k) {
        return frame(view()->viewport(), [&] { sendKey(view(), k); });
    }
    bool lengthOk(const std::vector<Key> &keys, int typed) {
        return editor()->length() == lengthBefore_ + netGrowth(keys, typed);
    }

    Result run(const QString &path, int expectedLength, const std::vector<Key> &keys,
               const Options &opt, bool paging) {
        Result r;
        r.openMs = open(path);
        colourWhileIdle();
        r.residentAfterOpenKb = procStatusKb("VmRSS:");
        EditorCore *ed = editor();
        if (ed->length() != expectedLength) {
            std::fprintf(stderr, "the window did not open the page (%d of %d chars)\n",
                         ed->length(), expectedLength);
            std::exit(1);
        }
        const int firstTag = ed->indexOf(QStringLiteral("<p "), 0);
        r.coloured = firstTag >= 0 && ed->colourAt(firstTag) != ed->defaultTextColour();
        if (paging)
            pageDown(view(), view()->viewport(), int(keys.size()), r.pageDown);

        const int before = ed->length();
        ed->setSelStart(before / 2);
        view()->ensureCaretVisible();
        view()->viewport()->repaint();
        typeKeys(view(), view()->viewport(), keys, opt, r.keys, r.keysCpu);
        r.lengthOk = ed->length() == before + netGrowth(keys, int(r.keys.ms.size()));
        return r;
    }

    JumpResult jump(const QString &path) {
        open(path);
        colourWhileIdle();
        return jumpTwice(view(), view()->viewport(),
                         [&] { return editor()->selStart() == editor()->length(); });
    }

    PasteResult paste(const QString &text) {
        PasteResult r;
        desktop_.clipboard.setText(text);
        const int before = editor()->length();
        editor()->setSelStart(before / 2);
        QCoreApplication::processEvents();
        QWidget *vp = view()->viewport();
        r.pasteMs = frame(vp, [&] { window_->menuItem(QStringLiteral("mnupaste"))->trigger(); });
        const bool pasted = editor()->length() == before + text.size();
        r.undoMs = frame(vp, [&] { window_->menuItem(QStringLiteral("mnuundo"))->trigger(); });
        const bool undone = editor()->length() == before;
        r.redoMs = frame(vp, [&] { window_->menuItem(QStringLiteral("mnuredo"))->trigger(); });
        r.ok = pasted && undone && editor()->length() == before + text.size();
        return r;
    }

private:
    // Waits until the pane has loaded a page more than `before`; the engine renders in
    // processes of its own.
    void waitForPage(int before) {
        const QDeadlineTimer deadline(60'000);
        while (pagesLoaded_ <= before && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        if (pagesLoaded_ <= before) {
            std::fprintf(stderr, "the preview pane loaded no page\n");
            std::exit(1);
        }
    }

    QTemporaryDir dir_;
    ScriptedDesktop desktop_;
    std::unique_ptr<MainWindow> window_;
    bool previewPane_;
    int pagesLoaded_ = 0;
    int lengthBefore_ = 0;
};

// Types each key into one window and then the other, so that both meet the same load of the
// machine, until all are typed or the budget is spent.
void typeInTurn(OurSide &a, Timings &ta, OurSide &b, Timings &tb, const std::vector<Key> &keys,
                const Options &opt, bool &lengthOk) {
    const auto start = Clock::now();
    for (const Key &k : keys) {
        ta.ms.push_back(a.type(k));
        tb.ms.push_back(b.type(k));
        if (msSince(start) > opt.budgetSeconds * 2000)
            break;
    }
    lengthOk = a.lengthOk(keys, int(ta.ms.size())) && b.lengthOk(keys, int(tb.ms.size()));
}

// ---- The peer: QScintilla with its HTML lexer, as its users see it ------------------------

class PeerSide {
public:
    PeerSide() {
        sci_.setLexer(&lexer_);
        sci_.resize(windowSize);
        sci_.show();
        QCoreApplication::processEvents();
    }

    Result run(const QString &path, const std::vector<Key> &keys, const Options &opt, bool paging) {
        Result r;
        r.openMs = frame(sci_.viewport(), [&] {
            // As an editor opens a file: read, decode, show.
            QFile f(path);
            if (!f.open(QIODevice::ReadOnly))
                std::exit(1);
            sci_.setText(QString::fromLatin1(f.readAll()));
        });
        r.residentAfterOpenKb = procStatusKb("VmRSS:");
        r.coloured = true;
        if (paging)
            pageDown(&sci_, sci_.viewport(), int(keys.size()), r.pageDown);
        const long before = sci_.SendScintilla(QsciScintillaBase::SCI_GETLENGTH);
        // Pages are ASCII: byte and character offsets agree.
        sci_.SendScintilla(QsciScintillaBase::SCI_GOTOPOS, before / 2);
        sci_.ensureCursorVisible();
        sci_.viewport()->repaint();
        typeKeys(&sci_, sci_.viewport(), keys, opt, r.keys, r.keysCpu);
        r.lengthOk = sci_.SendScintilla(QsciScintillaBase::SCI_GETLENGTH) ==
                     before + netGrowth(keys, int(r.keys.ms.size()));
        return r;
    }

    JumpResult jump(const QString &path) {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            std::exit(1);
        sci_.setText(QString::fromLatin1(f.readAll()));
        return jumpTwice(&sci_, sci_.viewport(), [&] {
            return sci_.SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS) ==
                   sci_.SendScintilla(QsciScintillaBase::SCI_GETLENGTH);
        });
    }

    PasteResult paste(const QString &text) {
        PasteResult r;
        QApplication::clipboard()->setText(text);
        const long before = sci_.SendScintilla(QsciScintillaBase::SCI_GETLENGTH);
        sci_.SendScintilla(QsciScintillaBase::SCI_GOTOPOS, before / 2);
        QWidget *vp = sci_.viewport();
        r.pasteMs = frame(vp, [&] { sci_.paste(); });
        const long pasted = sci_.SendScintilla(QsciScintillaBase::SCI_GETLENGTH);
        r.undoMs = frame(vp, [&] { sci_.undo(); });
        const bool undone = sci_.SendScintilla(QsciScintillaBase::SCI_GETLENGTH) == before;
        r.redoMs = frame(vp, [&] { sci_.redo(); });
        // The clipboard hands QScintilla the text with LF for every CR LF.
        r.ok = pasted > before && undone &&
               sci_.SendScintilla(QsciScintillaBase::SCI_GETLENGTH) == pasted;
        return r;
    }

private:
    QsciScintilla sci_;
    QsciLexerHTML lexer_;
};

// ---- The find bar, Go to Line and the line numbers ---------------------------------------

struct FindResult {
    double firstMs = 0, firstAfterEditMs = 0;
    int counted = 0;
    double countMs = 0, longestSliceMs = 0;
    Timings field, fieldCpu;
    int replaced = 0;
    double replaceAllMs = 0, undoMs = 0, redoMs = 0;
    double replaceAllCpu = 0, undoCpu = 0, redoCpu = 0;
    bool restored = false, found = false;
    double gotoMs = 0;
    Timings hidden, shown, hiddenCpu, shownCpu;
};

void typeInto(QWidget *target, const QString &text) {
    for (QChar c : text)
        sendKey(target, 0, Qt::NoModifier, QString(c));
}

// Runs the posted events until the count is done; the longest single pass of the event loop.
double waitForCount(MainWindow &w, double &longest) {
    const auto t = Clock::now();
    while (w.finder().matchCount() < 0) {
        const auto pass = Clock::now();
        QCoreApplication::processEvents();
        longest = std::max(longest, msSince(pass));
    }
    return msSince(t);
}

FindResult findOn(const QString &path, const Page &page, const std::vector<Key> &keys,
                  const Options &opt) {
    FindResult r;
    {
        OurSide side;
        side.open(path);
        MainWindow &w = side.window();
        EditorCore *ed = side.editor();
        QWidget *vp = side.view()->viewport();
        // A word that occurs once, 200 characters before the end.
        const int marker = ed->length() - 200 + 1;
        ed->setSelStart(marker - 1);
        ed->setSelText(QStringLiteral(" zebrafish "));
        // Keys into the field, the search starting at the top: words that occur all over the
        // page, and Backspaces.
        ed->setSelStart(0);
        w.menuItem(QStringLiteral("mnufind"))->trigger();
        QLineEdit *field = w.findBar()->findField();
        QCoreApplication::processEvents(); // the bar is shown before the user types
        w.repaint();
        for (int round = 0; round < 8; ++round) {
            for (QChar c : QStringLiteral("preview window\b\b\b\b\b\b\b\b\b\b\b\b\b\b")) {
                const double cpu = threadCpuMs();
                if (c == u'\b')
                    r.field.ms.push_back(frame(vp, [&] { sendKey(field, Qt::Key_Backspace); }));
                else
                    r.field.ms.push_back(
                        frame(vp, [&] { sendKey(field, 0, Qt::NoModifier, QString(c)); }));
                r.fieldCpu.ms.push_back(threadCpuMs() - cpu);
            }
        }
        typeInto(field, QStringLiteral("zebrafish"));
        QAction *next = w.menuItem(QStringLiteral("mnufindnext"));
        ed->setSelStart(0);
        r.firstMs = frame(vp, [&] { next->trigger(); });
        ed->setSelStart(0);
        side.view()->setFocus();
        sendKey(side.view(), Key{U'x'});
        ed->setSelStart(0);
        r.firstAfterEditMs = frame(vp, [&] { next->trigger(); });
        r.found = ed->selStart() == marker + 1; // the x typed at the top moved it on

        field->selectAll();
        sendKey(field, Qt::Key_Backspace);
        typeInto(field, QStringLiteral("th"));
        QCoreApplication::processEvents();
        sendKey(field, 0, Qt::NoModifier, QStringLiteral("e"));
        r.countMs = waitForCount(w, r.longestSliceMs);
        r.counted = w.finder().matchCount();

        w.menuItem(QStringLiteral("mnureplace"))->trigger();
        w.findBar()->regex()->setChecked(true);
        field->selectAll();
        sendKey(field, Qt::Key_Backspace);
        typeInto(field, QString::fromLatin1(page.findPattern));
        typeInto(w.findBar()->replaceField(), QStringLiteral("X"));
        double ignored = 0;
        waitForCount(w, ignored);
        r.replaced = w.finder().matchCount();
        const QString before = ed->text();
        auto *replaceAll = w.findBar()->findChild<QPushButton *>(QStringLiteral("cmdReplaceAll"));
        double cpu = threadCpuMs();
        r.replaceAllMs = frame(vp, [&] { replaceAll->click(); });
        r.replaceAllCpu = threadCpuMs() - cpu;
        cpu = threadCpuMs();
        r.undoMs = frame(vp, [&] { w.menuItem(QStringLiteral("mnuundo"))->trigger(); });
        r.undoCpu = threadCpuMs() - cpu;
        r.restored = ed->text() == before;
        cpu = threadCpuMs();
        r.redoMs = frame(vp, [&] { w.menuItem(QStringLiteral("mnuredo"))->trigger(); });
        r.redoCpu = threadCpuMs() - cpu;
        w.findBar()->close();

        ed->setSelStart(0);
        QCoreApplication::processEvents();
        r.gotoMs = frame(vp, [&] {
            // What Go to Line does once its dialog says where: the caret there, in sight.
            const LinePlace place = linePlace(*ed, QString::number(ed->lineCount()));
            ed->selectFromUser(place.offset, 0);
        });
    }

    // The same keys into two windows, one with line numbers.
    OurSide plain, numbered;
    numbered.window().editorView()->setLineNumbersShown(true);
    plain.openForTyping(path);
    numbered.openForTyping(path);
    const auto start = Clock::now();
    for (const Key &k : keys) {
        for (auto [side, wall, cpu] : {std::tuple{&plain, &r.hidden, &r.hiddenCpu},
                                       std::tuple{&numbered, &r.shown, &r.shownCpu}}) {
            const double c = threadCpuMs();
            wall->ms.push_back(side->type(k));
            cpu->ms.push_back(threadCpuMs() - c);
        }
        if (msSince(start) > opt.budgetSeconds * 2000)
            break;
    }
    return r;
}

// ---- Reporting -------------------------------------------------------------------------

double ratio(double ours, double peer) {
    return peer > 0 ? ours / peer : 0;
}

double mb(long kb) {
    return kb / 1024.0;
}

void usage() {
    std::fprintf(stderr, "usage: keystroke_bench [--keys N] [--budget SECONDS] [--page NAME-PART] "
                         "[--paste CHARS] [--no-peer]\n");
    std::exit(2);
}

} // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    prepareWebEngineEnvironment();
    QApplication app(argc, argv);

    Options opt;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--keys") && i + 1 < argc)
            opt.keys = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--budget") && i + 1 < argc)
            opt.budgetSeconds = std::atof(argv[++i]);
        else if (!std::strcmp(argv[i], "--page") && i + 1 < argc)
            opt.only = QString::fromLocal8Bit(argv[++i]);
        else if (!std::strcmp(argv[i], "--paste") && i + 1 < argc)
            opt.pasteSize = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--no-peer"))
            opt.peer = false;
        else
            usage();
    }
    if (opt.keys < 1 || opt.budgetSeconds <= 0 || opt.pasteSize < 0)
        usage();

    // The 50 MB page comes last: what it leaves behind would weigh on the pages after it.
    const Page allPages[] = {
        {"realistic 100 KB", false, 100'000, true},
        {"realistic 1 MB", false, 1'000'000, true},
        {"realistic 10 MB", false, 10'000'000, false, "\\b(?:the|page|menu|tag)\\b"},
        {"minified 100 KB", true, 100'000},
        {"minified 1 MB", true, 1'000'000, false, "[ae]"},
        {"realistic 50 MB", false, 50'000'000},
        {"realistic 200 MB", false, 200'000'000, false, nullptr, true},
    };
    std::vector<const Page *> pages;
    for (const Page &p : allPages)
        if (QString::fromLatin1(p.name).contains(opt.only) && (!p.onRequest || !opt.only.isEmpty()))
            pages.push_back(&p);
    const bool jumps = opt.only.isEmpty() || opt.only == QLatin1String("jump");
    const bool opens = opt.only.isEmpty() || opt.only == QLatin1String("open");
    if (pages.empty() && !jumps && !opens && opt.only != QLatin1String("paste") &&
        opt.only != QLatin1String("encodings"))
        usage();
    const std::vector<Key> keys = keystrokes(opt.keys);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("page.html"));

    // The bench keeps no copy of the page while the editors run: only the file.
    auto writePage = [&](const Page *p) {
        const QString text = p->make();
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            f.write(text.toLatin1()) != text.size()) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            std::exit(1);
        }
        return int(text.size());
    };

    struct Row {
        const Page *page;
        int chars;
        Result ours, peer;
    };
    std::vector<Row> rows;
    bool separatePeaks = true;
    for (const Page *p : pages) {
        Row row{p, writePage(p), {}, {}};
        const bool paging = QByteArray(p->name) == "realistic 10 MB";
        std::fprintf(stderr, "ours: %s\n", p->name);
        separatePeaks = resetPeakRss() && separatePeaks;
        {
            OurSide side;
            row.ours = side.run(path, row.chars, keys, opt, paging);
        }
        row.ours.peakKb = procStatusKb("VmHWM:");
        if (opt.peer) {
            std::fprintf(stderr, "peer: %s\n", p->name);
            separatePeaks = resetPeakRss() && separatePeaks;
            {
                PeerSide side;
                row.peer = side.run(path, keys, opt, paging);
            }
            row.peer.peakKb = procStatusKb("VmHWM:");
        }
        rows.push_back(std::move(row));
    }

    std::printf("Keystroke benchmark: %dx%d offscreen, up to %d keys per page and editor "
                "(%.0f s budget); times in ms, memory in MB; ratio = ours / QScintilla\n\n",
                windowSize.width(), windowSize.height(), opt.keys, opt.budgetSeconds);
    std::printf("%-17s %9s %5s %5s | %8s %8s %6s | %7s %7s %6s | %7s %7s %6s | %7s %7s %6s | "
                "%6s %6s %6s\n",
                "page", "chars", "keys", "keysP", "open", "openP", "ratio", "p50", "p50P", "ratio",
                "p99", "p99P", "ratio", "max", "maxP", "ratio", "peak", "peakP", "ratio");
    for (const Row &row : rows) {
        const Result &o = row.ours;
        const Result &p = row.peer;
        std::printf(
            "%-17s %9d %5zu %5zu | %8.1f %8.1f %6.2f | %7.3f %7.3f %6.2f | %7.2f %7.2f %6.2f | "
            "%7.2f %7.2f %6.2f | %6.0f %6.0f %6.2f%s%s\n",
            row.page->name, row.chars, o.keys.ms.size(), p.keys.ms.size(), o.openMs, p.openMs,
            ratio(o.openMs, p.openMs), o.keys.percentile(0.5), p.keys.percentile(0.5),
            ratio(o.keys.percentile(0.5), p.keys.percentile(0.5)), o.keys.percentile(0.99),
            p.keys.percentile(0.99), ratio(o.keys.percentile(0.99), p.keys.percentile(0.99)),
            o.keys.max(), p.keys.max(), ratio(o.keys.max(), p.keys.max()), mb(o.peakKb),
            mb(p.peakKb), ratio(o.peakKb, p.peakKb), o.coloured ? "" : "  [ours not coloured]",
            o.lengthOk && (p.lengthOk || !opt.peer) ? "" : "  [TEXT LENGTH MISMATCH]");
    }
    std::printf("\n(P = QScintilla; keys = keystrokes typed within the budget; peak = the "
                "process's peak resident memory while the page was open%s)\n",
                separatePeaks ? "" : ", NOT reset between pages");
    for (const Row &row : rows)
        std::printf("%-17s resident after open: ours %.0f MB, QScintilla %.0f MB; processor time "
                    "a key, p50 and p99: ours %.3f %.3f, QScintilla %.3f %.3f\n",
                    row.page->name, mb(row.ours.residentAfterOpenKb),
                    mb(row.peer.residentAfterOpenKb), row.ours.keysCpu.percentile(0.5),
                    row.ours.keysCpu.percentile(0.99), row.peer.keysCpu.percentile(0.5),
                    row.peer.keysCpu.percentile(0.99));
    for (const Row &row : rows) {
        if (row.ours.pageDown.ms.empty())
            continue;
        const Timings &o = row.ours.pageDown, &p = row.peer.pageDown;
        std::printf("\nPageDown through the %s page, %zu frames: p50 %.2f (P %.2f), p99 %.2f (P "
                    "%.2f, ratio %.2f), max %.2f (P %.2f)\n",
                    row.page->name, o.ms.size(), o.percentile(0.5), p.percentile(0.5),
                    o.percentile(0.99), p.percentile(0.99),
                    ratio(o.percentile(0.99), p.percentile(0.99)), o.max(), p.max());
    }

    // Then, so that the web engine counts in no page's peak: each page typed into with the pane
    // closed and open, a key into one window and the same key into the other. The pane takes
    // 6150 twips of the editor's width; the closed side's window is narrower by as much, so
    // that both editors paint lines of the same width and only the preview makes a difference.
    std::vector<const Page *> panePages;
    for (const Page *p : pages)
        if (p->withPane)
            panePages.push_back(p);
    if (!panePages.empty()) {
        std::printf("\nOurs with the Instant Preview pane closed and open (V); ratio = open / "
                    "closed\n\n");
        std::printf("%-17s %5s | %7s %7s %6s | %7s %7s %6s | %7s %7s %6s\n", "page", "keysV", "p50",
                    "p50V", "ratio", "p99", "p99V", "ratio", "max", "maxV", "ratio");
        OurSide closed(false, windowSize - QSize(twipsToPixels(6150), 0));
        OurSide open(true);
        for (const Page *p : panePages) {
            std::fprintf(stderr, "ours, preview pane closed and open: %s\n", p->name);
            writePage(p);
            closed.openForTyping(path);
            open.openForTyping(path);
            Timings c, v;
            bool lengthOk = false;
            typeInTurn(closed, c, open, v, keys, opt, lengthOk);
            std::printf("%-17s %5zu | %7.3f %7.3f %6.2f | %7.2f %7.2f %6.2f | %7.2f %7.2f "
                        "%6.2f%s\n",
                        p->name, v.ms.size(), c.percentile(0.5), v.percentile(0.5),
                        ratio(v.percentile(0.5), c.percentile(0.5)), c.percentile(0.99),
                        v.percentile(0.99), ratio(v.percentile(0.99), c.percentile(0.99)), c.max(),
                        v.max(), ratio(v.max(), c.max()),
                        lengthOk ? "" : "  [TEXT LENGTH MISMATCH]");
        }
    }

    std::vector<const Page *> findPages;
    for (const Page *p : pages)
        if (p->findPattern)
            findPages.push_back(p);
    if (!findPages.empty()) {
        std::printf("\nFind (ms): first = the first match of a word near the end, from the top, "
                    "on a text searched before and just after an edit; count = all matches of "
                    "\"the\", longest = the longest the event loop waited for the count; field = "
                    "keys typed into the find field, p50 p99 max; replace = Replace All, Undo, "
                    "Redo; goto = to the last line; gutter = p99 of keys typed with the line "
                    "numbers hidden and shown; cpu = this thread's processor time\n\n");
        for (const Page *p : findPages) {
            std::fprintf(stderr, "ours, find: %s\n", p->name);
            writePage(p);
            const FindResult r = findOn(path, *p, keys, opt);
            std::printf("%-17s first %.1f %.1f | count %d in %.1f, longest %.1f | field %.2f %.2f "
                        "%.2f (cpu p99 %.2f) | replace %d in %.0f, %.0f, %.0f (cpu %.0f, %.0f, "
                        "%.0f)%s | goto %.2f | gutter %.2f %.2f (ratio %.2f; cpu %.2f %.2f, ratio "
                        "%.2f)%s\n",
                        p->name, r.firstMs, r.firstAfterEditMs, r.counted, r.countMs,
                        r.longestSliceMs, r.field.percentile(0.5), r.field.percentile(0.99),
                        r.field.max(), r.fieldCpu.percentile(0.99), r.replaced, r.replaceAllMs,
                        r.undoMs, r.redoMs, r.replaceAllCpu, r.undoCpu, r.redoCpu,
                        r.restored ? "" : " [UNDO DID NOT RESTORE THE TEXT]", r.gotoMs,
                        r.hidden.percentile(0.99), r.shown.percentile(0.99),
                        ratio(r.shown.percentile(0.99), r.hidden.percentile(0.99)),
                        r.hiddenCpu.percentile(0.99), r.shownCpu.percentile(0.99),
                        ratio(r.shownCpu.percentile(0.99), r.hiddenCpu.percentile(0.99)),
                        r.found ? "" : "  [MATCH NOT FOUND]");
        }
    }

    if (opens) {
        // Open from a window that shows a small page, to the first painted frame, whose visible
        // colours are those of the whole colouring; median of 3; then until the colouring of
        // the rest has ended in idle steps. Resident is after that, less what the window held
        // before the open; bytes a character are of that.
        std::printf("\nOpen to the first frame, median of 3 (ms; memory in MB)\n");
        for (const Page p : {Page{"realistic 10 MB", false, 10'000'000},
                             Page{"realistic 50 MB", false, 50'000'000}}) {
            const int chars = writePage(&p);
            std::fprintf(stderr, "open to first frame: %s\n", p.name);
            std::vector<std::tuple<double, long, long, long, double>> runs;
            bool coloured = true;
            for (int run = 0; run < 3; ++run) {
                resetPeakRss();
                OurSide side;
                QCoreApplication::processEvents();
                malloc_trim(0);
                resetPeakRss();
                const long base = procStatusKb("VmRSS:");
                const double ms = side.open(path);
                EditorCore *ed = side.editor();
                const int tag = ed->indexOf(QStringLiteral("<p "), 0);
                coloured = coloured && ed->length() == chars && tag >= 0 &&
                           ed->colourAt(tag) != ed->defaultTextColour();
                const double idleMs = side.colourWhileIdle();
                const long resident = procStatusKb("VmRSS:");
                const long peak = procStatusKb("VmHWM:");
                runs.emplace_back(ms, base, resident, peak, ms + idleMs);
            }
            std::sort(runs.begin(), runs.end());
            const auto [ms, base, resident, peak, colouredMs] = runs[1];
            std::printf("%-17s open %.1f, all coloured %.1f | resident %.0f, peak %.0f (ratio "
                        "%.2f) | %.2f bytes a "
                        "character%s\n",
                        p.name, ms, colouredMs, mb(resident - base), mb(peak - base),
                        ratio(double(peak - base), double(resident - base)),
                        double(resident - base) * 1024.0 / chars,
                        coloured ? "" : "  [NOT OPENED OR NOT COLOURED]");
        }
    }

    if (jumps) {
        // Minified pages are one line: the jump's x is that of the end of a line of the page's
        // whole length.
        std::printf("\nCtrl+End from the top of a minified one-line page just opened, the first "
                    "and the second time (ms)\n");
        for (const Page p :
             {Page{"minified 1 MB", true, 1'000'000}, Page{"minified 10 MB", true, 10'000'000},
              Page{"minified 50 MB", true, 50'000'000}}) {
            writePage(&p);
            std::fprintf(stderr, "jump to end: %s\n", p.name);
            JumpResult ours, peer;
            {
                OurSide side;
                ours = side.jump(path);
            }
            if (opt.peer) {
                PeerSide side;
                peer = side.jump(path);
            }
            std::printf("%-17s ours %.1f, %.1f; QScintilla %.1f, %.1f; first ratio %.2f%s\n",
                        p.name, ours.firstMs, ours.secondMs, peer.firstMs, peer.secondMs,
                        ratio(ours.firstMs, peer.firstMs),
                        ours.atEnd && (peer.atEnd || !opt.peer) ? "" : "  [NOT AT THE END]");
        }
    }

    if (opt.pasteSize > 0 && (opt.only.isEmpty() || opt.only == QLatin1String("paste"))) {
        // Pasted into the start-up page, as text that arrives from another program.
        const QString text = bench::realisticPage(opt.pasteSize, 7);
        std::fprintf(stderr, "ours: paste\n");
        PasteResult ours, peer;
        {
            OurSide side;
            ours = side.paste(text);
        }
        if (opt.peer) {
            std::fprintf(stderr, "peer: paste\n");
            PeerSide side;
            peer = side.paste(text);
        }
        std::printf("\nPaste %lld characters, then Undo, then Redo (ms): ours %.0f, %.0f, %.0f; "
                    "QScintilla %.0f, %.0f, %.0f%s\n",
                    static_cast<long long>(text.size()), ours.pasteMs, ours.undoMs, ours.redoMs,
                    peer.pasteMs, peer.undoMs, peer.redoMs,
                    !ours.ok               ? "  [OURS: TEXT LENGTH MISMATCH]"
                    : opt.peer && !peer.ok ? "  [PEER: TEXT LENGTH MISMATCH]"
                                           : "");
    }

    if (opt.only.isEmpty() || opt.only == QLatin1String("encodings")) {
        // What detecting and decoding adds to an Open of 10 MB, each page against one of as many
        // characters that the Windows-1252 path takes (its first accented byte ends the look
        // for UTF-8 at once, as good as no look): accents here and there, in Windows-1252 and
        // in UTF-8; pure ASCII, checked to its end before it is taken as Windows-1252; and the
        // page's words in Chinese, written in UTF-8, against the same words in accented letters.
        const QString page = bench::realisticPage(10'000'000);
        QString accents = page, chinese = page, dense = page;
        accents.replace(QStringLiteral("preview"), QStringLiteral("pr\u00e9vi\u00e8w"));
        for (const char *word : {"the", "editor", "page", "colour", "markup", "quick", "brown",
                                 "fox", "jumps", "over", "lazy", "dog", "table", "cell"}) {
            const QString w = QString::fromLatin1(word);
            chinese.replace(w, QString(w.size(), QChar(0x4E2D)));
            dense.replace(w, QString(w.size(), QChar(0xE9)));
        }
        const QByteArray files[] = {accents.toLatin1(), accents.toUtf8(), page.toLatin1(),
                                    dense.toLatin1(), chinese.toUtf8()};
        std::fprintf(stderr, "ours: open in each encoding\n");
        OurSide side;
        const QByteArray small("<p>x</p>");
        auto openBytes = [&](const QByteArray &bytes) {
            QFile f(path);
            if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
                f.write(bytes) != bytes.size())
                std::exit(1);
            f.close();
            return side.open(path);
        };
        // Wall-clock time, and the processor time of the window's thread, which a busy machine
        // disturbs less.
        std::vector<double> ms[5], cpu[5];
        for (int run = 0; run < 9; ++run) {
            for (int i = 0; i < 5; ++i) {
                // Each from a small page: an Open of the text already shown costs less.
                openBytes(small);
                const double c = threadCpuMs();
                ms[i].push_back(openBytes(files[i]));
                cpu[i].push_back(threadCpuMs() - c);
            }
        }
        std::printf("\nOpen of a 10 MB page, median of 9 runs (ms)\n");
        for (std::vector<double> *times : {ms, cpu}) {
            double m[5];
            for (int i = 0; i < 5; ++i) {
                std::sort(times[i].begin(), times[i].end());
                m[i] = times[i][times[i].size() / 2];
            }
            std::printf(
                "%-10s accents: Windows-1252 %.1f, UTF-8 %.1f (ratio %.2f); pure ASCII %.1f "
                "(ratio %.2f); words in Chinese, UTF-8 %.1f, in accents, Windows-1252 %.1f "
                "(ratio %.2f)\n",
                times == ms ? "wall" : "processor", m[0], m[1], ratio(m[1], m[0]), m[2],
                ratio(m[2], m[0]), m[4], m[3], ratio(m[4], m[3]));
        }
    }
    return 0;
}
