// Start-up of the real program: the time from the process start to the end of the main
// window's start-up, and its resident memory then, with the preview pane not yet shown. The
// program runs with QUENBRY_STARTUP_PROBE=1, which hands the splash over at once (its 2.5 s
// wait is the user's, not the program's) and announces the end of start-up on standard
// output; the owner is registered in a private home first, so no message box waits. Runs on
// the platform the environment names (scripts/bench: offscreen; DISPLAY and
// QT_QPA_PLATFORM=xcb for a real X server). Prints a table; run by hand on a quiet machine.
//
// startup_bench [RUNS] [PAGE_MIB]: with PAGE_MIB, a generated page of that many MiB is named on
// the command line, so the start-up includes opening it (512 is the largest page Open reads).
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// A line of a running process's /proc status in MiB: VmRSS (resident now) or VmHWM (its peak).
double statusMiB(qint64 pid, const QByteArray &key) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(key + ':'))
            return line.mid(key.size() + 1).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return -1;
}

// A page of `mib` MiB of ordinary markup lines.
QString writePage(const QTemporaryDir &home, int mib) {
    const QString path = home.filePath(QStringLiteral("page.html"));
    QFile page(path);
    if (!page.open(QIODevice::WriteOnly))
        return {};
    const QByteArray line = "<p class=\"x\">Hello, world &amp; some text of a page</p>\r\n";
    const qint64 size = qint64(mib) << 20;
    QByteArray chunk;
    while (chunk.size() < (1 << 20))
        chunk += line;
    for (qint64 written = 0; written < size;)
        written += page.write(chunk.constData(), std::min<qint64>(chunk.size(), size - written));
    return path;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char **argv) {
    const QString program = QStringLiteral(QUENBRY_PROGRAM);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 15;
    const int pageMiB = argc > 2 ? std::max(0, atoi(argv[2])) : 0;
    QTemporaryDir home;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
    QProcess registration;
    registration.setProcessEnvironment(env);
    registration.start(program, {QStringLiteral("--register-owner"), QStringLiteral("Bench"),
                                 QStringLiteral("Quenbry")});
    if (!registration.waitForFinished() || registration.exitCode() != 0) {
        std::fprintf(stderr, "cannot run %s\n", qPrintable(program));
        return 1;
    }
    env.insert(QStringLiteral("XDG_STATE_HOME"), home.filePath(QStringLiteral("state")));
    env.insert(QStringLiteral("QUENBRY_STARTUP_PROBE"), QStringLiteral("1"));
    const QStringList arguments = pageMiB ? QStringList(writePage(home, pageMiB)) : QStringList();

    std::vector<double> ms, mib, peak;
    for (int i = 0; i < runs; ++i) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.setStandardErrorFile(QProcess::nullDevice());
        QElapsedTimer t;
        t.start();
        p.start(program, arguments);
        while (!p.canReadLine() && p.waitForReadyRead(120000)) {
        }
        const double elapsed = t.nsecsElapsed() / 1e6;
        if (p.readLine().trimmed() != "started") {
            std::fprintf(stderr, "run %d: the program did not announce its start-up\n", i + 1);
            return 1;
        }
        ms.push_back(elapsed);
        mib.push_back(statusMiB(p.processId(), "VmRSS"));
        peak.push_back(statusMiB(p.processId(), "VmHWM"));
        p.terminate();
        if (!p.waitForFinished(5000))
            p.kill();
        p.waitForFinished();
    }
    std::printf("start-up of %s on %s, %d runs (target: 300 ms, 90 MB)\n", qPrintable(program),
                qgetenv("QT_QPA_PLATFORM").isEmpty() ? "the default platform"
                                                     : qgetenv("QT_QPA_PLATFORM").constData(),
                runs);
    if (pageMiB)
        std::printf("opening a page of %d MiB named on the command line\n", pageMiB);
    std::printf("%-28s %10s %10s %10s\n", "", "best", "median", "worst");
    std::printf("%-28s %10.1f %10.1f %10.1f\n", "to the end of start-up, ms",
                *std::min_element(ms.begin(), ms.end()), median(ms),
                *std::max_element(ms.begin(), ms.end()));
    std::printf("%-28s %10.1f %10.1f %10.1f\n", "resident memory, MiB",
                *std::min_element(mib.begin(), mib.end()), median(mib),
                *std::max_element(mib.begin(), mib.end()));
    std::printf("%-28s %10.1f %10.1f %10.1f\n", "peak memory, MiB",
                *std::min_element(peak.begin(), peak.end()), median(peak),
                *std::max_element(peak.begin(), peak.end()));
    return 0;
}
