// The journal of unsaved text: what it writes reads back as a text the editor held, whole or
// cut at any byte; it is private, locked while its editor runs, gone once the text is safe, and
// a failure to write it is told once.
#include "journal/journal.h"
#include "journal/leftjournals.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace quenbry {
namespace {

const JournalDocument kPage{"/pages/p\xe4ge.html", Encoding::Utf16Be};

QByteArray bytesOf(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeBytes(const QString &path, const QByteArray &bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

// A random edit of every kind the editor makes: typing, deleting, replacing, pasting line ends
// and characters outside the basic plane.
void randomEdit(EditorCore &text, QRandomGenerator &random) {
    static const QString pieces[] = {"a",
                                     "\r\n",
                                     QString::fromUtf8("\xf0\x9f\x98\x80"),
                                     "<p>",
                                     QString::fromUtf8("\xc3\xa9t\xc3\xa9"),
                                     "\n\n"};
    const int start = int(random.bounded(text.length() + 1));
    text.setSelStart(start);
    text.setSelLength(int(random.bounded(std::min(text.length() - start, 6) + 1)));
    QString inserted;
    for (int n = int(random.bounded(4)); n > 0; --n)
        inserted += pieces[random.bounded(6)];
    text.setSelText(inserted);
}

class JournalTest : public ::testing::Test {
protected:
    void SetUp() override { qputenv("XDG_STATE_HOME", QFile::encodeName(dir.filePath("state"))); }
    QStringList files() const { return QDir(dir.filePath("state/quenbry")).entryList(QDir::Files); }
    QTemporaryDir dir;
    EditorCore text;
    JournalDocument document = kPage;
};

TEST_F(JournalTest, EveryCutReadsBackAsAnEarlierTextOrDamaged) {
    QRandomGenerator random(21);
    Journal journal(text, [this] { return document; });
    // held[i]: the text after i edits of the model (an empty replacement of nothing is none).
    struct Held : EditorObserver {
        EditorCore &text;
        QStringList texts{text.text()};
        explicit Held(EditorCore &t)
            : text(t) {}
        void textChangeNotified() override { texts << text.text(); }
    } heldTexts(text);
    text.addObserver(&heldTexts);
    const QStringList &held = heldTexts.texts;
    const auto edit = [&] {
        randomEdit(text, random);
    };
    edit();
    journal.flush();
    journal.waitWritten();
    const int checkpointAt = int(held.size()) - 1;
    for (int batch = 0; batch < 40; ++batch) {
        for (int n = int(random.bounded(1, 5)); n > 0; --n)
            edit();
        journal.flush();
        journal.waitWritten();
    }
    const QByteArray bytes = bytesOf(journal.path());
    std::optional<JournalContent> whole = readJournal(bytes);
    ASSERT_TRUE(whole);
    EXPECT_EQ(whole->text, text.text());
    EXPECT_EQ(whole->document, kPage);
    EXPECT_FALSE(whole->cut);

    // A power cut leaves any prefix of the file: the checkpoint and the whole edits after it,
    // never a record cut short, and nothing at all without a whole checkpoint.
    int lastEdits = -1;
    for (int cut = 0; cut < bytes.size(); cut += int(random.bounded(1, 9))) {
        const std::optional<JournalContent> read = readJournal(bytes.left(cut));
        if (!read) {
            ASSERT_EQ(lastEdits, -1) << "damaged after a sound prefix, cut at " << cut;
            continue;
        }
        ASSERT_GE(read->edits, std::max(lastEdits, 0));
        ASSERT_EQ(read->text, held[checkpointAt + read->edits]) << "cut at " << cut;
        lastEdits = read->edits;
    }
    EXPECT_GE(lastEdits, 0);
    // A torn write may also leave other bytes than those written: the record stops the replay.
    for (int i = 0; i < 50; ++i) {
        QByteArray torn = bytes;
        const qsizetype at = bytes.size() - 1 - random.bounded(bytes.size() / 4);
        torn[at] = char(torn[at] ^ (1 << random.bounded(8)));
        const std::optional<JournalContent> read = readJournal(torn);
        ASSERT_TRUE(read);
        EXPECT_TRUE(read->cut);
        EXPECT_EQ(read->text, held[checkpointAt + read->edits]);
    }

    // A large paste makes a fresh checkpoint rather than a log longer than the text.
    text.setSelStart(0);
    text.setSelText(QString(3 << 20, QChar(u'x')));
    journal.flush();
    journal.waitWritten();
    const QByteArray compacted = bytesOf(journal.path());
    ASSERT_EQ(readJournal(compacted)->text, text.text());
    EXPECT_EQ(readJournal(compacted)->edits, 0);
    text.removeObserver(&heldTexts);
}

// A large page's first checkpoint after it was stored is read back from its file, with the edits
// since after it, while the file begins with exactly that text; otherwise the text is copied.
TEST_F(JournalTest, ALargePageIsCheckpointedFromItsFileWhileTheFileHoldsIt) {
    const QString page = QString("<p>caf\u00e9</p>\r\n").repeated(100'000);
    const QString path = dir.filePath("page.html");
    const struct {
        const char *what;
        QByteArray onDisk;        // after the text was stored
        int editsAfterCheckpoint; // a copied checkpoint has none
    } cases[] = {
        {"as opened", page.toLatin1(), 3},
        {"as saved, with one more line end", (page + "\r\n").toLatin1(), 3},
        {"changed since", (page.left(500) + "x" + page.mid(501)).toLatin1(), 0},
        {"shorter since", page.left(1000).toLatin1(), 0},
        {"gone", QByteArray(), 0},
    };
    document = {QFile::encodeName(path), Encoding::Windows1252};
    for (const auto &c : cases) {
        writeBytes(path, page.toLatin1());
        // As an Open does: the page goes in as one large edit, then it is stored.
        Journal journal(text, [this] { return document; });
        text.setText(page);
        journal.textStored();
        for (const auto &[at, drop, with] :
             {std::tuple{10, 0, "a"}, {1000, 3, ""}, {5000, 1, "\r\n"}}) {
            text.setSelStart(at);
            text.setSelLength(drop);
            text.setSelText(with);
        }
        if (c.onDisk.isEmpty())
            QFile::remove(path);
        else
            writeBytes(path, c.onDisk);
        journal.flush();
        journal.waitWritten();
        // A refused file comes back to the window's thread, which copies the text next time.
        QCoreApplication::processEvents();
        journal.flush();
        journal.waitWritten();
        const std::optional<JournalContent> read = readJournal(bytesOf(journal.path()));
        ASSERT_TRUE(read) << c.what;
        EXPECT_EQ(read->text, text.text()) << c.what;
        EXPECT_EQ(read->edits, c.editsAfterCheckpoint) << c.what;
    }
}

TEST_F(JournalTest, PrivateLockedGoneWhenSafeAndOfferedWhenLeft) {
    text.setText("stored");
    auto journal = std::make_unique<Journal>(text, [this] { return document; });
    journal->textStored();
    text.setSelStart(6);
    text.setSelText("!");
    journal->flush();
    journal->waitWritten();
    ASSERT_EQ(files().size(), 1);
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(dir.filePath("state/quenbry")).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    ASSERT_EQ(::stat(QFile::encodeName(journal->path()).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    // Its editor runs: no one else offers it.
    EXPECT_TRUE(leftJournals().found.empty());

    // Back to the stored text: nothing to keep.
    text.setSelStart(6);
    text.setSelLength(1);
    text.setSelText("");
    journal->flush();
    journal->waitWritten();
    EXPECT_EQ(files(), QStringList());
    // A new name is a change worth keeping even with the same text.
    document.fileName = "/elsewhere.html";
    journal->documentChanged();
    journal->flush();
    journal->waitWritten();
    ASSERT_EQ(files().size(), 1);
    const QString live = journal->path();

    // What a dead editor leaves: unlocked, and offered with its document.
    const QString left = dir.filePath("state/quenbry/unsaved-1-a.journal");
    writeBytes(left, bytesOf(live));
    writeBytes(dir.filePath("state/quenbry/unsaved-2-b.journal"), "QUENBRY JOURNAL 1\nrubbish");
    writeBytes(dir.filePath("state/quenbry/unsaved-3-c.journal.partial"), "unfinished");
    LeftJournals found = leftJournals();
    ASSERT_EQ(found.found.size(), 1u);
    EXPECT_EQ(found.found[0].path, left);
    EXPECT_EQ(found.found[0].content.text, "stored");
    EXPECT_EQ(found.found[0].content.document.fileName, "/elsewhere.html");
    EXPECT_EQ(found.damaged,
              QStringList{dir.filePath("state/quenbry/unsaved-2-b.journal.damaged")});
    EXPECT_FALSE(QFile::exists(dir.filePath("state/quenbry/unsaved-3-c.journal.partial")));
    EXPECT_TRUE(leftJournals().damaged.isEmpty());

    // Recovered: this editor's journal now; its own one goes.
    text.setText(found.found[0].content.text);
    journal->adopt(found.found[0]);
    journal->waitWritten();
    EXPECT_FALSE(QFile::exists(live));
    EXPECT_TRUE(leftJournals().found.empty());
    text.setSelStart(0);
    text.setSelText("re-");
    journal->flush();
    journal->waitWritten();
    EXPECT_EQ(journal->path(), left);
    EXPECT_EQ(readJournal(bytesOf(left))->text, "re-stored");
    // The normal end leaves nothing but the damaged one.
    journal.reset();
    EXPECT_EQ(files(), QStringList{"unsaved-2-b.journal.damaged"});
}

TEST_F(JournalTest, AFolderThatCannotBeWrittenIsToldOnce) {
    writeBytes(dir.filePath("state"), "a file where the folder should be");
    Journal journal(text, [this] { return document; });
    QStringList told;
    journal.onError = [&](const QString &error) {
        told << error;
    };
    for (int i = 0; i < 3; ++i) {
        text.setSelText("x");
        journal.flush();
        journal.waitWritten();
        QCoreApplication::processEvents();
    }
    ASSERT_EQ(told.size(), 1);
    EXPECT_TRUE(told[0].contains(dir.filePath("state/quenbry"))) << told[0].toStdString();
    EXPECT_EQ(text.text(), "xxx");
}

} // namespace
} // namespace quenbry
