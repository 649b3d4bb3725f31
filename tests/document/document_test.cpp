// Document files: the bytes of the code page, saving and its failures, and the file commands as
// the main window composes them (the save prompt, Open, Save, Save As, New and Exit).
#include "document/document.h"
#include "document/documentfile.h"
#include "document/filecodec.h"
#include "platform/editorcore.h"
#include "testsupport/scriptedservices.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <functional>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace quenbry {
namespace {

QByteArray readBytes(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

bool writeBytes(const QString &path, const QByteArray &bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// Runs f in a child process: its exit code, or 128 and the signal that ended it.
int inChild(const std::function<int()> &f) {
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(f());
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

struct stat statOf(const QString &path) {
    struct stat st {};
    EXPECT_EQ(::stat(path.toLocal8Bit().constData(), &st), 0) << path.toStdString();
    return st;
}

// Every byte is the Windows-1252 character (the five undefined bytes their own C1 control, as
// ICU reads them too) and encodes back to itself.
TEST(FileCodec, EveryByteIsItsWindows1252Character) {
    QStringDecoder windows1252("windows-1252");
    ASSERT_TRUE(windows1252.isValid());
    for (int b = 0; b < 256; ++b) {
        const QByteArray byte(1, char(b));
        EXPECT_EQ(FileCodec::decode(byte), windows1252.decode(byte)) << b;
        EXPECT_EQ(FileCodec::encode(FileCodec::decode(byte)), byte) << b;
    }
}

TEST(FileCodec, WritesReferencesForWhatTheCodePageCannotHold) {
    const std::pair<QString, QByteArray> cases[] = {
        {QStringLiteral("a\u4E2Db\u03A9"), "a&#20013;b&#937;"},
        // A surrogate pair is one character; a lone half of one is no character at all.
        {QString::fromUcs4(U"x\U0001F600y"), "x&#128512;y"},
        {QString(QChar(0xD83D)) + 'z' + QChar(0xDE00), "&#65533;z&#65533;"},
        // C1 controls other than the five undefined bytes: their byte means another character.
        {QString(QChar(0x0080)) + QChar(0x0099), "&#128;&#153;"},
    };
    for (const auto &[text, bytes] : cases)
        EXPECT_EQ(FileCodec::encode(text), bytes) << text.toStdString();
    // Plain text first fills the one-byte-a-character guess; the references must all fit.
    QString text(1000, QLatin1Char('a'));
    QByteArray expected = text.toLatin1();
    for (int i = 0; i < 5000; ++i) {
        text += QString::fromUcs4(i % 2 ? U"\U0010FFFF" : U"\u4E2D");
        expected += i % 2 ? "&#1114111;" : "&#20013;";
    }
    EXPECT_EQ(FileCodec::encode(text + 'z'), expected + 'z');
}

const QString kPage = QStringLiteral("<html>\r\n<body>\r\n</body>\r\n</html>");
const QString kUntitled = QStringLiteral("Quenbry HTML Editor (Untitled)");

// The main window's part, recorded.
struct Host : DocumentHost {
    QString caption;
    bool cmdUndoEnabled = true;
    bool xpButton7Enabled = true;
    bool ended = false;
    int historyResets = 0;
    QStringList captionsDuringNewPage; // one a New Page dialog, which is cancelled

    QWidget *dialogOwner() override { return nullptr; }
    void setCaption(const QString &c) override { caption = c; }
    std::optional<TemplateSettings> runNewPageDialog() override {
        captionsDuringNewPage << caption;
        return std::nullopt;
    }
    void disableHiddenUndoButton() override { cmdUndoEnabled = false; }
    void disableToolbarUndoButton() override { xpButton7Enabled = false; }
    void resetHistory() override { ++historyResets; }
    void endProcess() override { ended = true; }
};

// Start-up as the main window runs it: the page in, the modified flag cleared, the title shown;
// every change of the text sets the flag. A dialog the test did not answer fails it.
struct Session {
    QTemporaryDir dir;
    EditorCore editor;
    EventLog log;
    ScriptedDialogs dialogs{log};
    Host host;
    Document doc{editor, dialogs, host};

    Session() {
        dialogs.onUnexpected = [](const QString &what) {
            ADD_FAILURE() << "unexpected " << what.toStdString();
        };
        editor.onChange = [this] {
            doc.setModified(true);
        };
        editor.setText(kPage);
        doc.setModified(false);
        doc.refreshTitle();
    }
    ~Session() { EXPECT_TRUE(dialogs.allAnswered()); }
    QString path(const QString &name) const { return dir.filePath(name); }
    void openFile(const QString &file) {
        dialogs.queueFileName(file);
        if (doc.modified())
            dialogs.queueAnswer(MessageAnswer::No);
        doc.open();
    }
    void saveAsFile(const QString &file) {
        dialogs.queueFileName(file);
        if (QFileInfo::exists(file))
            dialogs.queueAnswer(MessageAnswer::Yes);
        ASSERT_EQ(doc.saveAs(), SaveOutcome::Written);
    }
    void expectOnlyMessage(const QString &text, const QString &title, MessageButtons buttons) {
        ASSERT_EQ(dialogs.messages.size(), 1u);
        const ScriptedDialogs::Message &m = dialogs.messages[0];
        EXPECT_TRUE(m.text.contains(text)) << m.text.toStdString();
        EXPECT_EQ(m.title, title);
        EXPECT_EQ(m.buttons, buttons);
        EXPECT_EQ(m.icon,
                  buttons == MessageButtons::Ok ? MessageIcon::Critical : MessageIcon::Question);
    }
};

class DocumentTest : public ::testing::Test, protected Session {};

TEST_F(DocumentTest, SaveKeepsPermissionsAndWritesThroughLinks) {
    const QString file = path("page.html");
    ASSERT_TRUE(writeBytes(file, "old"));
    ASSERT_TRUE(QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                QFileDevice::ReadGroup));
    ASSERT_TRUE(writeDocumentFile(file, u"new").ok());
    EXPECT_EQ(readBytes(file), "new\r\n");
    struct stat st {};
    ASSERT_EQ(::stat(file.toLocal8Bit().constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"page.html"});

    // A chain of relative links, and a link whose target does not exist yet.
    QDir(dir.path()).mkdir("real");
    ASSERT_TRUE(QFile::rename(file, path("real/page.html")));
    ASSERT_TRUE(QFile::link("real/page.html", path("link.html")));
    ASSERT_TRUE(QFile::link("link.html", path("link2.html")));
    ASSERT_TRUE(QFile::link(path("missing.html"), path("dangling.html")));
    ASSERT_TRUE(writeDocumentFile(path("link2.html"), u"through").ok());
    ASSERT_TRUE(writeDocumentFile(path("dangling.html"), u"x").ok());
    for (const char *link : {"link.html", "link2.html", "dangling.html"})
        EXPECT_TRUE(QFileInfo(path(link)).isSymLink()) << link;
    EXPECT_EQ(readBytes(path("real/page.html")), "through\r\n");
    EXPECT_EQ(readBytes(path("missing.html")), "x\r\n");
    // Files that report no size are read all the same.
    EXPECT_TRUE(readDocumentFile(QStringLiteral("/proc/self/status")).text.startsWith("Name:"));
}

// The save prompt before New, Open and Exit: its title, and what each answer lets happen.
TEST(SavePrompt, GuardsNewOpenAndExit) {
    enum SaveDialog { None, Cancelled, Named };
    const struct {
        const char *name;
        bool modified;
        MessageAnswer answer;
        SaveDialog save;
        bool goesOn;
    } cases[] = {
        {"unmodified", false, {}, None, true},
        {"Cancel", true, MessageAnswer::Cancel, None, false},
        {"No", true, MessageAnswer::No, None, true},
        // A Yes whose save wrote nothing must not let the command throw the text away.
        {"Yes, Save cancelled", true, MessageAnswer::Yes, Cancelled, false},
        {"Yes, saved", true, MessageAnswer::Yes, Named, true},
    };
    const std::pair<void (Document::*)(), const char *> commands[] = {
        {&Document::newPage, "DozudUzaz Evodav"},
        {&Document::open, "Quenbry HTML Editor"},
        {&Document::exit, "DozudUzaz Evodav"},
    };
    for (const auto &[command, promptTitle] : commands) {
        for (const auto &c : cases) {
            SCOPED_TRACE(std::string(promptTitle) + ", " + c.name);
            Session s;
            const QString file = s.path("saved.html");
            if (c.modified) {
                s.editor.setText("x" + kPage);
                s.dialogs.queueAnswer(c.answer);
            }
            const QString text = s.editor.text();
            if (c.save != None)
                s.dialogs.queueFileName(c.save == Named ? std::optional(file) : std::nullopt);
            if (c.goesOn && command == &Document::open)
                s.dialogs.queueFileName(std::nullopt);

            (s.doc.*command)();

            if (c.modified) {
                s.expectOnlyMessage("Do you want to save your file?", promptTitle,
                                    MessageButtons::YesNoCancel);
            }
            EXPECT_EQ(s.dialogs.messages.size(), size_t(c.modified));
            const auto &fileDialogs = s.dialogs.fileDialogs;
            const bool opened = !fileDialogs.empty() && fileDialogs.back().title == "Open";
            const int newPages = int(s.host.captionsDuringNewPage.size());
            EXPECT_EQ(newPages + int(opened) + int(s.host.ended), int(c.goesOn));
            // New forgets the file, and the title says so while the New Page dialog is open.
            if (newPages) {
                EXPECT_EQ(s.host.captionsDuringNewPage[0], kUntitled);
                EXPECT_EQ(s.doc.fileName(), QString());
            }
            // New and Open disable the hidden Undo button, New the toolbar's too.
            EXPECT_EQ(s.host.cmdUndoEnabled, !c.goesOn || s.host.ended);
            EXPECT_EQ(s.host.xpButton7Enabled, !c.goesOn || opened || s.host.ended);
            EXPECT_EQ(s.host.caption, s.doc.caption());
            EXPECT_EQ(s.host.historyResets, 0); // the New Page and Open dialogs were cancelled
            EXPECT_EQ(s.doc.modified(), c.modified && c.save != Named);
            if (!c.goesOn) {
                EXPECT_EQ(s.editor.text(), text);
            }
            EXPECT_EQ(readBytes(file), c.save == Named ? text.toLatin1() + "\r\n" : "<unreadable>");
            if (opened) { // the Open dialog starts at the file just saved, if any
                EXPECT_EQ(fileDialogs.back().mode, FileDialogRequest::Open);
                EXPECT_EQ(fileDialogs.back().filter, "HTML Pages|*.html");
                EXPECT_EQ(fileDialogs.back().fileName, c.save == Named ? file : QString());
            }
        }
    }
}

// A file opened and saved unedited comes back byte for byte, plus the one CR LF a save adds.
TEST_F(DocumentTest, FilesComeBackByteForByte) {
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    const QByteArray cases[] = {all, "a\nb\n\nc", "a\rb\r\rc", "a\r\nb\nc\rd\n\r", "", "abc\r\n"};
    for (const QByteArray &bytes : cases) {
        SCOPED_TRACE(bytes.toHex().left(40).toStdString());
        const QString file = path("case.html");
        ASSERT_TRUE(writeBytes(file, bytes));
        dialogs.queueFileName(file);
        if (doc.modified())
            dialogs.queueAnswer(MessageAnswer::No);
        const int resets = host.historyResets;
        doc.open();
        EXPECT_EQ(host.historyResets, resets + 1);
        EXPECT_EQ(editor.length(), bytes.size());
        EXPECT_EQ(host.caption, "Quenbry HTML Editor (case.html)");
        // The opened text is a change like any other: Exit would ask.
        EXPECT_TRUE(doc.modified());
        ASSERT_EQ(doc.save(), SaveOutcome::Written);
        EXPECT_EQ(readBytes(file), bytes + "\r\n");
        EXPECT_FALSE(doc.modified());
    }
}

// A file that cannot be read or written: one message naming it and saying why, the document,
// its file and its flags as they were, and nothing left behind. Pipes and devices are refused
// before they are opened: opening a pipe would wait for a writer for good, and /dev/zero never
// ends (the test's timeout catches a hang).
TEST_F(DocumentTest, FailuresChangeNothing) {
    const QString oldFile = path("old.html");
    editor.setText("unsaved");
    saveAsFile(oldFile);
    EXPECT_TRUE(doc.modified()); // Save As leaves the flag as it is
    QDir(dir.path()).mkdir("folder");
    ASSERT_TRUE(QFile::link(path("b"), path("a")));
    ASSERT_TRUE(QFile::link(path("a"), path("b")));
    const QString fifo = path("folder/pipe.html"), huge = path("folder/huge.html");
    ASSERT_EQ(::mkfifo(fifo.toLocal8Bit().constData(), 0644), 0);
    // 4 GiB and 16 bytes: what an int would take for 16 characters.
    ASSERT_TRUE(writeBytes(huge, "") && QFile::resize(huge, (qint64(4) << 30) + 16));
    struct stat devFull {};
    ASSERT_EQ(::stat("/dev/full", &devFull), 0);
    const struct {
        SaveOutcome (Document::*save)(); // none for Open
        QString file;
        const char *reason;
    } cases[] = {
        {nullptr, path("missing.html"), "No such file or directory"},
        {nullptr, path("folder"), "It is a folder, not a file"},
        {nullptr, fifo, "It is a named pipe, not a file"},
        {nullptr, QStringLiteral("/dev/zero"), "It is a device, not a file"},
        {nullptr, huge, "It holds 4.00 GiB, more than the 512 MiB the editor can hold"},
        {&Document::saveAs, path("no-such-folder/page.html"), "does not exist"},
        {&Document::saveAs, path(QString(256, 'n')), "File name too long"},
        {&Document::saveAs, QStringLiteral("/proc/quenbry-document-test.html"), ""},
        {&Document::saveAs, path("folder"), "It is a folder, not a file"},
        {&Document::saveAs, path("a"), "Too many levels of symbolic links"},
        {&Document::saveAs, QStringLiteral("/dev/full"), "It is a device, not a file"},
        {&Document::saveAs, fifo, "It is a named pipe, not a file"},
        {&Document::save, oldFile, "It is a folder, not a file"}, // replaced meanwhile
    };
    for (const auto &[save, file, reason] : cases) {
        SCOPED_TRACE(file.toStdString());
        if (save == &Document::save) {
            ASSERT_TRUE(QFile::remove(oldFile) && QDir(dir.path()).mkdir("old.html"));
        }
        const QByteArray oldBytes = readBytes(oldFile);
        dialogs.messages.clear();
        if (!save)
            dialogs.queueAnswer(MessageAnswer::No); // the save prompt
        if (save != &Document::save)
            dialogs.queueFileName(file);
        if (save && QFileInfo::exists(file))
            dialogs.queueAnswer(MessageAnswer::Yes); // overwrite, changed on disk or not
        dialogs.queueAnswer(MessageAnswer::Ok);
        if (save) {
            EXPECT_EQ((doc.*save)(), SaveOutcome::Failed);
        } else {
            doc.open();
        }
        ASSERT_FALSE(dialogs.messages.empty());
        dialogs.messages.erase(dialogs.messages.begin(), dialogs.messages.end() - 1);
        expectOnlyMessage('"' + file + "\" could not be", "Quenbry HTML Editor",
                          MessageButtons::Ok);
        EXPECT_TRUE(dialogs.messages[0].text.contains(QLatin1String(reason)))
            << dialogs.messages[0].text.toStdString();
        EXPECT_EQ(editor.text(), "unsaved");
        EXPECT_EQ(doc.fileName(), oldFile);
        EXPECT_TRUE(doc.modified());
        EXPECT_EQ(host.caption, "Quenbry HTML Editor (old.html)");
        EXPECT_EQ(host.historyResets, 0);
        EXPECT_EQ(readBytes(oldFile), oldBytes);
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::System | QDir::Hidden),
              (QStringList{"a", "b"}));
    EXPECT_TRUE(QFileInfo(path("a")).isSymLink());
    EXPECT_FALSE(QFileInfo::exists("/proc/quenbry-document-test.html"));
    struct stat after {};
    ASSERT_EQ(::stat("/dev/full", &after), 0);
    EXPECT_TRUE(S_ISCHR(after.st_mode));
    EXPECT_EQ(after.st_rdev, devFull.st_rdev);
    ASSERT_EQ(::stat(fifo.toLocal8Bit().constData(), &after), 0);
    EXPECT_TRUE(S_ISFIFO(after.st_mode));
}

// A small file system of its own, mounted for the test, to run out of space for real.
TEST_F(DocumentTest, DirectSaveThatDoesNotFitKeepsTheOldFile) {
    const QString mountPoint = path("small");
    ASSERT_TRUE(QDir(dir.path()).mkdir("small"));
    if (::mount("tmpfs", mountPoint.toLocal8Bit().constData(), "tmpfs", 0, "size=16k") != 0)
        GTEST_SKIP() << "this machine does not allow mounting a tmpfs";
    const struct Unmount {
        QByteArray at;
        ~Unmount() { ::umount(at.constData()); }
    } unmount{mountPoint.toLocal8Bit()};
    const QString file = mountPoint + "/page.html";
    ASSERT_TRUE(writeBytes(file, "old page"));
    dialogs.queueFileName(file);
    doc.open();
    editor.setText(QString(64 * 1024, QLatin1Char('x')));
    dialogs.queueAnswer(MessageAnswer::Ok);
    EXPECT_EQ(doc.save(), SaveOutcome::Failed);
    const QString noSpace = file + "\" could not be saved.\n\nNo space left on device.";
    expectOnlyMessage(noSpace, "Quenbry HTML Editor", MessageButtons::Ok);
    EXPECT_TRUE(doc.modified());
    EXPECT_EQ(readBytes(file), "old page");
    EXPECT_EQ(QDir(mountPoint).entryList(QDir::Files | QDir::Hidden), QStringList{"page.html"});
    // A failed direct save is no direct save: the dialogs still add no extension.
    EXPECT_EQ(doc.defaultExt(), QString());
    // Exit's Yes that cannot save keeps the program running.
    dialogs.queueAnswer(MessageAnswer::Yes);
    dialogs.queueAnswer(MessageAnswer::Ok);
    doc.exit();
    EXPECT_FALSE(host.ended);
    EXPECT_EQ(readBytes(file), "old page");
    // A file with a second name is rewritten in place: its room is reserved before the old
    // text is touched.
    ASSERT_EQ(::link(file.toLocal8Bit(), (mountPoint + "/other.html").toLocal8Bit()), 0);
    dialogs.messages.clear();
    dialogs.queueAnswer(MessageAnswer::Ok);
    EXPECT_EQ(doc.save(), SaveOutcome::Failed);
    expectOnlyMessage(noSpace, "Quenbry HTML Editor", MessageButtons::Ok);
    EXPECT_EQ(readBytes(file), "old page");
}

// A save keeps the file as its owner and other programs know it: owner, group, mode (set-id and
// read-only bits too), extended attributes and every hard link, and leaves no temporary file.
// The suite runs as root, which may give a file back to any owner.
TEST_F(DocumentTest, SaveKeepsTheFileAsOthersSeeIt) {
    const struct {
        const char *name;
        QString file;
        uid_t owner;
        mode_t mode;
        bool hardLink = false;
        bool attribute = false;
    } cases[] = {
        {"another user's file", "page.html", 65534, 0640},
        {"read-only file", "page.html", 0, 0444},
        {"setuid, another user's", "page.html", 65534, 04755},
        {"hard link", "page.html", 0, 0644, true},
        {"extended attribute", "page.html", 0, 0600, false, true},
        {"255-byte name", QString(250, 'n') + ".html", 0, 0644},
    };
    if (::geteuid() != 0)
        GTEST_SKIP() << "owners can be given back only as root";
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QTemporaryDir folder;
        const QString file = folder.filePath(c.file), other = folder.filePath("other.html");
        const QByteArray name = file.toLocal8Bit();
        ASSERT_TRUE(writeBytes(file, "old"));
        ASSERT_EQ(::chown(name, c.owner, c.owner), 0);
        ASSERT_EQ(::chmod(name, c.mode), 0);
        if (c.hardLink) {
            ASSERT_EQ(::link(name, other.toLocal8Bit()), 0);
        }
        if (c.attribute &&
            QProcess::execute("setfattr", {"-n", "user.origin", "-v", "kept", file}) != 0) {
            std::printf("skipped: no extended attributes here (or no setfattr)\n");
            continue;
        }
        const struct stat before = statOf(file);
        const QStringList names = QDir(folder.path()).entryList(QDir::Files | QDir::Hidden);

        ASSERT_EQ(writeDocumentFile(file, u"new").error, QString());

        EXPECT_EQ(readBytes(file), "new\r\n");
        const struct stat after = statOf(file);
        EXPECT_EQ(after.st_uid, c.owner);
        EXPECT_EQ(after.st_gid, c.owner);
        EXPECT_EQ(after.st_mode & 07777, c.mode);
        EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), names);
        if (c.hardLink) {
            EXPECT_EQ(after.st_ino, before.st_ino);
            EXPECT_EQ(readBytes(other), "new\r\n");
        }
        if (c.attribute) {
            QProcess get;
            get.start("getfattr", {"--only-values", "-n", "user.origin", file});
            EXPECT_TRUE(get.waitForFinished());
            EXPECT_EQ(get.readAllStandardOutput(), "kept");
        }
    }
}

