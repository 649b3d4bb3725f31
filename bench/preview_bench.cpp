// What holding previewed pages to their folder costs, how far a runaway page gets, and how soon
// the pane follows the text. On the real main window with its pane (offscreen):
//  - one file served by the pane's rules (canonical path, checks, open) beside a plain open;
//  - showing a page with 300 pictures beside it, every one served by those rules;
//  - pages that run away (buffers, script heap, a loop without end): how long until the pane
//    stops them, and the renderer's largest resident set meanwhile, sampled every 20 ms;
//  - the refresh after the pause in typing, at 100 KB, 300 KB and 1 MB: from the end of the
//    pause to the pane showing the change, against a bare QWebEngineView that rewrites the same
//    file and reloads it, in turns, median of 9 (and the median of each round's ratio, which
//    the machine's load drifting between rounds moves less), with the processor time each
//    renderer and the window's thread took for it (in steps of 10 ms).
// Prints a table; run by hand on a quiet machine.
#include "pages.h"
#include "preview/pagefiles.h"
#include "preview/pageview.h"
#include "preview/webengine.h"
#include "shell/mainwindow.h"
#include "testsupport/scriptedservices.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebEngineView>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <unistd.h>

using namespace quenbry;

namespace {

qint64 parentOf(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray s = stat.readAll();
    return s.mid(s.lastIndexOf(')') + 4).split(' ').value(0).toLongLong();
}

bool isZygote(qint64 pid) {
    QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(pid));
    return cmdline.open(QIODevice::ReadOnly) && cmdline.readAll().contains("--type=zygote");
}

// The largest resident set (MiB) among this process's renderers: the engine's zygote forks
// them, and they keep its command line.
double rendererMiB() {
    double largest = 0;
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        const qint64 pid = entry.toLongLong();
        if (pid <= 0 || !isZygote(pid) || !isZygote(parentOf(pid)))
            continue;
        qint64 p = pid;
        while (p > 1 && p != ::getpid())
            p = parentOf(p);
        QFile statm(QStringLiteral("/proc/%1/statm").arg(pid));
        if (p == ::getpid() && statm.open(QIODevice::ReadOnly))
            largest = std::max(largest, statm.readAll().split(' ').value(1).toDouble() *
                                            ::getpagesize() / (1 << 20));
    }
    return largest;
}

// Runs the event loop until done() holds or the time is up. Not QTest::qWaitFor: its sleeps
// between looks hold the engine's requests back, tens of milliseconds each.
bool waitUntil(const std::function<bool()> &done, int timeoutMs) {
    QEventLoop loop;
    QTimer look;
    QElapsedTimer t;
    t.start();
    QObject::connect(&look, &QTimer::timeout, &loop, [&] {
        if (done() || t.elapsed() >= timeoutMs)
            loop.quit();
    });
    look.start(5);
    if (!done())
        loop.exec();
    return done();
}

void fileRules(const QString &folder) {
    constexpr int files = 2000;
    for (int i = 0; i < files; ++i) {
        QFile f(QStringLiteral("%1/f%2.txt").arg(folder).arg(i));
        f.open(QIODevice::WriteOnly);
        f.write("x");
    }
    const QString canonical = pagefiles::folderOf(folder + QStringLiteral("/page.html"));
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < files; ++i) {
        QString why;
        pagefiles::openInside(canonical, QStringLiteral("%1/f%2.txt").arg(folder).arg(i), why);
    }
    const double rules = t.nsecsElapsed() / 1000.0 / files;
    t.restart();
    for (int i = 0; i < files; ++i) {
        QFile f(QStringLiteral("%1/f%2.txt").arg(folder).arg(i));
        f.open(QIODevice::ReadOnly);
    }
    const double plain = t.nsecsElapsed() / 1000.0 / files;
    std::printf("%-44s %8.1f us (plain open %.1f us)\n", "one file by the pane's rules", rules,
                plain);
}

