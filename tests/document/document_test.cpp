#include "document/document.h"
#include "documenttestutil.h"
#include "platform/editorcore.h"
#include "recordinghost.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>

namespace quenbry {
namespace {

using test::MessageRequest;
using test::readBytes;
using test::RecordingHost;
using test::StrictDialogs;
using test::writeBytes;

const QString kPage = QStringLiteral("<html>\r\n<body>\r\n</body>\r\n</html>");
const QString kUntitled = QStringLiteral("Quenbry HTML Editor (Untitled)");
const QString kPrompt = QStringLiteral("Do you want to save your file?");
const QString kOverwrite =
    QStringLiteral("Do you want to overwrite the current file with this version?");

// The document as the main window composes it: the change handling sets `Modified`, and
// start-up ends with the default page, `Modified` cleared and the title refreshed.
class DocumentFlow : public ::testing::Test {
protected:
    QTemporaryDir dir;
    EditorCore editor;
    StrictDialogs dialogs;
    RecordingHost host;
    Document doc{editor, dialogs, host};

    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        editor.onChange = [this] {
            doc.setModified(true);
        };
        editor.setText(kPage);
        doc.setModified(false);
        doc.refreshTitle();
    }
    QString path(const QString &name) const { return dir.filePath(name); }
    void type(const QString &s) {
        for (QChar c : s)
            editor.typeCharacter(c.unicode());
    }
    // Opens `file` through the Open command on an unmodified document.
    void open(const QString &file) {
        const bool wasModified = doc.modified();
        if (wasModified)
            dialogs.answers.push_back(MessageAnswer::No);
        dialogs.fileNames.push_back(file);
        doc.open();
        ASSERT_EQ(doc.fileName(), file);
    }
    void saveAs(const QString &file) {
        dialogs.fileNames.push_back(file);
        if (QFileInfo::exists(file))
            dialogs.answers.push_back(MessageAnswer::Yes);
        ASSERT_EQ(doc.saveAs(), SaveOutcome::Written);
    }
    void expectNoQuestionsLeft() {
        EXPECT_TRUE(dialogs.answers.empty());
        EXPECT_TRUE(dialogs.fileNames.empty());
    }
};

TEST_F(DocumentFlow, ExitRightAfterStartUpEndsWithoutAPrompt) {
    doc.exit();
    EXPECT_TRUE(host.ended);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(DocumentFlow, SavePromptTitlesAndCancel) {
    using Command = void (Document::*)();
    struct Case {
        const char *name;
        Command command;
        QString title;
    };
    const Case cases[] = {
        {"New", &Document::newPage, QStringLiteral("DozudUzaz Evodav")},
        {"Open", &Document::open, QStringLiteral("Quenbry HTML Editor")},
        {"Exit", &Document::exit, QStringLiteral("DozudUzaz Evodav")},
    };
    type("x");
    const QString text = editor.text();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        dialogs.messages.clear();
        dialogs.answers.push_back(MessageAnswer::Cancel);
        (doc.*c.command)();
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].text, kPrompt);
        EXPECT_EQ(dialogs.messages[0].title, c.title);
        EXPECT_EQ(dialogs.messages[0].buttons, MessageButtons::YesNoCancel);
        EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Question);
        // Cancel: nothing has happened at all.
        EXPECT_FALSE(host.ended);
        EXPECT_EQ(host.newPageDialogs, 0);
        EXPECT_TRUE(dialogs.fileDialogs.empty());
        EXPECT_TRUE(host.cmdUndoEnabled);
        EXPECT_EQ(editor.text(), text);
        EXPECT_TRUE(doc.modified());
    }
}

TEST_F(DocumentFlow, PromptNoGoesOnWithoutSaving) {
    type("x");
    dialogs.answers.push_back(MessageAnswer::No);
    doc.exit();
    EXPECT_TRUE(host.ended);
    EXPECT_TRUE(dialogs.fileDialogs.empty());
}

TEST_F(DocumentFlow, PromptYesSavesThenGoesOn) {
    const QString file = path("page.html");
    saveAs(file);
    type("x");
    dialogs.answers.push_back(MessageAnswer::Yes);
    doc.exit();
    EXPECT_TRUE(host.ended);
    EXPECT_EQ(readBytes(file), "x" + kPage.toLatin1() + "\r\n");
    EXPECT_FALSE(doc.modified());
}