// A user who may not write the folder, or not give the file back to its group, still saves a
// file they may write: it is rewritten in place and stays the same file.
TEST_F(DocumentTest, UnprivilegedUserSavesInPlace) {
    constexpr uid_t nobody = 65534;
    const struct {
        const char *folder;
        mode_t folderMode;
        gid_t group;
    } cases[] = {{"read-only", 0555, nobody}, {"another group's file", 0777, 0}};
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to become another user";
    ASSERT_EQ(::chmod(dir.path().toLocal8Bit(), 0755), 0);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.folder);
        ASSERT_TRUE(QDir(dir.path()).mkdir(c.folder));
        const QString file = path(c.folder) + "/page.html";
        ASSERT_TRUE(writeBytes(file, "old"));
        ASSERT_EQ(::chown(file.toLocal8Bit(), nobody, c.group), 0);
        ASSERT_EQ(::chmod(path(c.folder).toLocal8Bit(), c.folderMode), 0);
        const struct stat before = statOf(file);
        const int status = inChild([&] {
            if (::setgroups(0, nullptr) != 0 || ::setresgid(nobody, nobody, nobody) != 0 ||
                ::setresuid(nobody, nobody, nobody) != 0)
                return 2;
            return writeDocumentFile(file, u"new").ok() ? 0 : 1;
        });
        EXPECT_EQ(status, 0);
        EXPECT_EQ(readBytes(file), "new\r\n");
        const struct stat after = statOf(file);
        EXPECT_EQ(after.st_ino, before.st_ino);
        EXPECT_EQ(after.st_gid, c.group);
    }
}