// Processor time used so far by a process's main thread and by the whole process, in ms.
std::pair<double, double> cpuMs(qint64 pid) {
    auto read = [](const QString &path) {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            return 0.0;
        const QList<QByteArray> fields = f.readAll().split(')').value(1).split(' ');
        // Past the command, field n of proc(5) is at n - 2: utime (14) and stime (15).
        return (fields.value(12).toDouble() + fields.value(13).toDouble()) * 1000.0 /
               double(::sysconf(_SC_CLK_TCK));
    };
    return {read(QStringLiteral("/proc/%1/task/%1/stat").arg(pid)),
            read(QStringLiteral("/proc/%1/stat").arg(pid))};
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// A key typed into the title of a page shown in the pane, and the same change written to a file
// that a bare view reloads; each timed until its page has loaded with the new title.
void refreshes(MainWindow &window, PreviewPane *pane, const QString &folder) {
    QWebEngineView bare;
    bare.resize(pane->size());
    bare.show();
    int oursLoaded = 0, bareLoaded = 0;
    QObject::connect(pane, &PreviewPane::pageLoaded, [&] { ++oursLoaded; });
    QObject::connect(&bare, &QWebEngineView::loadFinished, [&] { ++bareLoaded; });
    const QString barePath = folder + QStringLiteral("/bare.html");
    for (const int size : {100'000, 300'000, 1'000'000}) {
        const QString body = bench::realisticPage(size).section(QStringLiteral("</head>"), 1);
        QString title = QStringLiteral("t");
        auto text = [&] {
            return QStringLiteral("<html><head><title>%1</title></head>").arg(title) + body;
        };
        auto loaded = [&](int &count, int before, auto titleNow) {
            return waitUntil([&] { return count > before && titleNow() == title; }, 60'000);
        };
        auto oursTitle = [&] {
            return pane->pageView()->title();
        };
        auto bareTitle = [&] {
            return bare.title();
        };
        int before = oursLoaded;
        window.editor()->setText(text());
        loaded(oursLoaded, before, oursTitle);
        auto write = [&] {
            QFile f(barePath);
            return f.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                   f.write(text().toLatin1()) == text().size();
        };
        write();
        before = bareLoaded;
        bare.load(QUrl::fromLocalFile(barePath));
        loaded(bareLoaded, before, bareTitle);
        std::vector<double> ours, theirs, paired, oursMain, oursAll, bareMain, bareAll, oursBrowser,
            bareBrowser;
        auto *oursView = qobject_cast<QWebEngineView *>(pane->pageView()->widget());
        bool shown = true;
        for (int round = 0; round < 9; ++round) {
            title += u'x';
            const int at = window.editor()->indexOf(QStringLiteral("</title>"), 0);
            window.editor()->setSelStart(at);
            QElapsedTimer t;
            t.start();
            before = oursLoaded;
            auto c0 = cpuMs(oursView->page()->renderProcessPid());
            auto b0 = cpuMs(::getpid());
            window.editor()->typeCharacter(u'x');
            shown = loaded(oursLoaded, before, oursTitle) && shown;
            auto c1 = cpuMs(oursView->page()->renderProcessPid());
            auto b1 = cpuMs(::getpid());
            oursMain.push_back(c1.first - c0.first);
            oursAll.push_back(c1.second - c0.second);
            oursBrowser.push_back(b1.first - b0.first);
            ours.push_back(double(t.elapsed()) - InstantPreview::refreshDelayMs);
            t.restart();
            before = bareLoaded;
            b0 = cpuMs(::getpid());
            shown = write() && shown;
            c0 = cpuMs(bare.page()->renderProcessPid());
            bare.triggerPageAction(QWebEnginePage::Reload);
            shown = loaded(bareLoaded, before, bareTitle) && shown;
            c1 = cpuMs(bare.page()->renderProcessPid());
            b1 = cpuMs(::getpid());
            bareMain.push_back(c1.first - c0.first);
            bareBrowser.push_back(b1.first - b0.first);
            bareAll.push_back(c1.second - c0.second);
            theirs.push_back(double(t.elapsed()));
            paired.push_back(ours.back() / theirs.back());
        }
        std::printf("%-44s %8.0f ms, bare view %.0f ms (ratio %.2f; of each round's pair, "
                    "median %.2f)%s\n",
                    qPrintable(QStringLiteral("refresh after the pause, %1")
                                   .arg(size < 1'000'000 ? QStringLiteral("%1 KB").arg(size / 1000)
                                                         : QStringLiteral("1 MB"))),
                    median(ours), median(theirs), median(ours) / median(theirs), median(paired),
                    shown ? "" : "  [NOT SHOWN]");
        std::printf("%-44s %8.0f ms, bare view %.0f ms; whole renderer %.0f ms, bare %.0f ms\n",
                    "  renderer main thread's processor time", median(oursMain), median(bareMain),
                    median(oursAll), median(bareAll));
        // The window's thread: the key, the preview file and the hand-over for ours, the file
        // written again for the bare view; both, the engine's work on its side of the load.
        std::printf("%-44s %8.0f ms, bare view %.0f ms\n", "  window's thread's processor time",
                    median(oursBrowser), median(bareBrowser));
    }
}

} // namespace

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir dir;
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(dir.path()));
    prepareWebEngineEnvironment();
    QApplication app(argc, argv);
    fileRules(dir.path());

    ScriptedDesktop desktop;
    MainWindow window(desktop.services());
    window.startUp();
    QString page = QStringLiteral("<title>pictures</title>");
    for (int i = 0; i < 300; ++i) {
        QImage(40, 30, QImage::Format_RGB32).save(dir.filePath(QStringLiteral("p%1.png").arg(i)));
        page += QStringLiteral("<img src=\"p%1.png\">").arg(i);
    }
    // Saved as page.html beside the pictures, then shown once so that the engine has started.
    desktop.dialogs.queueFileName(dir.filePath(QStringLiteral("page.html")));
    window.menuItem(QStringLiteral("mnusaveas"))->trigger();
    PreviewPane *pane = window.preview().pane();
    window.menuItem(QStringLiteral("mnuipreview"))->trigger();
    const auto showing = [&](const QString &title, int timeoutMs) {
        return waitUntil([&] { return pane->pageView()->title() == title; }, timeoutMs);
    };
    window.editor()->setText(QStringLiteral("<title>warm</title>"));
    showing(QStringLiteral("warm"), 120'000);
    QElapsedTimer t;
    t.start();
    window.editor()->setText(page);
    const bool shown = showing(QStringLiteral("pictures"), 60'000);
    std::printf("%-44s %8.0f ms (after the %d ms pause; %s)\n", "a page with 300 pictures",
                double(t.elapsed()) - InstantPreview::refreshDelayMs,
                InstantPreview::refreshDelayMs, shown ? "shown" : "NOT SHOWN");

    const struct {
        const char *what, *script;
    } hogs[] = {
        {"runaway: buffers outside the script heap",
         "const a = []; setInterval(() => a.length < 64 && "
         "a.push(new Uint8Array(64 << 20).fill(1)), 5);"},
        {"runaway: the script heap", "const a = []; for (;;) a.push(new Array(1 << 20).fill(1));"},
        {"runaway: a loop without end", "for (;;) {}"},
    };
    for (const auto &hog : hogs) {
        window.editor()->setText(QStringLiteral("<title>calm</title>"));
        waitUntil(
            [&] { return pane->stopMessage().isEmpty() && pane->pageView()->title() == "calm"; },
            60'000);
        window.editor()->setText(QStringLiteral("<script>%1</script>").arg(hog.script));
        t.restart();
        double peak = 0;
        while (pane->stopMessage().isEmpty() && t.elapsed() < 60'000) {
            peak = std::max(peak, rendererMiB());
            waitUntil([] { return false; }, 20);
        }
        std::printf("%-44s %8.1f s, renderer peak %.0f MiB\n", hog.what,
                    (t.elapsed() - InstantPreview::refreshDelayMs) / 1000.0, peak);
    }
    // Last: the bare view's engine work outlives it, and the runaway pages' stops crashed the
    // event loop while it was there.
    refreshes(window, pane, dir.path());
    window.deletePreviewFile();
    return 0;
}
