// Keystroke latency through the real main window, beside QScintilla with its HTML lexer as a
// peer: open time and the latency of each typed key up to a synchronous repaint of the view.
// Prints a table; the peer is only ever linked into this benchmark. A second table types the
// same keys into the 100 KB and 1 MB pages with the live preview pane closed and open.
//
// One keystroke, on both sides, is timed from the key press through the release, the posted
// events it left behind (processEvents) and a synchronous repaint of the viewport, so work
// that an editor defers to the event loop is counted as well.

#include "pages.h"
#include "platform/twips.h"
#include "preview/webengine.h"
#include "shell/mainwindow.h"
#include "testsupport/scriptedservices.h"

#include <Qsci/qscilexerhtml.h>
#include <Qsci/qsciscintilla.h>

#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QKeyEvent>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

using namespace quenbry;

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point t) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

constexpr QSize windowSize(1000, 700);

struct Options {
    int keys = 600;
    // Wall-clock limit for the keystrokes of one page in one editor: a single-line page can
    // cost an editor a third of a second a key, and the whole run has to stay short.
    double budgetSeconds = 15;
    // Only the pages whose name contains this (all when empty), to profile one page.
    QString only;
};

struct Page {
    const char *name;
    QString text;
    // Typed into once more with the preview pane open.
    bool withPane = false;
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

void sendKey(QWidget *target, Key k) {
    if (k.ch == U'\b') {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_Backspace, Qt::NoModifier);
        QApplication::sendEvent(target, &press);
        QApplication::sendEvent(target, &release);
        return;
    }
    const QString text(QChar(char16_t(k.ch)));
    // Qt's key codes for ASCII are the upper-case character codes.
    const int code = int(QChar(char16_t(k.ch)).toUpper().unicode());
    QKeyEvent press(QEvent::KeyPress, code, Qt::NoModifier, text);
    QKeyEvent release(QEvent::KeyRelease, code, Qt::NoModifier, text);
    QApplication::sendEvent(target, &press);
    QApplication::sendEvent(target, &release);
}

struct Result {
    double openMs = 0;
    std::vector<double> keyMs;
    bool lengthOk = true;
    bool coloured = false;

    double percentile(double p) const {
        if (keyMs.empty())
            return 0;
        std::vector<double> s = keyMs;
        std::sort(s.begin(), s.end());
        const size_t i = std::min(s.size() - 1, size_t(p * double(s.size())));
        return s[i];
    }
    double max() const { return keyMs.empty() ? 0 : *std::max_element(keyMs.begin(), keyMs.end()); }
};

// One key into target, followed by the posted events and a repaint of viewport; in ms.
double timeKey(QWidget *target, QWidget *viewport, Key k) {
    const auto t = Clock::now();
    sendKey(target, k);
    QCoreApplication::processEvents();
    viewport->repaint();
    return msSince(t);
}

// Types the keys until all are typed or the budget is spent.
void typeKeys(QWidget *target, QWidget *viewport, const std::vector<Key> &keys, const Options &opt,
              Result &r) {
    const auto start = Clock::now();
    for (const Key &k : keys) {
        r.keyMs.push_back(timeKey(target, viewport, k));
        if (msSince(start) > opt.budgetSeconds * 1000)
            break;
    }
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

    Result run(const Page &page, const std::vector<Key> &keys, const Options &opt) {
        Result r = open(page);
        EditorView *view = window_->editorView();
        typeKeys(view, view->viewport(), keys, opt, r);
        r.lengthOk = lengthOk(keys, int(r.keyMs.size()));
        return r;
    }

    // Opens the page and puts the caret in its middle.
    Result open(const Page &page) {
        Result r;
        const QString path = dir_.filePath(QStringLiteral("page.html"));
        {
            QFile f(path);
            if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
                std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
                std::exit(1);
            }
            f.write(page.text.toLatin1());
        }
        EditorCore *ed = window_->editor();
        EditorView *view = window_->editorView();
        // The previous page was typed into: decline saving it.
        if (window_->modified())
            desktop_.dialogs.queueAnswer(MessageAnswer::No);
        desktop_.dialogs.queueFileName(path);
        const int loadsBefore = pagesLoaded_;
        auto t = Clock::now();
        window_->menuItem(QStringLiteral("mnuopen"))->trigger();
        QCoreApplication::processEvents();
        view->viewport()->repaint();
        r.openMs = msSince(t);
        // The keys are timed with the engine idle, the opened page rendered.
        if (previewPane_)
            waitForPage(loadsBefore);
        if (ed->length() != page.text.size()) {
            std::fprintf(stderr, "%s: the window did not open the page (%d of %lld chars)\n",
                         page.name, ed->length(), static_cast<long long>(page.text.size()));
            std::exit(1);
        }
        const int firstTag = ed->indexOf(QStringLiteral("<p "), 0);
        r.coloured = firstTag >= 0 && ed->colourAt(firstTag) != ed->defaultTextColour();

        lengthBefore_ = ed->length();
        ed->setSelStart(lengthBefore_ / 2);
        view->ensureCaretVisible();
        view->viewport()->repaint();
        return r;
    }

    double type(Key k) {
        return timeKey(window_->editorView(), window_->editorView()->viewport(), k);
    }
    bool lengthOk(const std::vector<Key> &keys, int typed) const {
        return window_->editor()->length() == lengthBefore_ + netGrowth(keys, typed);
    }

    void close() { window_.reset(); }

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
void typeInTurn(OurSide &a, Result &ra, OurSide &b, Result &rb, const std::vector<Key> &keys,
                const Options &opt) {
    const auto start = Clock::now();
    for (const Key &k : keys) {
        ra.keyMs.push_back(a.type(k));
        rb.keyMs.push_back(b.type(k));
        if (msSince(start) > opt.budgetSeconds * 2000)
            break;
    }
    ra.lengthOk = a.lengthOk(keys, int(ra.keyMs.size()));
    rb.lengthOk = b.lengthOk(keys, int(rb.keyMs.size()));
}

