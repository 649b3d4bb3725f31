// What the journal of unsaved text costs the typing: each key typed into the edit session, with
// the event loop run after it as the window runs it (the journal's timer included), on the
// 100 KB and 10 MB pages with and without a journal; then the time to put a 20 MB paste in the
// journal: the window thread's share, and the writer's until the file is on the disk.

#include "editing/editsession.h"
#include "journal/journal.h"
#include "pages.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <numeric>
#include <vector>

using namespace quenbry;

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point t) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

struct Stats {
    double mean = 0, p99 = 0;
};

Stats stats(std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    return {std::accumulate(ms.begin(), ms.end(), 0.0) / double(ms.size()),
            ms[std::min(ms.size() - 1, size_t(0.99 * double(ms.size())))]};
}

// Types `keys` keys in the middle of the page: letters, a space, Backspace now and then. A
// person typing 10 keys a second meets the journal's write every 7 keys (its timer's longest
// wait): the benchmark's keys come faster, so the write is made at that pace by hand.
Stats typeInto(const QString &page, bool journalled, int keys) {
    EditSession session;
    session.load(page);
    session.setRecording(true);
    session.text().setSelStart(page.size() / 2);
    std::unique_ptr<Journal> journal;
    if (journalled) {
        journal = std::make_unique<Journal>(session.text(), [] {
            return JournalDocument{"/pages/page.html", Encoding::Utf8};
        });
        journal->textStored();
    }
    const char *pattern = "journal costs \b\b\bnothing ";
    std::vector<double> ms;
    for (int i = 0; i < keys; ++i) {
        const char c = pattern[i % std::strlen(pattern)];
        const auto t = Clock::now();
        if (c == '\b')
            session.text().pressBackspace();
        else
            session.typeCharacter(c);
        QCoreApplication::processEvents();
        if (journal && i % 7 == 6)
            journal->flush();
        ms.push_back(msSince(t));
    }
    return stats(ms);
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const int keys = argc > 1 ? std::atoi(argv[1]) : 3000;
    QTemporaryDir state(QDir::tempPath() + "/journal-bench-XXXXXX");
    qputenv("XDG_STATE_HOME", state.path().toLocal8Bit());

    std::printf("per key, ms (%d keys; with the journal, written every 7th key)\n", keys);
    std::printf("%-8s %12s %12s %12s %12s\n", "page", "mean", "p99", "mean+journal", "p99+journal");
    for (const auto &[name, size] : {std::pair{"100 KB", 100'000}, {"10 MB", 10'000'000}}) {
        const QString page = bench::realisticPage(size);
        // Alternated, so that the machine's load weighs on both alike.
        Stats plain{}, with{};
        for (int round = 0; round < 3; ++round) {
            const Stats p = typeInto(page, false, keys / 3);
            const Stats w = typeInto(page, true, keys / 3);
            plain.mean += p.mean / 3, plain.p99 = std::max(plain.p99, p.p99);
            with.mean += w.mean / 3, with.p99 = std::max(with.p99, w.p99);
        }
        std::printf("%-8s %12.4f %12.4f %12.4f %12.4f\n", name, plain.mean, plain.p99, with.mean,
                    with.p99);
    }

    // Reading back what a long session on the 10 MB page left: 30,000 keys in 4,300 writes.
    {
        EditSession session;
        session.load(bench::realisticPage(10'000'000));
        session.text().setSelStart(5'000'000);
        Journal journal(session.text(), [] {
            return JournalDocument{"/pages/page.html", Encoding::Utf8};
        });
        journal.textStored();
        for (int i = 0; i < 30'000; ++i) {
            if (i % 50 == 49)
                session.text().pressBackspace();
            else
                session.typeCharacter('a' + i % 26);
            if (i % 7 == 6)
                journal.flush();
        }
        journal.flush();
        journal.waitWritten();
        QFile file(journal.path());
        file.open(QIODevice::ReadOnly);
        const QByteArray bytes = file.readAll();
        const auto t = Clock::now();
        const std::optional<JournalContent> read = readJournal(bytes);
        std::printf("read back 30,000 keys on the 10 MB page (%.1f MB, %d edits): %.1f ms, %s\n",
                    double(bytes.size()) / 1e6, read ? read->edits : -1, msSince(t),
                    read && read->text == session.text().text() ? "exact" : "WRONG");
    }

    // A 20 MB paste into a journalled page.
    for (int round = 0; round < 3; ++round) {
        EditSession session;
        session.load(bench::realisticPage(100'000));
        Journal journal(session.text(), [] {
            return JournalDocument{"/pages/page.html", Encoding::Utf8};
        });
        journal.textStored();
        session.text().insertFromUser(QString(20'000'000, QChar(u'x')));
        const auto t = Clock::now();
        journal.flush();
        const double handed = msSince(t);
        journal.waitWritten();
        std::printf("20 MB paste: window thread %.1f ms, on the disk after %.1f ms (%s)\n", handed,
                    msSince(t), qPrintable(journal.path()));
    }
    return 0;
}
