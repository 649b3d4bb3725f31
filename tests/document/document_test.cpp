// Document files: the bytes of the code page, saving and its failures, and the file commands as
// the main window composes them (the save prompt, Open, Save, Save As, New and Exit).
#include "document/document.h"
#include "document/documentfile.h"
#include "document/filecodec.h"
#include "testsupport/scriptedservices.h"
#include "text/editorcore.h"

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
#include <sys/xattr.h>
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

// What other programs see of a file besides its bytes: owner, group, mode, an extended
// attribute's value, and which file it is (when asked for).
auto metadata(const QByteArray &name, bool withInode) {
    struct stat st {};
    char value[8] = {};
    EXPECT_EQ(::stat(name, &st), 0);
    ::getxattr(name, "user.x", value, sizeof value - 1);
    return std::tuple(st.st_uid, st.st_gid, st.st_mode & 07777, std::string(value),
                      withInode ? st.st_ino : 0);
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
    // All of them in a row, twice: pages are decoded sixteen bytes at a time where they can.
    QByteArray all;
    for (int b = 0; b < 512; ++b)
        all.append(char(b));
    EXPECT_EQ(FileCodec::decode(all), windows1252.decode(all));
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

// Bytes not valid in an encoding are refused at the first that is not (UTF-8 overlong, a
// surrogate, beyond U+10FFFF, cut short; a lone UTF-16 surrogate); detection draws its lines where
// the rules do (a UTF-8 page that declares another charset is UTF-8); what UTF-8 cannot hold is
// written as U+FFFD.
TEST(FileCodec, RefusesWhatIsNotValidAndDetectsAtTheEdges) {
    const std::tuple<const char *, Encoding, qsizetype> invalid[] = {
        {"61c0af", Encoding::Utf8, 1},
        {"6162eda080", Encoding::Utf8, 2},
        {"f4908080", Encoding::Utf8, 0},
        {"61e4b8", Encoding::Utf8, 1},
        {"e4b861", Encoding::Utf8, 0},
        {"efbf", Encoding::Utf8, 0},
        {"efbbbf616263e282", Encoding::Utf8WithBom, 6},
        {"fffe610000dc", Encoding::Utf16Le, 4}};
    for (const auto &[hex, as, invalidAt] : invalid) {
        qsizetype at = -1;
        EXPECT_FALSE(FileCodec::decode(QByteArray::fromHex(hex), as, &at)) << hex;
        EXPECT_EQ(at, invalidAt) << hex;
    }
    const std::pair<QByteArray, Encoding> detected[] = {
        {QByteArray(1005, ' ') + "<META CHARSET=UTF-8>", Encoding::Utf8},
        {QByteArray(1006, ' ') + "<meta charset=utf-8>", Encoding::Windows1252},
        {"<meta charset=\"windows-1252\">\xC3\xA9", Encoding::Utf8},
        {"<p>charset=utf-8</p>", Encoding::Windows1252},
        {QByteArray::fromHex("fffe3dd800de"), Encoding::Utf16Le},
        {QByteArray::fromHex("fffe61"), Encoding::Windows1252}};
    for (const auto &[bytes, encoding] : detected)
        EXPECT_EQ(FileCodec::decodeDetected(bytes).encoding, encoding) << bytes.toHex().data();
    EXPECT_EQ(FileCodec::encode(u"a\xDC00", Encoding::Utf8).toHex(), "61efbfbd");
}

const QString kPage = QStringLiteral("<html>\r\n<body>\r\n</body>\r\n</html>");
const QString kUntitled = QStringLiteral("Quenbry HTML Editor (Untitled)");

// The main window's part, recorded.
struct Host : DocumentHost {
    QString caption;
    bool cmdUndoEnabled = true;
    bool xpButton7Enabled = true;
    bool ended = false;
    QStringList captionsDuringNewPage; // one a New Page dialog, which is cancelled

    QWidget *dialogOwner() override { return nullptr; }
    void setCaption(const QString &c) override { caption = c; }
    std::optional<TemplateSettings> runNewPageDialog() override {
        captionsDuringNewPage << caption;
        return std::nullopt;
    }
    void disableCommand(Command command, Surfaces on) override {
        if (command != Command::Undo)
            ADD_FAILURE() << "a command other than Undo disabled";
        if (on & HiddenButtonSurface)
            cmdUndoEnabled = false;
        if (on & ToolbarSurface)
            xpButton7Enabled = false;
        if (on & MenuSurface)
            ADD_FAILURE() << "the menu's Undo disabled";
    }
    void endProcess() override { ended = true; }
};

// Start-up as the main window runs it: the page in, the modified flag cleared, the title shown;
// every change of the text sets the flag. A dialog the test did not answer fails it.
struct Session {
    QTemporaryDir dir;
    EditSession session;
    EditorCore &editor = session.text();
    EventLog log;
    ScriptedDialogs dialogs{log};
    Host host;
    Document doc{session, dialogs, host};

    Session() {
        dialogs.onUnexpected = [](const QString &what) {
            ADD_FAILURE() << "unexpected " << what.toStdString();
        };
        editor.setText(kPage);
        session.setRecording(true);
        session.resetHistory();
        session.setModified(false);
        doc.refreshTitle();
    }
    ~Session() { EXPECT_TRUE(dialogs.allAnswered()); }
    QString path(const QString &name) const { return dir.filePath(name); }
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

// A chain of relative links, and a link whose target does not exist yet.
TEST_F(DocumentTest, SaveWritesThroughLinks) {
    QDir(dir.path()).mkdir("real");
    ASSERT_TRUE(writeBytes(path("real/page.html"), "old"));
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
        doc.open();
        EXPECT_EQ(editor.length(), bytes.size());
        EXPECT_EQ(host.caption, "Quenbry HTML Editor (case.html)");
        // The opened text is a change like any other: Exit would ask.
        EXPECT_TRUE(doc.modified());
        ASSERT_EQ(doc.save(), SaveOutcome::Written);
        EXPECT_EQ(readBytes(file), bytes + "\r\n");
        EXPECT_FALSE(doc.modified());
    }
}

// Pages of megabytes are decoded into memory made ready on another thread while the file is
// read: each comes out as a small page of the same kind does, whether its encoding is detected
// or given, including the UTF-8 that turns out not to be and is read as Windows-1252.
TEST_F(DocumentTest, LargeFilesReadAsSmallOnesDo) {
    const QString line = QStringLiteral(
        "<p>caf\u00e9 \U0001F600 \u00e0 la carte \u4e2d\u6587 \u1000\ud7ff\ue000\ufffd</p>\r\n");
    const QByteArray ascii = QByteArray("<p>plain text</p>\n").repeated(70'000);
    const QByteArray utf8 = line.toUtf8().repeated(40'000);
    const QByteArray notUtf8 = utf8 + "\xE9";
    const QByteArray bom = "\xEF\xBB\xBF" + utf8;
    QByteArray utf16 = "\xFF\xFE";
    const QString wide = line.repeated(40'000);
    utf16.append(reinterpret_cast<const char *>(wide.utf16()), wide.size() * 2);
    const std::tuple<QByteArray, std::optional<Encoding>, Encoding> cases[] = {
        {ascii, std::nullopt, Encoding::Windows1252},
        {utf8, std::nullopt, Encoding::Utf8},
        {notUtf8, std::nullopt, Encoding::Windows1252},
        {bom, std::nullopt, Encoding::Utf8WithBom},
        {utf16, std::nullopt, Encoding::Utf16Le},
        {utf8, Encoding::Utf8, Encoding::Utf8},
        {notUtf8, Encoding::Windows1252, Encoding::Windows1252}};
    const QString file = path("large.html");
    for (const auto &[bytes, as, encoding] : cases) {
        SCOPED_TRACE(bytes.left(4).toHex().toStdString());
        ASSERT_GE(bytes.size(), 1 << 20);
        ASSERT_TRUE(writeBytes(file, bytes));
        const FileResult read = readDocumentFile(file, kMaxDocumentBytes, as);
        ASSERT_TRUE(read.ok());
        EXPECT_EQ(read.encoding, encoding);
        // Decoded by Qt, or as the small page it would be with no memory made aside.
        const QString expected = encoding == Encoding::Windows1252 ? FileCodec::decode(bytes)
                                 : encoding == Encoding::Utf16Le
                                     ? QStringDecoder(QStringDecoder::Utf16LE).decode(bytes)
                                     : QStringDecoder(QStringDecoder::Utf8).decode(bytes);
        EXPECT_TRUE(read.text == expected);
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

// A save keeps the file as its owner and other programs know it (owner, group, mode with its
// set-id and read-only bits, extended attributes, every hard link, no temporary file left), or
// fails with the reason and leaves it whole. Each save runs in a child process: as root, as an
// unprivileged user, or under a file-size limit (ulimit -f), whose signal must not end it.
TEST_F(DocumentTest, SaveKeepsTheFileAsOthersSeeIt) {
    constexpr uid_t root = 0, nobody = 65534;
    constexpr rlim_t none = RLIM_INFINITY;
    const struct {
        const char *name;
        uid_t owner, group, savedBy;
        mode_t mode, folderMode;
        bool hardLink = false;
        rlim_t sizeLimit = none;
        QString file = "page.html";
    } cases[] = {
        {"another user's file", nobody, nobody, root, 0640, 0755},
        {"read-only file", root, root, root, 0444, 0755},
        {"setuid, another user's", nobody, nobody, root, 04755, 0755},
        {"extended attribute", root, root, root, 0600, 0755},
        {"hard link", root, root, root, 0644, 0755, true},
        {"255-byte name", root, root, root, 0644, 0755, false, none, QString(250, 'n') + ".html"},
        {"read-only folder", nobody, nobody, nobody, 0644, 0555},
        {"another group's file", nobody, root, nobody, 0664, 0777},
        {"size limit", root, root, root, 0644, 0755, false, 4096},
        {"size limit, hard link", root, root, root, 0644, 0755, true, 4096},
    };
    if (::geteuid() != root)
        GTEST_SKIP() << "owners can be given back only as root";
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QTemporaryDir folder;
        const QString file = folder.filePath(c.file);
        const QByteArray name = file.toLocal8Bit();
        ASSERT_TRUE(writeBytes(file, "old"));
        ASSERT_EQ(::chown(name, c.owner, c.group) | ::chmod(name, c.mode), 0);
        ASSERT_EQ(c.hardLink ? ::link(name, folder.filePath("other").toLocal8Bit()) : 0, 0);
        const bool attribute = c.mode == 0600;
        if (attribute && QProcess::execute("setfattr", {"-n", "user.x", "-v", "kept", file})) {
            std::printf("skipped: no extended attributes here (or no setfattr)\n");
            continue;
        }
        // The saving user's own state folder, for the backup of a save in place.
        const QByteArray state = folder.filePath("state").toLocal8Bit();
        ASSERT_EQ(::mkdir(state, 0700) | ::chown(state, c.savedBy, c.savedBy), 0);
        ASSERT_EQ(::chmod(folder.path().toLocal8Bit(), c.folderMode), 0);
        // Rewritten in place where a new file could not be the same: the same inode.
        const bool inPlace = c.hardLink || c.savedBy != root;
        const auto before = metadata(name, inPlace);
        const QStringList names = QDir(folder.path()).entryList(QDir::Files | QDir::Hidden);
        const bool limited = c.sizeLimit != none;
        if (const pid_t child = ::fork(); child == 0) {
            const struct rlimit limit { c.sizeLimit, c.sizeLimit };
            if (::setrlimit(RLIMIT_FSIZE, &limit) || ::setgroups(0, nullptr) ||
                ::setresgid(c.savedBy, c.savedBy, c.savedBy) ||
                ::setresuid(c.savedBy, c.savedBy, c.savedBy) ||
                ::setenv("XDG_STATE_HOME", state, 1))
                ::_exit(2);
            const QString error = writeDocumentFile(file, QString(8192, 'x')).error;
            ::_exit(limited ? !error.endsWith("File too large.") : !error.isEmpty());
        } else {
            int status = -1;
            ::waitpid(child, &status, 0);
            EXPECT_EQ(status, 0); // the child ended with 0: the size limit's signal did not end it
        }
        EXPECT_EQ(readBytes(file), limited ? "old" : QByteArray(8192, 'x') + "\r\n");
        EXPECT_EQ(metadata(name, inPlace), before);
        EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), names);
        EXPECT_EQ(QDir(state + "/quenbry").entryList(QDir::Files | QDir::Hidden), QStringList());
    }
}

// What the editor saves it opens again: a file of exactly the limit opens, no edit makes the text
// longer than a file of the limit, and Save writes no file that Open would refuse (one of
// exactly the limit, with its CR LF, it writes), nor one that references made too large.
TEST_F(DocumentTest, WhatIsSavedOpensAgain) {
    constexpr qint64 limit = 100;
    doc.setFileLimit(limit);
    const QString file = path("page.html");
    const QByteArray atLimit(limit, 'a');
    ASSERT_TRUE(writeBytes(file, atLimit + 'a'));
    EXPECT_FALSE(readDocumentFile(file, limit).ok());
    ASSERT_TRUE(writeBytes(file, atLimit));
    dialogs.queueFileName(file);
    doc.open();
    ASSERT_EQ(editor.length(), limit);
    const struct {
        std::function<void()> act;
        const char *message; // what the user is told; the text and file stay as they were
    } refused[] = {
        {[&] { editor.typeCharacter('x'); }, "It would make the page 103 bytes long, more than "
                                             "the 100 bytes the editor can open again."},
        {[&] { editor.setSelText("xy"); }, "It would make the page 104 bytes long"},
        {[&] { doc.save(); }, "It would hold 102 bytes, more than the 100 bytes the editor can "
                              "open again."},
    };
    for (const auto &[act, message] : refused) {
        SCOPED_TRACE(message);
        dialogs.messages.clear();
        dialogs.queueAnswer(MessageAnswer::Ok);
        act();
        expectOnlyMessage(message, "Quenbry HTML Editor", MessageButtons::Ok);
        EXPECT_EQ(editor.text().toLatin1(), atLimit);
        EXPECT_EQ(readBytes(file), atLimit);
        EXPECT_TRUE(doc.modified());
    }
    // Two characters fewer, and the save is the largest file Open reads.
    editor.setSelStart(0);
    editor.setSelLength(2);
    editor.setSelText(QString());
    ASSERT_EQ(doc.save(), SaveOutcome::Written);
    EXPECT_EQ(readBytes(file), QByteArray(limit - 2, 'a') + "\r\n");
    EXPECT_TRUE(readDocumentFile(file, limit).ok());
    // A character Windows-1252 lacks is saved as a reference, longer than itself.
    editor.setSelText(QStringLiteral("\u4E2D"));
    dialogs.messages.clear();
    dialogs.queueAnswer(MessageAnswer::Ok);
    EXPECT_EQ(doc.save(), SaveOutcome::Failed);
    expectOnlyMessage("It would hold 108 bytes", "Quenbry HTML Editor", MessageButtons::Ok);
    EXPECT_TRUE(doc.modified());
    EXPECT_EQ(readBytes(file), QByteArray(limit - 2, 'a') + "\r\n");
}

// As root every file can be written, but one that no one may write by its permission bits is
// overwritten only when the user says so, and No (the default) writes nothing.
TEST(ReadOnlyFile, AsRootAsksFirst) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can write a read-only file";
    for (const MessageAnswer answer : {MessageAnswer::No, MessageAnswer::Yes}) {
        Session s;
        const QString file = s.path("page.html");
        ASSERT_TRUE(writeBytes(file, "read-only") && QFile::setPermissions(file, QFile::ReadOwner));
        s.dialogs.queueFileName(file);
        s.doc.open();
        s.editor.setText("mine");
        s.dialogs.queueAnswer(answer);
        const bool yes = answer == MessageAnswer::Yes;
        EXPECT_EQ(s.doc.save(), yes ? SaveOutcome::Written : SaveOutcome::Failed);
        s.expectOnlyMessage("The file is read-only. Save it anyway?", "Quenbry HTML Editor",
                            MessageButtons::YesNoDefaultNo);
        EXPECT_EQ(readBytes(file), yes ? "mine\r\n" : "read-only");
        EXPECT_EQ(s.doc.modified(), !yes);
        EXPECT_EQ(std::get<2>(metadata(QFile::encodeName(file), false)), 0400u);
    }
}

// A file changed on disk since it was opened or saved is overwritten only when the user says
// so, and No is the default button: another program rewrote it (answered No: the file and the
// document stay as they were), a second editor saved it (answered Yes), or it was deleted
// (simply written, unasked: the dialogs are strict).
TEST(ChangedOnDisk, AsksBeforeOverwriting) {
    enum Other { Rewrites, SecondEditorSaves, Deletes };
    for (const Other other : {Rewrites, SecondEditorSaves, Deletes}) {
        SCOPED_TRACE(int(other));
        Session s, second;
        const QString file = s.path("page.html");
        ASSERT_TRUE(writeBytes(file, "on disk"));
        for (Session *opener : {&s, &second}) {
            opener->dialogs.queueFileName(file);
            opener->doc.open();
        }
        s.editor.setText("mine");
        ASSERT_TRUE(other != Rewrites || writeBytes(file, "rewritten"));
        ASSERT_TRUE(other != SecondEditorSaves || second.doc.save() == SaveOutcome::Written);
        ASSERT_TRUE(other != Deletes || QFile::remove(file));
        // Coming back to the window asks nothing about a deleted file (the dialogs are strict).
        if (other == Deletes)
            s.doc.offerReload();
        const bool asked = other != Deletes, written = other != Rewrites;
        if (asked)
            s.dialogs.queueAnswer(written ? MessageAnswer::Yes : MessageAnswer::No);

        EXPECT_EQ(s.doc.save(), written ? SaveOutcome::Written : SaveOutcome::Failed);

        if (asked) {
            s.expectOnlyMessage("The file " + file +
                                    " has been changed on disk since it was "
                                    "opened. Overwrite it?",
                                "Quenbry HTML Editor", MessageButtons::YesNoDefaultNo);
        }
        EXPECT_EQ(readBytes(file), written ? "mine\r\n" : "rewritten");
        EXPECT_EQ(s.doc.modified(), !written);
        // The document's own save is no change made by another: no question (strict dialogs).
        EXPECT_TRUE(!written || s.doc.save() == SaveOutcome::Written);
    }
}

} // namespace
} // namespace quenbry