// A Yes whose save wrote nothing stops the command: the document is not thrown away.
TEST_F(DocumentFlow, PromptYesWithCancelledSaveStopsTheCommand) {
    using Command = void (Document::*)();
    const std::pair<const char *, Command> commands[] = {
        {"New", &Document::newPage},
        {"Open", &Document::open},
        {"Exit", &Document::exit},
    };
    type("x");
    const QString text = editor.text();
    for (const auto &[name, command] : commands) {
        SCOPED_TRACE(name);
        dialogs.fileDialogs.clear();
        dialogs.answers.push_back(MessageAnswer::Yes);
        dialogs.fileNames.push_back(std::nullopt);
        (doc.*command)();
        ASSERT_EQ(dialogs.fileDialogs.size(), 1u);
        EXPECT_EQ(dialogs.fileDialogs[0].title, "Save");
        EXPECT_FALSE(host.ended);
        EXPECT_EQ(host.newPageDialogs, 0);
        EXPECT_TRUE(doc.modified());
        EXPECT_EQ(editor.text(), text);
        EXPECT_EQ(doc.fileName(), QString());
    }
    // And the next Exit still asks.
    dialogs.answers.push_back(MessageAnswer::Cancel);
    doc.exit();
    EXPECT_FALSE(host.ended);
    expectNoQuestionsLeft();
}

TEST_F(DocumentFlow, CancelledSaveDialogKeepsModified) {
    type("x");
    dialogs.fileNames.push_back(std::nullopt);
    EXPECT_EQ(doc.save(), SaveOutcome::Cancelled);
    EXPECT_TRUE(doc.modified());
    EXPECT_EQ(host.caption, kUntitled);
    const FileDialogRequest &req = dialogs.fileDialogs.at(0);
    EXPECT_EQ(req.mode, FileDialogRequest::Save);
    EXPECT_EQ(req.filter, "HTML Pages|*.html");
    EXPECT_EQ(req.fileName, QString());
}

TEST_F(DocumentFlow, SaveWritesTextAndOneLineEnd) {
    editor.setText("abc");
    const QString file = path("abc.html");
    dialogs.fileNames.push_back(file);
    EXPECT_EQ(doc.save(), SaveOutcome::Written);
    EXPECT_EQ(readBytes(file), QByteArray::fromHex("6162630d0a"));
    EXPECT_FALSE(doc.modified());
    EXPECT_EQ(doc.fileName(), file);
    EXPECT_EQ(host.caption, "Quenbry HTML Editor (abc.html)");
}

TEST_F(DocumentFlow, EachOpenAndSaveAddsOneLineEnd) {
    const QString file = path("abc.html");
    ASSERT_TRUE(writeBytes(file, QByteArray::fromHex("6162630d0a")));
    open(file);
    EXPECT_EQ(doc.save(), SaveOutcome::Written);
    EXPECT_EQ(readBytes(file), QByteArray::fromHex("6162630d0a0d0a"));
    open(file);
    EXPECT_EQ(doc.save(), SaveOutcome::Written);
    EXPECT_EQ(readBytes(file), QByteArray::fromHex("6162630d0a0d0a0d0a"));
    expectNoQuestionsLeft();
}

