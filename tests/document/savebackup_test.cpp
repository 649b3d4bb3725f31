// The backup of a save in place: private, locked against other editors while its save runs,
// able to put the old bytes back over a write that failed half-way, and never written through
// a link put in the state folder's place.
#include "document/savebackup.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quenbry {
namespace {

mode_t modeOf(const QString &path) {
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

TEST(SaveBackup, PrivateLockedAndPutsTheOldBytesBack) {
    QTemporaryDir dir;
    // Folders that do not exist yet, as on a first save.
    qputenv("XDG_STATE_HOME", QFile::encodeName(dir.filePath("state/deeper")));
    const QString file = dir.filePath("page.html");
    const QByteArray name = QFile::encodeName(file);
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite) && f.write("the old bytes, all of them") > 0);
    f.flush();
    SaveBackupWriter backup;
    ASSERT_EQ(backup.create(name, f.handle(), "the new bytes"), QString());
    EXPECT_EQ(modeOf(dir.filePath("state/deeper")), 0700u);
    EXPECT_EQ(modeOf(stateFolder()), 0700u);
    EXPECT_EQ(modeOf(backup.path()), 0600u);
    // Another editor starting now sees a save that runs, not one that was cut short.
    EXPECT_TRUE(interruptedSaves().empty());
    EXPECT_TRUE(QFile::exists(backup.path()));

    ASSERT_TRUE(f.seek(0) && f.write("the new bytes, longer than the old ones") > 0);
    f.flush();
    ASSERT_EQ(backup.restoreInto(f.handle()), 0);
    ASSERT_TRUE(f.seek(0));
    EXPECT_EQ(f.readAll(), "the old bytes, all of them");
    backup.remove();
    EXPECT_EQ(QDir(stateFolder()).entryList(QDir::Files), QStringList());

    // A link in the state folder's place is not followed.
    QDir(dir.path()).mkdir("elsewhere");
    qputenv("XDG_STATE_HOME", QFile::encodeName(dir.filePath("linked")));
    ASSERT_TRUE(QDir(dir.path()).mkdir("linked") &&
                QFile::link(dir.filePath("elsewhere"), dir.filePath("linked/quenbry")));
    SaveBackupWriter refused;
    EXPECT_FALSE(refused.create(name, f.handle(), "x").isEmpty());
    EXPECT_EQ(QDir(dir.filePath("elsewhere")).entryList(QDir::Files), QStringList());
}

} // namespace
} // namespace quenbry
