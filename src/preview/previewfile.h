#pragma once
// The temporary preview file: the editor's page as a saved document would hold it, in a folder
// of the user's own, for the preview pane to show.

#include "document/filecodec.h"

#include <QString>
#include <QStringView>

namespace quenbry {

class PreviewFile {
public:
    // The file "temp.html" in folder. The folder must be a folder of the user's own with mode
    // 0700, not a link; it is made so when it is missing. The file is the user's alone (0600,
    // one name); whatever else stands under its name is taken away, never written through.
    explicit PreviewFile(const QString &folder);

    // The per-user runtime folder's "quenbry" folder: every instance of the program run by the
    // same user shares the one file, and no other user can read it. Empty when the user has
    // no private runtime folder; the file is then never written.
    static QString defaultFolder();

    QString path() const { return path_; }
    QString folder() const { return folder_; }

    // Creates or truncates the file and writes the text and one CR LF in the encoding, as a
    // saved document holds them. A failure is logged once, not each time it happens again; the next
    // write that succeeds ends the failure.
    bool write(QStringView text, Encoding encoding = Encoding::Windows1252);
    // The last write found the folder unfit (a link, another user's, open to others) and
    // wrote nothing.
    bool folderRefused() const { return refused_; }
    // Deletes the file, from a fit folder only; a file that is already gone is no failure.
    void remove();

private:
    bool tryWrite(QStringView text, Encoding encoding, QString &error);

    QString folder_;
    QString path_;
    bool failing_ = false;
    bool refused_ = false;
};

} // namespace quenbry
