#include "previewfile.h"

#include "document/filecodec.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

namespace quenbry {

PreviewFile::PreviewFile(const QString &folder)
    : folder_(QDir::cleanPath(folder))
    , path_(folder.isEmpty() ? QString() : folder_ + QStringLiteral("/temp.html")) {}

QString PreviewFile::defaultFolder() {
    // When the session has no runtime folder, or one that is not the user's alone, Qt makes
    // one with mode 0700; it gives none when it cannot.
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return runtime.isEmpty() ? QString() : runtime + QStringLiteral("/quenbry");
}

bool PreviewFile::write(QStringView text) {
    QString error;
    if (tryWrite(text, error)) {
        failing_ = false;
        return true;
    }
    // The preview is written after every pause in typing: one line in the log tells what is
    // wrong, a line per pause would bury it.
    if (!failing_)
        qWarning("The preview file %s could not be written: %s", qPrintable(path_),
                 qPrintable(error));
    failing_ = true;
    return false;
}

bool PreviewFile::tryWrite(QStringView text, QString &error) {
    constexpr auto folderMode = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
    constexpr auto fileMode = QFile::ReadOwner | QFile::WriteOwner;
    if (folder_.isEmpty()) {
        error = QStringLiteral("there is no private runtime folder");
        return false;
    }
    QDir dir(folder_);
    if (!dir.exists() && !QDir().mkdir(folder_, folderMode) && !dir.exists()) {
        error = QStringLiteral("the folder cannot be created");
        return false;
    }
    QByteArray bytes = FileCodec::encode(text);
    bytes.append("\r\n");
    QFile file(path_);
    // Created with its private mode in one step, so that it is never readable by others,
    // not even for a moment.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate, fileMode) ||
        file.write(bytes) != bytes.size() || !file.flush()) {
        error = file.errorString();
        return false;
    }
    file.close();
    if (file.error() != QFileDevice::NoError) {
        error = file.errorString();
        return false;
    }
    return true;
}

void PreviewFile::remove() {
    if (!path_.isEmpty())
        QFile::remove(path_);
}

} // namespace quenbry
