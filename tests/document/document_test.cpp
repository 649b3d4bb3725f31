// The file commands as the main window composes them: the save prompt, Open, Save, Save As,
// New and Exit, with the bytes they write and the state they leave after a failure.
#include "document/document.h"
#include "documenttestutil.h"
#include "platform/editorcore.h"
#include "testsupport/scriptedservices.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <sys/mount.h>

namespace quenbry {
namespace {

using test::readBytes;
using test::writeBytes;

const QString kPage = QStringLiteral("<html>\r\n<body>\r\n</body>\r\n</html>");
const QString kUntitled = QStringLiteral("Quenbry HTML Editor (Untitled)");

// The main window's part, recorded.
struct Host : DocumentHost {
    QString caption;
    bool cmdUndoEnabled = true;
    bool xpButton7Enabled = true;
    bool ended = false;
    int newPageDialogs = 0;
    // What the user does in the New Page dialog, and the choices it returns.
    std::function<std::optional<TemplateSettings>()> newPageDialog;

    QWidget *dialogOwner() override { return nullptr; }
    void setCaption(const QString &c) override { caption = c; }
    std::optional<TemplateSettings> runNewPageDialog() override {
        ++newPageDialogs;
        return newPageDialog ? newPageDialog() : std::nullopt;
    }
    void disableHiddenUndoButton() override { cmdUndoEnabled = false; }
    void disableToolbarUndoButton() override { xpButton7Enabled = false; }
    void endProcess() override { ended = true; }
};

// Start-up as the main window runs it: the page in, `Modified` cleared, the title shown; every
// change of the text sets `Modified`. A dialog the test did not answer fails it.
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
    void saveAsFile(const QString &file) {
        dialogs.queueFileName(file);
        if (QFileInfo::exists(file))
            dialogs.queueAnswer(MessageAnswer::Yes);
        ASSERT_EQ(doc.saveAs(), SaveOutcome::Written);
    }
    void expectOnlyMessage(const QString &text, const QString &title, MessageButtons buttons,
                           MessageIcon icon) {
        ASSERT_EQ(dialogs.messages.size(), 1u);
        const ScriptedDialogs::Message &m = dialogs.messages[0];
        EXPECT_TRUE(m.text.contains(text)) << m.text.toStdString();
        EXPECT_EQ(m.title, title);
        EXPECT_EQ(m.buttons, buttons);
        EXPECT_EQ(m.icon, icon);
    }
};

class DocumentTest : public ::testing::Test, protected Session {};

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
    const struct {
        void (Document::*run)();
        const char *promptTitle;
    } commands[] = {
        {&Document::newPage, "DozudUzaz Evodav"},
        {&Document::open, "Quenbry HTML Editor"},
        {&Document::exit, "DozudUzaz Evodav"},
    };
    for (const auto &command : commands) {
        for (const auto &c : cases) {
            SCOPED_TRACE(std::string(command.promptTitle) + ", " + c.name);
            Session s;
            const QString file = s.path("saved.html");
            const bool open = command.run == &Document::open;
            if (c.modified) {
                s.editor.setText("x" + kPage);
                s.dialogs.queueAnswer(c.answer);
            }
            const QString text = s.editor.text();
            if (c.save != None)
                s.dialogs.queueFileName(c.save == Named ? std::optional(file) : std::nullopt);
            if (c.goesOn && open)
                s.dialogs.queueFileName(std::nullopt);
            s.host.caption = "stale";

            (s.doc.*command.run)();

            if (c.modified) {
                s.expectOnlyMessage("Do you want to save your file?", command.promptTitle,
                                    MessageButtons::YesNoCancel, MessageIcon::Question);
            }
            EXPECT_EQ(s.dialogs.messages.size(), size_t(c.modified));
            const auto &fileDialogs = s.dialogs.fileDialogs;
            const bool opened = !fileDialogs.empty() && fileDialogs.back().title == "Open";
            EXPECT_EQ(s.host.newPageDialogs + int(opened) + int(s.host.ended), int(c.goesOn));
            // New and Open refresh the title and disable the hidden Undo; New the toolbar's too.
            if (c.goesOn && !s.host.ended) {
                EXPECT_EQ(s.host.caption, s.doc.caption());
            }
            EXPECT_EQ(s.host.cmdUndoEnabled, !c.goesOn || s.host.ended);
            EXPECT_EQ(s.host.xpButton7Enabled, !c.goesOn || opened || s.host.ended);
            if (!c.goesOn) {
                EXPECT_EQ(s.editor.text(), text);
                EXPECT_TRUE(s.doc.modified());
            }
            EXPECT_EQ(readBytes(file),
                      c.save == Named ? (text + "\r\n").toLatin1() : "<unreadable>");
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
        EXPECT_FALSE(host.cmdUndoEnabled);
        EXPECT_TRUE(host.xpButton7Enabled);
        ASSERT_EQ(doc.save(), SaveOutcome::Written);
        EXPECT_EQ(readBytes(file), bytes + "\r\n");
        EXPECT_FALSE(doc.modified());
    }
}

TEST_F(DocumentTest, SaveAndSaveAsDialogs) {
    // An untitled Save asks for a name; cancelled, nothing changes.
    editor.setText("abc");
    dialogs.queueFileName(std::nullopt);
    EXPECT_EQ(doc.save(), SaveOutcome::Cancelled);
    const FileDialogRequest &req = dialogs.fileDialogs.at(0);
    EXPECT_EQ(req.mode, FileDialogRequest::Save);
    EXPECT_EQ(req.title, "Save");
    EXPECT_EQ(req.filter, "HTML Pages|*.html");
    EXPECT_TRUE(doc.modified());
    EXPECT_EQ(host.caption, kUntitled);

    // Save As writes but leaves the document modified; the title shows only the file's name.
    QDir(dir.path()).mkpath("deep/er");
    const QString file = path("deep/er/index.html");
    saveAsFile(file);
    EXPECT_EQ(readBytes(file), "abc\r\n");
    EXPECT_TRUE(doc.modified());
    EXPECT_EQ(host.caption, "Quenbry HTML Editor (index.html)");

    // A direct Save asks nothing, even when the file changed on disk meanwhile.
    ASSERT_TRUE(writeBytes(file, "changed elsewhere"));
    EXPECT_EQ(doc.save(), SaveOutcome::Written);
    EXPECT_EQ(readBytes(file), "abc\r\n");
    EXPECT_FALSE(doc.modified());
}

// The file dialogs add no extension to a typed name until the first direct Save; from then on
// every one of them adds "html".
TEST_F(DocumentTest, DefaultExtensionAfterTheFirstDirectSave) {
    saveAsFile(path("page.html"));
    dialogs.queueFileName(std::nullopt);
    doc.open();
    EXPECT_EQ(dialogs.fileDialogs.size(), 2u);
    for (const FileDialogRequest &req : dialogs.fileDialogs)
        EXPECT_EQ(req.defaultExt, QString()) << req.title.toStdString();

    EXPECT_EQ(doc.save(), SaveOutcome::Written);
    dialogs.fileDialogs.clear();
    for (int i = 0; i < 3; ++i)
        dialogs.queueFileName(std::nullopt);
    doc.saveAs();
    doc.open();
    doc.newPage();
    doc.save(); // untitled again after New
    EXPECT_EQ(dialogs.fileDialogs.size(), 3u);
    for (const FileDialogRequest &req : dialogs.fileDialogs)
        EXPECT_EQ(req.defaultExt, "html") << req.title.toStdString();
}

// "No" to the overwrite question shows the Save As dialog again with the chosen name.
TEST_F(DocumentTest, OverwriteQuestionLoopsUntilYes) {
    const QString oldFile = path("old.html");
    const QString existing = path("existing.html");
    saveAsFile(oldFile);
    editor.setText("x");
    ASSERT_TRUE(writeBytes(existing, "keep me"));

    dialogs.queueFileName(existing);
    dialogs.queueAnswer(MessageAnswer::No);
    dialogs.queueFileName(std::nullopt);
    EXPECT_EQ(doc.saveAs(), SaveOutcome::Cancelled);
    ASSERT_EQ(dialogs.fileDialogs.size(), 3u);
    EXPECT_EQ(dialogs.fileDialogs[1].fileName, oldFile);
    EXPECT_EQ(dialogs.fileDialogs[2].title, "Save As");
    EXPECT_EQ(dialogs.fileDialogs[2].fileName, existing);
    expectOnlyMessage("Do you want to overwrite the current file with this version?", "Save File",
                      MessageButtons::YesNo, MessageIcon::Question);
    EXPECT_EQ(readBytes(existing), "keep me");
    EXPECT_EQ(doc.fileName(), oldFile);

    dialogs.queueFileName(existing);
    dialogs.queueAnswer(MessageAnswer::Yes);
    EXPECT_EQ(doc.saveAs(), SaveOutcome::Written);
    EXPECT_EQ(readBytes(existing), "x\r\n");
    EXPECT_EQ(doc.fileName(), existing);
    EXPECT_EQ(host.caption, "Quenbry HTML Editor (existing.html)");
}

// New forgets the file, and the title says so already while the New Page dialog is open; the
// page built from the dialog's choices goes in as a change.
TEST_F(DocumentTest, NewForgetsTheFileAndPutsInThePage) {
    saveAsFile(path("page.html"));
    QString captionDuringDialog;
    const TemplateSettings choices{"T & <t>", "Georgia", 14};
    host.newPageDialog = [&] {
        captionDuringDialog = host.caption;
        return choices;
    };
    doc.newPage();
    EXPECT_EQ(captionDuringDialog, kUntitled);
    EXPECT_EQ(doc.fileName(), QString());
    EXPECT_EQ(editor.text(), pageText(choices));
    EXPECT_EQ(editor.selStart(), editor.length());
    EXPECT_TRUE(doc.modified());
}

// A file that cannot be read or written: one message naming it, and the document, its file
// and its flags as they were.
TEST_F(DocumentTest, FailuresChangeNothing) {
    const QString oldFile = path("old.html");
    saveAsFile(oldFile);
    editor.setText("unsaved");
    QDir(dir.path()).mkdir("folder");
    enum Kind { Open, SaveAs, Save };
    const struct {
        Kind kind;
        QString file;
    } cases[] = {
        {Open, path("missing.html")},
        {Open, path("folder")},
        {SaveAs, path("no-such-folder/page.html")},
        {SaveAs, QStringLiteral("/dev/full")},
        {Save, oldFile}, // replaced by a folder meanwhile
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        if (c.kind == Save) {
            ASSERT_TRUE(QFile::remove(oldFile) && QDir(dir.path()).mkdir("old.html"));
        }
        const QByteArray oldBytes = readBytes(oldFile);
        dialogs.messages.clear();
        if (c.kind == Open)
            dialogs.queueAnswer(MessageAnswer::No); // the save prompt
        if (c.kind != Save)
            dialogs.queueFileName(c.file);
        if (c.kind == SaveAs && QFileInfo::exists(c.file))
            dialogs.queueAnswer(MessageAnswer::Yes); // the overwrite question
        dialogs.queueAnswer(MessageAnswer::Ok);
        if (c.kind == Open) {
            doc.open();
        } else {
            EXPECT_EQ(c.kind == Save ? doc.save() : doc.saveAs(), SaveOutcome::Failed);
        }
        dialogs.messages.erase(dialogs.messages.begin(), dialogs.messages.end() - 1);
        expectOnlyMessage('"' + c.file + '"', "Quenbry HTML Editor", MessageButtons::Ok,
                          MessageIcon::Critical);
        EXPECT_EQ(editor.text(), "unsaved");
        EXPECT_EQ(doc.fileName(), oldFile);
        EXPECT_TRUE(doc.modified());
        EXPECT_EQ(host.caption, "Quenbry HTML Editor (old.html)");
        EXPECT_EQ(readBytes(oldFile), oldBytes);
    }
    EXPECT_FALSE(QFileInfo::exists(path("no-such-folder")));
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
    expectOnlyMessage(file, "Quenbry HTML Editor", MessageButtons::Ok, MessageIcon::Critical);
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
}

} // namespace
} // namespace quenbry
