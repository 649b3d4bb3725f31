// The temporary preview file: private to its user, in the form of a saved document, never
// written through a link or another user's file, and a failing write that is logged once
// instead of at every pause in typing.

#include "preview/previewfile.h"
#include "shell/mainwindow.h"
#include "testsupport/scriptedservices.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace quenbry {
namespace {

unsigned modeOf(const QString &path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

QByteArray bytesOf(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray name(const QString &path) {
    return QFile::encodeName(path);
}

// What is put in the way, and what the test calls it.
using Plants = std::vector<std::pair<const char *, std::function<bool()>>>;

// Another user's, as a file or folder planted by someone else would be (the tests run as root).
bool giveAway(const QString &path, mode_t mode) {
    const passwd *nobody = ::getpwnam("nobody");
    return nobody && ::lchown(name(path), nobody->pw_uid, nobody->pw_gid) == 0 &&
           (S_ISLNK(mode) || ::chmod(name(path), mode) == 0);
}

int warnings = 0;
void countWarnings(QtMsgType type, const QMessageLogContext &, const QString &) {
    if (type == QtWarningMsg)
        ++warnings;
}

TEST(PreviewFile, IsReadableByItsUserOnly) {
    QTemporaryDir dir;
    PreviewFile file(dir.filePath(QStringLiteral("quenbry")));
    ASSERT_TRUE(file.write(u"a\u0101"));
    EXPECT_EQ(modeOf(file.folder()), 0700u);
    EXPECT_EQ(modeOf(file.path()), 0600u);
    // The saved document's form: the code page's bytes, references for the rest, one CR LF.
    EXPECT_EQ(bytesOf(file.path()), QByteArray("a&#257;\r\n"));
    ASSERT_TRUE(file.write(u"b"));
    EXPECT_EQ(bytesOf(file.path()), QByteArray("b\r\n"));
}

TEST(PreviewFile, AFailureIsLoggedOnceUntilAWriteSucceeds) {
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("quenbry"));
    PreviewFile file(folder);
    QFile blocker(folder);
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    warnings = 0;
    const QtMessageHandler previous = qInstallMessageHandler(countWarnings);
    const bool first = file.write(u"x");
    const bool second = file.write(u"x");
    QFile::remove(folder);
    const bool recovered = file.write(u"x");
    QDir(folder).removeRecursively();
    blocker.open(QIODevice::WriteOnly);
    blocker.close();
    const bool again = file.write(u"x");
    qInstallMessageHandler(previous);

    EXPECT_FALSE(first);
    EXPECT_FALSE(second);
    EXPECT_TRUE(recovered);
    EXPECT_FALSE(again);
    EXPECT_EQ(warnings, 2);
}

// Whatever stands under the file's name in the user's own folder is replaced by a file of the
// user's alone; the file it leads to, or that other names or users share, keeps its bytes.
TEST(PreviewFile, ReplacesWhatIsNotTheUsersOwnFile) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to plant another user's file";
    QTemporaryDir dir;
    const QString victim = dir.filePath(QStringLiteral("victim.html"));
    PreviewFile file(dir.filePath(QStringLiteral("quenbry")));
    const QByteArray temp = name(file.path());
    Plants plants;
    plants.emplace_back("a link", [&] { return !::symlink(name(victim), temp); });
    plants.emplace_back("a hard link", [&] { return !::link(name(victim), temp); });
    plants.emplace_back("another user's file 0666", [&] {
        return QFile::copy(victim, file.path()) && giveAway(file.path(), 0666);
    });
    plants.emplace_back("a file others may read",
                        [&] { return QFile::copy(victim, file.path()) && !::chmod(temp, 0644); });
    plants.emplace_back("a pipe", [&] { return !::mkfifo(temp, 0600); });
    for (const auto &[what, plant] : plants) {
        QFile secret(victim);
        ASSERT_TRUE(secret.open(QIODevice::WriteOnly) && secret.write("secret") == 6);
        secret.close();
        ASSERT_EQ(::chmod(name(victim), 0600), 0);
        ASSERT_TRUE(file.write(u"a"));
        ASSERT_TRUE(QFile::remove(file.path()));
        ASSERT_TRUE(plant()) << what;
        const int old = ::open(temp, O_RDONLY | O_NONBLOCK);
        EXPECT_TRUE(file.write(u"x")) << what;
        struct stat st {};
        ASSERT_EQ(::lstat(temp, &st), 0);
        EXPECT_TRUE(S_ISREG(st.st_mode) && st.st_uid == 0 && st.st_nlink == 1) << what;
        EXPECT_EQ(st.st_mode & 07777, 0600u) << what;
        EXPECT_EQ(bytesOf(file.path()), QByteArray("x\r\n")) << what;
        EXPECT_EQ(bytesOf(victim), QByteArray("secret")) << what;
        char was[8] = {};
        EXPECT_TRUE(old < 0 || ::read(old, was, 7) == 0 || QByteArray(was) == "secret") << what;
        ::close(old);
        ::unlink(temp);
    }
}

// A folder that is a link, another user's, or open to others is refused: nothing is written
// or deleted through it, and the pane says the preview is off. One the program makes is 0700
// whatever the umask.
TEST(PreviewFile, RefusesAFolderThatIsNotTheUsersOwn) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to plant another user's folder";
    QTemporaryDir dir;
    const QString other = dir.filePath(QStringLiteral("other"));
    const QString folder = dir.filePath(QStringLiteral("runtime/quenbry"));
    const QString own = dir.filePath(QStringLiteral("own"));
    ASSERT_TRUE(QDir().mkpath(other) &&
                QDir().mkdir(dir.filePath(QStringLiteral("runtime")),
                             QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    const QString victim = other + QStringLiteral("/victim.html");
    QFile(victim).open(QIODevice::WriteOnly);
    ASSERT_EQ(::symlink(name(victim), name(other + QStringLiteral("/temp.html"))), 0);
    ASSERT_TRUE(giveAway(other, 0755));
    Plants plants;
    plants.emplace_back("a link to another user's folder",
                        [&] { return !::symlink(name(other), name(folder)); });
    plants.emplace_back("a link to a folder of the user's own", [&] {
        return !::mkdir(name(own), 0700) && !::symlink(name(own), name(folder));
    });
    plants.emplace_back("another user's folder",
                        [&] { return QDir().mkdir(folder) && giveAway(folder, 0700); });
    plants.emplace_back("a folder open to others",
                        [&] { return QDir().mkdir(folder) && !::chmod(name(folder), 0777); });
    for (const auto &[what, plant] : plants) {
        PreviewFile file(folder);
        ASSERT_TRUE(plant()) << what;
        EXPECT_FALSE(file.write(u"x")) << what;
        EXPECT_TRUE(file.folderRefused()) << what;
        file.remove();
        EXPECT_TRUE(QFileInfo::exists(victim)) << what;
        EXPECT_EQ(QFileInfo(victim).size(), 0) << what;
        EXPECT_TRUE(QFileInfo(other + QStringLiteral("/temp.html")).isSymLink()) << what;
        ::unlink(name(folder));
        ::rmdir(name(folder));
        ::rmdir(name(own));
    }

    const mode_t umask = ::umask(0277);
    PreviewFile made(folder);
    const bool written = made.write(u"x");
    ::umask(umask);
    EXPECT_TRUE(written);
    EXPECT_EQ(modeOf(folder), 0700u);
    EXPECT_EQ(modeOf(made.path()), 0600u);

    ASSERT_TRUE(QDir(folder).removeRecursively());
    ASSERT_EQ(::symlink(name(other), name(folder)), 0);
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", name(dir.filePath(QStringLiteral("runtime"))));
    ScriptedDesktop desktop;
    MainWindow window(desktop.services());
    window.startUp();
    window.menuItem(QStringLiteral("mnuipreview"))->trigger();
    EXPECT_EQ(
        window.preview().pane()->caption(),
        QStringLiteral("Preview: Untitled (off: %1 is not a private folder of yours)").arg(folder));
    window.close();
    qputenv("XDG_RUNTIME_DIR", runtime);
    EXPECT_TRUE(QFileInfo(other + QStringLiteral("/temp.html")).isSymLink());
}

} // namespace
} // namespace quenbry