// A file-size limit (ulimit -f) is a message, for a new file and for one rewritten in place,
// and the program lives on with its text: the signal of the limit is ignored.
TEST_F(DocumentTest, FileSizeLimitIsAMessage) {
    const QString linked = path("linked.html");
    ASSERT_TRUE(writeBytes(linked, "old"));
    ASSERT_EQ(::link(linked.toLocal8Bit(), path("other.html").toLocal8Bit()), 0);
    const int status = inChild([&] {
        const struct rlimit limit { 4096, 4096 };
        ::setrlimit(RLIMIT_FSIZE, &limit);
        for (const QString &file : {path("new.html"), linked}) {
            if (!writeDocumentFile(file, QString(64 * 1024, 'x')).error.endsWith("File too large."))
                return 1;
        }
        return 0;
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(readBytes(linked), "old");
    EXPECT_FALSE(QFileInfo::exists(path("new.html")));
}

// A file changed on disk since it was opened or saved is overwritten only when the user says
// so; No leaves the file and the document as they were. Another editor's save is such a change;
// a file deleted meanwhile is simply written.
TEST(ChangedOnDisk, AsksBeforeOverwriting) {
    enum Other { Rewrites, SecondEditorSaves, Deletes, Nothing };
    const struct {
        Other other;
        MessageAnswer answer; // to the question, when it comes
        bool asked;
    } cases[] = {
        {Rewrites, MessageAnswer::No, true},
        {Rewrites, MessageAnswer::Yes, true},
        {SecondEditorSaves, MessageAnswer::No, true},
        {Deletes, {}, false},
        {Nothing, {}, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(int(&c - cases));
        Session s, second;
        const QString file = s.path("page.html");
        ASSERT_TRUE(writeBytes(file, "on disk"));
        s.openFile(file);
        second.openFile(file);
        s.editor.setText("mine");
        if (c.other == Rewrites) {
            ASSERT_TRUE(writeBytes(file, "changed by another program"));
        }
        if (c.other == SecondEditorSaves) {
            second.editor.setText("theirs");
            ASSERT_EQ(second.doc.save(), SaveOutcome::Written);
        }
        if (c.other == Deletes) {
            ASSERT_TRUE(QFile::remove(file));
        }
        const QByteArray onDisk = readBytes(file);
        if (c.asked)
            s.dialogs.queueAnswer(c.answer);
        const bool written = !c.asked || c.answer == MessageAnswer::Yes;

        EXPECT_EQ(s.doc.save(), written ? SaveOutcome::Written : SaveOutcome::Failed);

        EXPECT_EQ(s.dialogs.messages.size(), size_t(c.asked));
        if (c.asked) {
            s.expectOnlyMessage("The file " + file +
                                    " has been changed on disk since it was "
                                    "opened. Overwrite it?",
                                "Quenbry HTML Editor", MessageButtons::YesNo);
        }
        EXPECT_EQ(readBytes(file), written ? "mine\r\n" : onDisk);
        EXPECT_EQ(s.editor.text(), "mine");
        EXPECT_EQ(s.doc.modified(), !written);
        // The document's own save is no change made by another.
        s.dialogs.messages.clear();
        if (written) {
            EXPECT_EQ(s.doc.save(), SaveOutcome::Written);
        }
        EXPECT_TRUE(s.dialogs.messages.empty());
    }
}

} // namespace
} // namespace quenbry
