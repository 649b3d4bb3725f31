#pragma once
// The old bytes of a file that is rewritten in place, kept in a backup of their own until the
// new bytes are on the disk, so that a save cut short (a crash, a kill, a full disk) never costs
// the previous version; and the backups such saves left behind, found at the next start.

#include <QByteArray>
#include <QString>
#include <vector>

namespace quenbry {

// Where the program keeps what must outlive it: $XDG_STATE_HOME/quenbry, or
// ~/.local/state/quenbry when that is unset.
QString stateFolder();
// The state folder, opened without following a link; it is created where it is missing (with
// the folders above it) when `create` says so, and made the user's own to read alone. A file
// descriptor, or -1 with a reason for the user in `error`.
int openStateFolder(bool create, QString &error);
// The names of the entries of the open folder `fd` ("." and ".." among them); none when it
// cannot be read.
std::vector<QByteArray> folderEntries(int fd);

// A backup left behind by a save that did not end.
struct SaveBackup {
    QString file;       // the backup itself
    QByteArray target;  // the full path of the file it belongs to
    qint64 created = 0; // when its save began, in milliseconds since the epoch
    QString targetName() const;
};

// The backup of one in-place save, for as long as that save runs. It is locked meanwhile, so
// that another editor's start-up leaves it alone.
class SaveBackupWriter {
public:
    SaveBackupWriter() = default;
    SaveBackupWriter(const SaveBackupWriter &) = delete;
    SaveBackupWriter &operator=(const SaveBackupWriter &) = delete;
    // A backup that was not removed stays for the next start.
    ~SaveBackupWriter();

    // Copies the old bytes of the open file `fd`, named `target`, to a new backup that also
    // records the size and hash of `newBytes`, and puts it on the disk. The backup has a name
    // only once it is complete. An error text for the user on failure.
    QString create(const QByteArray &target, int fd, const QByteArray &newBytes);
    // Writes the old bytes back into `fd` as the file was before the save; an errno.
    int restoreInto(int fd);
    // The save has ended, with the new bytes or the old ones on the disk.
    void remove();
    QString path() const;

private:
    int folder_ = -1;
    int fd_ = -1;
    QByteArray name_; // inside the folder; ends in ".partial" until complete
    QByteArray folderPath_;
    qint64 dataOffset_ = 0;
    qint64 oldSize_ = 0;
};

// Backups of saves that did not end, newest first. Those that need no one's decision are
// removed instead: one whose file holds its new bytes whole, or still its old ones, and one
// that was never completed (its file was not touched yet). A backup that another editor is
// using is left alone, and so is one that no longer holds what it recorded.
std::vector<SaveBackup> interruptedSaves();
// Writes the old bytes back into the file, in place (it may have other names), then removes
// the backup. An error text for the user on failure; the backup then stays.
QString restoreSaveBackup(const SaveBackup &backup);
// Deletes the backup for good; an error text for the user on failure.
QString deleteSaveBackup(const SaveBackup &backup);

} // namespace quenbry