TEST_F(DocumentFlow, FilesOpenAndSaveBackByteForByte) {
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    const struct {
        const char *name;
        QByteArray bytes;
    } cases[] = {
        {"all bytes", all},
        {"LF only", "a\nb\n\nc"},
        {"CR only", "a\rb\r\rc"},
        {"mixed", "a\r\nb\nc\rd\n\r"},
        {"empty", ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QString file = path(QStringLiteral("case.html"));
        ASSERT_TRUE(writeBytes(file, c.bytes));
        open(file);
        EXPECT_EQ(editor.length(), c.bytes.size());
        EXPECT_TRUE(doc.modified());
        ASSERT_EQ(doc.save(), SaveOutcome::Written);
        EXPECT_EQ(readBytes(file), c.bytes + "\r\n");
    }
}

TEST_F(DocumentFlow, UnmappableCharactersAreWrittenAsReferences) {
    const QString text = QStringLiteral("<p>\u20AC \u4E2D\u6587</p>");
    editor.setText(text);
    const QString file = path("refs.html");
    dialogs.fileNames.push_back(file);
    ASSERT_EQ(doc.save(), SaveOutcome::Written);
    EXPECT_EQ(readBytes(file), "<p>\x80 &#20013;&#25991;</p>\r\n");
    EXPECT_EQ(editor.text(), text);
}

TEST_F(DocumentFlow, OpenCountsAsAChangeAndThenExitPrompts) {
    const QString file = path("page.html");
    ASSERT_TRUE(writeBytes(file, "hello"));
    dialogs.fileNames.push_back(file);
    doc.open();
    const FileDialogRequest &req = dialogs.fileDialogs.at(0);
    EXPECT_EQ(req.mode, FileDialogRequest::Open);
    EXPECT_EQ(req.title, "Open");
    EXPECT_EQ(req.filter, "HTML Pages|*.html");
    EXPECT_EQ(editor.text(), "hello");
    EXPECT_EQ(host.caption, "Quenbry HTML Editor (page.html)");
    EXPECT_TRUE(doc.modified());
    EXPECT_FALSE(host.cmdUndoEnabled);
    EXPECT_TRUE(host.xpButton7Enabled);

    dialogs.answers.push_back(MessageAnswer::Cancel);
    doc.exit();
    EXPECT_EQ(dialogs.messages.size(), 1u);
    EXPECT_FALSE(host.ended);
}

TEST_F(DocumentFlow, CancelledOpenRefreshesTitleAndDisablesOnlyCmdUndo) {
    host.caption = "stale";
    dialogs.fileNames.push_back(std::nullopt);
    doc.open();
    EXPECT_EQ(editor.text(), kPage);
    EXPECT_FALSE(doc.modified());
    EXPECT_EQ(host.caption, kUntitled);
    EXPECT_FALSE(host.cmdUndoEnabled);
    EXPECT_TRUE(host.xpButton7Enabled);
}

TEST_F(DocumentFlow, OpenPromptYesSavesFirstThenOpens) {
    type("x");
    const QString saved = path("saved.html");
    const QString other = path("other.html");
    ASSERT_TRUE(writeBytes(other, "other"));
    dialogs.answers.push_back(MessageAnswer::Yes);
    dialogs.fileNames.push_back(saved);
    dialogs.fileNames.push_back(other);
    doc.open();
    ASSERT_EQ(dialogs.fileDialogs.size(), 2u);
    EXPECT_EQ(dialogs.fileDialogs[0].title, "Save");
    EXPECT_EQ(dialogs.fileDialogs[1].title, "Open");
    EXPECT_EQ(dialogs.fileDialogs[1].fileName, saved);
    EXPECT_EQ(readBytes(saved), "x" + kPage.toLatin1() + "\r\n");
    EXPECT_EQ(editor.text(), "other");
    EXPECT_EQ(doc.fileName(), other);
}

TEST_F(DocumentFlow, NewWithCancelledPageDialog) {
    saveAs(path("page.html"));
    type("x");
    host.caption = "stale";
    dialogs.answers.push_back(MessageAnswer::No);
    doc.newPage();
    EXPECT_EQ(host.newPageDialogs, 1);
    EXPECT_EQ(editor.text(), "x" + kPage);
    EXPECT_EQ(doc.fileName(), QString());
    EXPECT_EQ(host.caption, kUntitled);
    EXPECT_FALSE(host.cmdUndoEnabled);
    EXPECT_FALSE(host.xpButton7Enabled);
    EXPECT_TRUE(doc.modified());
}

TEST_F(DocumentFlow, NewWithCreatedPageIsModified) {
    // During the dialog the title already reads Untitled.
    QString captionDuringDialog;
    const TemplateSettings chosen{"Title", "Font", 14};
    host.newPageDialog = [&] {
        captionDuringDialog = host.caption;
        return std::optional(chosen);
    };
    doc.newPage();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(captionDuringDialog, kUntitled);
    EXPECT_EQ(editor.text(), pageText(chosen));
    EXPECT_TRUE(doc.modified());
}

TEST_F(DocumentFlow, SaveAsOverwriteQuestionLoops) {
    const QString oldFile = path("old.html");
    const QString existing = path("existing.html");
    saveAs(oldFile);
    type("x");
    ASSERT_TRUE(writeBytes(existing, "keep me"));

    // No shows the dialog again with the chosen name; Cancel there writes nothing.
    dialogs.fileNames = {existing, std::nullopt};
    dialogs.answers = {MessageAnswer::No};
    EXPECT_EQ(doc.saveAs(), SaveOutcome::Cancelled);
    ASSERT_EQ(dialogs.fileDialogs.size(), 3u);
    EXPECT_EQ(dialogs.fileDialogs[1].title, "Save As");
    EXPECT_EQ(dialogs.fileDialogs[1].fileName, oldFile);
    EXPECT_EQ(dialogs.fileDialogs[2].title, "Save As");
    EXPECT_EQ(dialogs.fileDialogs[2].fileName, existing);
    const MessageRequest &question = dialogs.messages.back();
    EXPECT_EQ(question.text, kOverwrite);
    EXPECT_EQ(question.title, "Save File");
    EXPECT_EQ(question.buttons, MessageButtons::YesNo);
    EXPECT_EQ(question.icon, MessageIcon::Question);
    EXPECT_EQ(readBytes(existing), "keep me");
    EXPECT_EQ(doc.fileName(), oldFile);
    EXPECT_EQ(host.caption, "Quenbry HTML Editor (old.html)");

    // Yes writes; Save As leaves the document modified.
    dialogs.fileNames = {existing};
    dialogs.answers = {MessageAnswer::Yes};
    EXPECT_EQ(doc.saveAs(), SaveOutcome::Written);
    EXPECT_EQ(readBytes(existing), "x" + kPage.toLatin1() + "\r\n");
    EXPECT_EQ(doc.fileName(), existing);
    EXPECT_EQ(host.caption, "Quenbry HTML Editor (existing.html)");
    EXPECT_TRUE(doc.modified());

    // So Exit asks, and Yes writes again under the new name without a dialog.
    type("y");
    const auto dialogsBefore = dialogs.fileDialogs.size();
    dialogs.answers = {MessageAnswer::Yes};
    doc.exit();
    EXPECT_TRUE(host.ended);
    EXPECT_EQ(dialogs.fileDialogs.size(), dialogsBefore);
    EXPECT_EQ(readBytes(existing), "xy" + kPage.toLatin1() + "\r\n");
}

TEST_F(DocumentFlow, DirectSaveAsksNothingEvenWhenTheFileChangedOnDisk) {
    const QString file = path("page.html");
    saveAs(file);
    ASSERT_TRUE(writeBytes(file, "changed elsewhere"));
    const auto before = dialogs.messages.size() + dialogs.fileDialogs.size();
    EXPECT_EQ(doc.save(), SaveOutcome::Written);
    EXPECT_EQ(dialogs.messages.size() + dialogs.fileDialogs.size(), before);
    EXPECT_EQ(readBytes(file), kPage.toLatin1() + "\r\n");
}

TEST_F(DocumentFlow, DefaultExtensionAppearsAfterTheFirstDirectSave) {
    const QString file = path("page.html");
    // A save through the dialog is not a direct save.
    dialogs.fileNames.push_back(file);
    doc.save();
    saveAs(path("other.html"));
    dialogs.fileNames.push_back(std::nullopt);
    doc.open();
    for (const FileDialogRequest &req : dialogs.fileDialogs)
        EXPECT_EQ(req.defaultExt, QString()) << req.title.toStdString();
    EXPECT_EQ(doc.defaultExt(), QString());

    EXPECT_EQ(doc.save(), SaveOutcome::Written);
    EXPECT_EQ(doc.defaultExt(), "html");
    dialogs.fileDialogs.clear();
    dialogs.fileNames = {std::nullopt, std::nullopt};
    doc.saveAs();
    doc.open();
    dialogs.fileNames = {std::nullopt};
    doc.newPage();
    doc.save(); // untitled again after New
    ASSERT_EQ(dialogs.fileDialogs.size(), 3u);
    for (const FileDialogRequest &req : dialogs.fileDialogs)
        EXPECT_EQ(req.defaultExt, "html") << req.title.toStdString();
}

TEST_F(DocumentFlow, TitleShowsOnlyTheFileName) {
    QDir(dir.path()).mkpath("deep/er");
    saveAs(path("deep/er/index.html"));
    EXPECT_EQ(host.caption, "Quenbry HTML Editor (index.html)");
    EXPECT_EQ(doc.caption(), host.caption);
}

// Reading and writing failures: one message naming the file, everything else as it was.
class DocumentFailure : public DocumentFlow {
protected:
    struct State {
        QString text;
        QString fileName;
        bool modified;
        QString caption;
        bool operator==(const State &) const = default;
    };
    State state() const { return {editor.text(), doc.fileName(), doc.modified(), host.caption}; }

    void expectOneError(const QString &file) {
        ASSERT_EQ(dialogs.messages.size(), 1u);
        const MessageRequest &m = dialogs.messages[0];
        EXPECT_TRUE(m.text.contains(file)) << m.text.toStdString();
        EXPECT_EQ(m.title, RecordingHost::kAppTitle);
        EXPECT_EQ(m.buttons, MessageButtons::Ok);
        EXPECT_EQ(m.icon, MessageIcon::Critical);
    }
};

TEST_F(DocumentFailure, OpenThatCannotReadChangesNothing) {
    QDir(dir.path()).mkdir("folder");
    for (const QString &file : {path("missing.html"), path("folder")}) {
        SCOPED_TRACE(file.toStdString());
        dialogs.messages.clear();
        type("x");
        const State before = state();
        dialogs.answers = {MessageAnswer::No, MessageAnswer::Ok};
        dialogs.fileNames = {file};
        doc.open();
        dialogs.messages.erase(dialogs.messages.begin()); // the save prompt
        expectOneError(file);
        EXPECT_EQ(state(), before);
    }
}

TEST_F(DocumentFailure, SaveAsThatCannotWriteChangesNothing) {
    const QString oldFile = path("old.html");
    saveAs(oldFile);
    type("x");
    struct stat devFull {};
    const bool haveDevFull = ::stat("/dev/full", &devFull) == 0 && S_ISCHR(devFull.st_mode);
    QStringList targets = {path("no-such-folder/page.html"),
                           QStringLiteral("/proc/quenbry-document-test.html")};
    if (haveDevFull)
        targets << QStringLiteral("/dev/full");
    for (const QString &file : targets) {
        SCOPED_TRACE(file.toStdString());
        dialogs.messages.clear();
        const State before = state();
        dialogs.fileNames = {file};
        if (QFileInfo::exists(file))
            dialogs.answers.push_back(MessageAnswer::Yes);
        dialogs.answers.push_back(MessageAnswer::Ok);
        EXPECT_EQ(doc.saveAs(), SaveOutcome::Failed);
        if (QFileInfo::exists(file) && file != "/dev/full")
            ADD_FAILURE() << "created";
        if (dialogs.messages.size() == 2)
            dialogs.messages.erase(dialogs.messages.begin()); // the overwrite question
        expectOneError(file);
        EXPECT_EQ(state(), before);
        EXPECT_EQ(readBytes(oldFile), kPage.toLatin1() + "\r\n");
    }
    if (haveDevFull) {
        struct stat after {};
        ASSERT_EQ(::stat("/dev/full", &after), 0);
        EXPECT_TRUE(S_ISCHR(after.st_mode));
    }
    expectNoQuestionsLeft();
}

// A small file system of its own, mounted for the test, to run out of space for real.
class FullFileSystem : public DocumentFailure {
protected:
    QString mountPoint;
    void SetUp() override {
        DocumentFailure::SetUp();
        mountPoint = path("small");
        ASSERT_TRUE(QDir(dir.path()).mkdir("small"));
        if (::mount("tmpfs", mountPoint.toLocal8Bit().constData(), "tmpfs", 0, "size=16k") != 0)
            GTEST_SKIP() << "this machine does not allow mounting a tmpfs";
        mounted = true;
    }
    void TearDown() override {
        if (mounted)
            ::umount(mountPoint.toLocal8Bit().constData());
    }
    bool mounted = false;
};

TEST_F(FullFileSystem, DirectSaveThatDoesNotFitKeepsTheOldFile) {
    const QString file = mountPoint + "/page.html";
    ASSERT_TRUE(writeBytes(file, "old page"));
    open(file);
    editor.setText(QString(64 * 1024, QLatin1Char('x')));
    dialogs.messages.clear();
    const State before = state();
    dialogs.answers = {MessageAnswer::Ok};
    EXPECT_EQ(doc.save(), SaveOutcome::Failed);
    expectOneError(file);
    EXPECT_EQ(state(), before);
    EXPECT_TRUE(doc.modified());
    EXPECT_EQ(readBytes(file), "old page");
    EXPECT_EQ(QDir(mountPoint).entryList(QDir::Files | QDir::Hidden), QStringList{"page.html"});
    // A failed direct save is no direct save: the dialogs still add no extension.
    EXPECT_EQ(doc.defaultExt(), QString());

    // Exit's Yes that cannot save keeps the program running.
    dialogs.messages.clear();
    dialogs.answers = {MessageAnswer::Yes, MessageAnswer::Ok};
    doc.exit();
    EXPECT_FALSE(host.ended);
    EXPECT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(readBytes(file), "old page");
    expectNoQuestionsLeft();
}

} // namespace
} // namespace quenbry
