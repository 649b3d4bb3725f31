#include "documentfile.h"

#include "filecodec.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace quenbry {

namespace {

QString tr(const char *text) {
    return QCoreApplication::translate("quenbry::DocumentFile", text);
}

FileResult readFailure(const QString &path, const QString &reason) {
    return {QString(), tr("The file \"%1\" could not be opened.\n\n%2.").arg(path, reason)};
}

FileResult writeFailure(const QString &path, const QString &reason) {
    return {QString(), tr("The file \"%1\" could not be saved.\n\n%2.").arg(path, reason)};
}

// Symbolic links chained deeper than this are treated as a loop.
constexpr int kMaxLinkDepth = 40;

FileResult writeDirectly(const QString &path, const QString &shownPath, const QByteArray &bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        return writeFailure(shownPath, file.errorString());
    if (file.write(bytes) != bytes.size() || !file.flush())
        return writeFailure(shownPath, file.errorString());
    file.close();
    if (file.error() != QFileDevice::NoError)
        return writeFailure(shownPath, file.errorString());
    return {};
}

} // namespace

FileResult readDocumentFile(const QString &path) {
    const QFileInfo info(path);
    if (info.isDir())
        return readFailure(path, tr("It is a folder, not a file"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return readFailure(path, file.errorString());
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return readFailure(path, file.errorString());
    return {FileCodec::decode(bytes), QString()};
}

FileResult writeDocumentFile(const QString &path, QStringView text) {
    QByteArray bytes = FileCodec::encode(text);
    bytes.append("\r\n");

    // Replacing a link by a file would cut the link; the new file belongs where it points.
    QFileInfo target(path);
    for (int depth = 0; target.isSymLink(); ++depth) {
        if (depth == kMaxLinkDepth)
            return writeFailure(path, tr("Too many levels of symbolic links"));
        target.setFile(target.symLinkTarget());
    }
    if (target.isDir())
        return writeFailure(path, tr("It is a folder, not a file"));
    if (!target.dir().exists())
        return writeFailure(path, tr("The folder \"%1\" does not exist").arg(target.path()));
    // Renaming a temporary file over a device would replace the device itself.
    if (target.exists() && !target.isFile())
        return writeDirectly(target.filePath(), path, bytes);

    QSaveFile file(target.filePath());
    if (!file.open(QIODevice::WriteOnly))
        return writeFailure(path, file.errorString());
    // Without a commit, the temporary file is removed and the old file stays untouched.
    if (file.write(bytes) != bytes.size())
        return writeFailure(path, file.errorString());
    if (!file.commit())
        return writeFailure(path, file.errorString());
    return {};
}

} // namespace quenbry
