// The backups that saves in place leave behind when they are cut short, as the next start finds
// them: offered back only where the file is torn, and then restored, deleted or kept as the user
// answers.
#include "document/savebackup.h"
#include "shell/mainwindow.h"
#include "testsupport/scriptedservices.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

namespace quenbry {
namespace {

const QByteArray kOld = "<p>the old page</p>\r\n";
const QByteArray kNew = "<p>the new page, longer than the old one</p>\r\n";

QByteArray readBytes(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

void writeBytes(const QString &path, const QByteArray &bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
}

// A save of kNew over the file's kOld that stopped after its backup was made; the file then
// holds `after` (a folder where it is null).
void interruptedSave(const QString &file, const QByteArray &after) {
    writeBytes(file, kOld);
    const int fd = ::open(QFile::encodeName(file).constData(), O_RDWR);
    ASSERT_GE(fd, 0);
    {
        SaveBackupWriter backup;
        ASSERT_EQ(backup.create(QFile::encodeName(file), fd, kNew), QString());
    }
    ::close(fd);
    if (after.isNull()) {
        ASSERT_TRUE(QFile::remove(file) && QDir().mkdir(file));
    } else {
        writeBytes(file, after);
    }
}

std::string backupsLeft() {
    return QDir(stateFolder()).entryList(QDir::Files).join(' ').toStdString();
}

TEST(InterruptedSaves, OfferedWhereTheFileIsTornAndHandledAsAnswered) {
    const QByteArray torn = kNew.left(10) + kOld.mid(10);
    const QString offer = "The save of %1 was interrupted. Restore the previous version from %2?";
    const QString deleteIt = "The previous version will be deleted for good. Delete it?";
    const struct {
        const char *name;
        QByteArray after; // what the file holds at the next start
        std::vector<MessageAnswer> answers;
        QByteArray expected; // the file afterwards
        bool backupStays;
        QString error = {}; // a message after the answers
    } cases[] = {
        {"the save ended", kNew, {}, kNew, false},
        {"the file was not touched yet", kOld, {}, kOld, false},
        {"Yes", torn, {MessageAnswer::Yes}, kOld, false},
        {"No, No", torn, {MessageAnswer::No, MessageAnswer::No}, torn, true},
        {"No, Yes", torn, {MessageAnswer::No, MessageAnswer::Yes}, torn, false},
        {"Cancel", torn, {MessageAnswer::Cancel}, torn, true},
        {"Yes, the file is a folder now",
         QByteArray(),
         {MessageAnswer::Yes},
         QByteArray(),
         true,
         "could not be written back"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir, state;
        qputenv("XDG_STATE_HOME", QFile::encodeName(state.path()));
        const QString file = QDir(dir.path()).canonicalPath() + "/page.html";
        interruptedSave(file, c.after);
        const QString backup = stateFolder() + '/' + QString::fromStdString(backupsLeft());
        // A backup whose old bytes were still being copied: its file was never touched.
        writeBytes(stateFolder() + "/save-1-x.backup.partial", "QUENBRY");

        ScriptedDesktop desktop;
        desktop.dialogs.onUnexpected = [](const QString &what) {
            ADD_FAILURE() << "unexpected " << what.toStdString();
        };
        for (MessageAnswer a : c.answers)
            desktop.dialogs.queueAnswer(a);
        if (!c.error.isEmpty())
            desktop.dialogs.queueAnswer(MessageAnswer::Ok);
        MainWindow window(desktop.services());
        window.onEndProcess = [] {
        };
        // The page on the command line is the torn file: restored, the editor shows it too.
        window.startUp(c.after.isNull() ? QString() : file);

        QStringList texts;
        for (const auto &m : desktop.dialogs.messages)
            texts << m.text;
        QStringList expected;
        if (!c.answers.empty())
            expected << offer.arg(file, backup);
        if (c.answers.size() > 1)
            expected << deleteIt;
        if (!c.error.isEmpty()) {
            ASSERT_EQ(texts.size(), expected.size() + 1);
            EXPECT_TRUE(texts.takeLast().contains(c.error));
        }
        EXPECT_EQ(texts.join('|').toStdString(), expected.join('|').toStdString());
        if (c.answers.size() > 1) {
            EXPECT_EQ(desktop.dialogs.messages[1].buttons, MessageButtons::YesNoDefaultNo);
        }
        if (!c.after.isNull()) {
            EXPECT_EQ(readBytes(file).toStdString(), c.expected.toStdString());
            EXPECT_EQ(window.editor()->text().toStdString(), c.expected.toStdString());
        }
        EXPECT_EQ(backupsLeft(), c.backupStays ? QFileInfo(backup).fileName().toStdString() : "");
        EXPECT_TRUE(desktop.dialogs.allAnswered());
    }
}

TEST(InterruptedSaves, OfferedNewestFirst) {
    QTemporaryDir dir, state;
    qputenv("XDG_STATE_HOME", QFile::encodeName(state.path()));
    const QString older = dir.filePath("older.html"), newer = dir.filePath("newer.html");
    interruptedSave(older, "torn");
    QThread::msleep(5);
    interruptedSave(newer, "torn");
    ScriptedDesktop desktop;
    for (int i = 0; i < 2; ++i)
        desktop.dialogs.queueAnswer(MessageAnswer::Cancel);
    MainWindow window(desktop.services());
    window.startUp();
    ASSERT_EQ(desktop.dialogs.messages.size(), 2u);
    EXPECT_TRUE(desktop.dialogs.messages[0].text.contains("newer.html"));
    EXPECT_TRUE(desktop.dialogs.messages[1].text.contains("older.html"));
}

} // namespace
} // namespace quenbry