// ---- The peer: QScintilla with its HTML lexer, as its users see it ------------------------

Result peerRun(const Page &page, const std::vector<Key> &keys, const Options &opt) {
    Result r;
    QsciScintilla sci;
    QsciLexerHTML lexer;
    sci.setLexer(&lexer);
    sci.resize(windowSize);
    sci.show();
    QCoreApplication::processEvents();
    auto t = Clock::now();
    sci.setText(page.text);
    QCoreApplication::processEvents();
    sci.viewport()->repaint();
    r.openMs = msSince(t);
    r.coloured = true;

    const long before = sci.SendScintilla(QsciScintillaBase::SCI_GETLENGTH);
    // Pages are ASCII: byte and character offsets agree.
    sci.SendScintilla(QsciScintillaBase::SCI_GOTOPOS, before / 2);
    sci.ensureCursorVisible();
    sci.viewport()->repaint();
    typeKeys(&sci, sci.viewport(), keys, opt, r);
    r.lengthOk = sci.SendScintilla(QsciScintillaBase::SCI_GETLENGTH) ==
                 before + netGrowth(keys, int(r.keyMs.size()));
    return r;
}

// ---- Reporting -------------------------------------------------------------------------

long procStatusKb(const char *field) {
    std::ifstream in("/proc/self/status");
    std::string line;
    const size_t n = std::strlen(field);
    while (std::getline(in, line))
        if (line.compare(0, n, field) == 0)
            return std::atol(line.c_str() + n + 1);
    return -1;
}

// Resets the peak RSS so that the peer's peak is its own; false where the kernel refuses.
bool resetPeakRss() {
    std::ofstream out("/proc/self/clear_refs");
    out << "5";
    out.flush();
    return bool(out);
}

double ratio(double ours, double peer) {
    return peer > 0 ? ours / peer : 0;
}

