#pragma once
// The files a page in the preview pane may load: those of its document's folder and below it,
// as the file system resolves them, and nothing else on the machine. Qt Core only, shared by
// the web engine plugin and its tests.

#include <QIODevice>
#include <QString>
#include <memory>

namespace quenbry::pagefiles {

// A page may stream no larger file: a disk image in an iframe must not fill the machine.
inline constexpr qint64 maxFileSize = 64LL * 1024 * 1024;

// The folder, in its canonical form, whose files the page of documentFile may load; empty for
// an untitled page (documentFile empty) or a folder that cannot be resolved.
QString folderOf(const QString &documentFile);

// Opens path for reading when its canonical form (links and ".." resolved) lies inside folder,
// names a regular file of at most maxFileSize and is on no kernel pseudo file system (/proc,
// /sys, ...). Null, with the reason in why, otherwise; an empty folder admits nothing. Reads
// stop at maxFileSize even if the file grows while it is read.
std::unique_ptr<QIODevice> openInside(const QString &folder, const QString &path, QString &why);

} // namespace quenbry::pagefiles