void usage() {
    std::fprintf(stderr,
                 "usage: keystroke_bench [--keys N] [--budget SECONDS] [--page NAME-PART]\n");
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
        else
            usage();
    }
    if (opt.keys < 1 || opt.budgetSeconds <= 0)
        usage();

    const Page allPages[] = {
        {"realistic 100 KB", bench::realisticPage(100'000), true},
        {"realistic 1 MB", bench::realisticPage(1'000'000), true},
        {"realistic 10 MB", bench::realisticPage(10'000'000)},
        {"minified 100 KB", bench::minifiedPage(100'000)},
        {"minified 1 MB", bench::minifiedPage(1'000'000)},
    };
    std::vector<Page> pages;
    for (const Page &p : allPages)
        if (QString::fromLatin1(p.name).contains(opt.only))
            pages.push_back(p);
    if (pages.empty())
        usage();
    const std::vector<Key> keys = keystrokes(opt.keys);
    const size_t pageCount = pages.size();

    std::vector<Result> ours(pageCount);
    std::vector<Result> peer(pageCount);
    {
        OurSide side;
        for (size_t i = 0; i < pageCount; ++i) {
            std::fprintf(stderr, "ours: %s\n", pages[i].name);
            ours[i] = side.run(pages[i], keys, opt);
        }
        side.close();
    }
    const long oursPeakKb = procStatusKb("VmHWM:");
    const bool separatePeaks = resetPeakRss();
    for (size_t i = 0; i < pageCount; ++i) {
        std::fprintf(stderr, "peer: %s\n", pages[i].name);
        peer[i] = peerRun(pages[i], keys, opt);
    }
    const long peerPeakKb = procStatusKb("VmHWM:");

    // Last, so that the web engine counts in neither peak: each page typed into with the pane
    // closed and open, a key into one window and the same key into the other. The pane takes 6150
    // twips of the editor's width; the closed side's window is narrower by as much, so that
    // both editors paint lines of the same width and only the preview makes a difference.
    std::vector<size_t> paneRows;
    for (size_t i = 0; i < pageCount; ++i)
        if (pages[i].withPane)
            paneRows.push_back(i);
    std::vector<Result> paneClosed(pageCount);
    std::vector<Result> paneOpen(pageCount);
    if (!paneRows.empty()) {
        OurSide closed(false, windowSize - QSize(twipsToPixels(6150), 0));
        OurSide open(true);
        for (size_t i : paneRows) {
            std::fprintf(stderr, "ours, preview pane closed and open: %s\n", pages[i].name);
            paneClosed[i] = closed.open(pages[i]);
            paneOpen[i] = open.open(pages[i]);
            typeInTurn(closed, paneClosed[i], open, paneOpen[i], keys, opt);
        }
    }

    std::printf("Keystroke benchmark: %dx%d offscreen, up to %d keys per page and editor "
                "(%.0f s budget); times in ms; ratio = ours / QScintilla\n\n",
                windowSize.width(), windowSize.height(), opt.keys, opt.budgetSeconds);
    std::printf("%-17s %9s %5s %5s | %8s %8s %6s | %7s %7s %6s | %7s %7s %6s | %7s %7s %6s\n",
                "page", "chars", "keys", "keysP", "open", "openP", "ratio", "p50", "p50P", "ratio",
                "p99", "p99P", "ratio", "max", "maxP", "ratio");
    for (size_t i = 0; i < pageCount; ++i) {
        const Result &o = ours[i];
        const Result &p = peer[i];
        std::printf("%-17s %9lld %5zu %5zu | %8.1f %8.1f %6.2f | %7.3f %7.3f %6.2f | %7.2f %7.2f "
                    "%6.2f | %7.2f %7.2f %6.2f%s%s\n",
                    pages[i].name, static_cast<long long>(pages[i].text.size()), o.keyMs.size(),
                    p.keyMs.size(), o.openMs, p.openMs, ratio(o.openMs, p.openMs),
                    o.percentile(0.5), p.percentile(0.5),
                    ratio(o.percentile(0.5), p.percentile(0.5)), o.percentile(0.99),
                    p.percentile(0.99), ratio(o.percentile(0.99), p.percentile(0.99)), o.max(),
                    p.max(), ratio(o.max(), p.max()), o.coloured ? "" : "  [ours not coloured]",
                    o.lengthOk && p.lengthOk ? "" : "  [TEXT LENGTH MISMATCH]");
    }
    std::printf("\n(P = QScintilla; keys = keystrokes typed within the budget)\n");
    if (separatePeaks)
        std::printf("peak RSS (VmHWM): ours %.1f MB, QScintilla %.1f MB (pages held: both)\n",
                    oursPeakKb / 1024.0, peerPeakKb / 1024.0);
    else
        std::printf("peak RSS (VmHWM): ours %.1f MB; process after the peer %.1f MB\n",
                    oursPeakKb / 1024.0, peerPeakKb / 1024.0);
    if (!paneRows.empty()) {
        std::printf("\nOurs with the Instant Preview pane closed and open (V); ratio = open / "
                    "closed\n\n");
        std::printf("%-17s %5s | %7s %7s %6s | %7s %7s %6s | %7s %7s %6s\n", "page", "keysV", "p50",
                    "p50V", "ratio", "p99", "p99V", "ratio", "max", "maxV", "ratio");
        for (size_t i : paneRows) {
            const Result &o = paneClosed[i];
            const Result &v = paneOpen[i];
            std::printf("%-17s %5zu | %7.3f %7.3f %6.2f | %7.2f %7.2f %6.2f | %7.2f %7.2f "
                        "%6.2f%s\n",
                        pages[i].name, v.keyMs.size(), o.percentile(0.5), v.percentile(0.5),
                        ratio(v.percentile(0.5), o.percentile(0.5)), o.percentile(0.99),
                        v.percentile(0.99), ratio(v.percentile(0.99), o.percentile(0.99)), o.max(),
                        v.max(), ratio(v.max(), o.max()),
                        o.lengthOk && v.lengthOk ? "" : "  [TEXT LENGTH MISMATCH]");
        }
    }
    return 0;
}
