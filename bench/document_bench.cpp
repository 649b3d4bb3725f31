// Times the document file path on large pages: the code page both ways, a whole-file read (also
// of the text in UTF-8, detected and decoded), an atomic save (also one that gives the file back
// its owner and attributes) and a save in place.
// Prints a table; run by hand on a quiet machine.
#include "document/documentfile.h"
#include "document/filecodec.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <sys/xattr.h>
#include <unistd.h>

using namespace quenbry;

namespace {

// The best of a few runs, in milliseconds.
double bestOf(int runs, const std::function<void()> &f) {
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        f();
        best = std::min(best, t.nsecsElapsed() / 1e6);
    }
    return best;
}

QString page(qsizetype size, bool foreign) {
    const QString line = foreign ? QStringLiteral("<p class=\"x\">Gr\u00FC\u00DFe \u4E2D\u6587 "
                                                  "\u20AC &amp; caf\u00E9</p>\r\n")
                                 : QStringLiteral("<p class=\"x\">Hello, world &amp; caf\u00E9"
                                                  "</p>\r\n");
    QString text;
    text.reserve(size + line.size());
    while (text.size() < size)
        text += line;
    text.truncate(size);
    return text;
}

} // namespace

int main() {
    QTemporaryDir dir;
    // The backups of the saves in place stay out of the user's own state folder.
    qputenv("XDG_STATE_HOME", QFile::encodeName(dir.filePath("state")));
    std::printf("%-34s %10s %10s\n", "operation", "size", "best ms");
    for (qsizetype mb : {1, 10, 50}) {
        const qsizetype size = mb * 1024 * 1024;
        for (bool foreign : {false, true}) {
            const QString text = page(size, foreign);
            const QByteArray bytes = FileCodec::encode(text);
            const char *kind = foreign ? "with references" : "Western only";
            char label[64];
            std::snprintf(label, sizeof label, "encode (%s)", kind);
            std::printf("%-34s %8lld MB %10.2f\n", label, (long long)mb,
                        bestOf(5, [&] { (void)FileCodec::encode(text); }));
            std::snprintf(label, sizeof label, "decode (%s)", kind);
            std::printf("%-34s %8lld MB %10.2f\n", label, (long long)mb,
                        bestOf(5, [&] { (void)FileCodec::decode(bytes); }));
            const QString file = dir.filePath("page.html");
            std::snprintf(label, sizeof label, "atomic save (%s)", kind);
            std::printf("%-34s %8lld MB %10.2f\n", label, (long long)mb,
                        bestOf(5, [&] { (void)writeDocumentFile(file, text); }));
            std::snprintf(label, sizeof label, "read whole file (%s)", kind);
            std::printf("%-34s %8lld MB %10.2f\n", label, (long long)mb,
                        bestOf(5, [&] { (void)readDocumentFile(file); }));
            // The same text in UTF-8: checked to its end before it is decoded.
            const QByteArray utf8 = FileCodec::encode(text, Encoding::Utf8);
            std::snprintf(label, sizeof label, "UTF-8 decode (%s)", kind);
            std::printf("%-34s %8lld MB %10.2f\n", label, (long long)mb,
                        bestOf(5, [&] { (void)FileCodec::decodeDetected(utf8); }));
            (void)writeDocumentFile(file, text, Encoding::Utf8);
            std::snprintf(label, sizeof label, "read UTF-8 file (%s)", kind);
            std::printf("%-34s %8lld MB %10.2f\n", label, (long long)mb,
                        bestOf(5, [&] { (void)readDocumentFile(file); }));
        }
        // The costs of keeping the file as it was: another owner and an extended attribute
        // given to the new file (as root), and a hard-linked file rewritten in place, its old
        // bytes first copied to a backup.
        const QString text = page(size, false);
        const QString file = dir.filePath("page.html");
        const QByteArray name = QFile::encodeName(file);
        if (::chown(name, 65534, 65534) == 0 && ::setxattr(name, "user.x", "y", 1, 0) == 0) {
            std::printf("%-34s %8lld MB %10.2f\n", "atomic save, owner + attribute", (long long)mb,
                        bestOf(5, [&] { (void)writeDocumentFile(file, text); }));
        }
        const QByteArray link = QFile::encodeName(dir.filePath("link.html"));
        if (::link(name, link) == 0) {
            std::printf("%-34s %8lld MB %10.2f\n", "save in place (hard link)", (long long)mb,
                        bestOf(5, [&] { (void)writeDocumentFile(file, text); }));
            ::unlink(link);
        }
    }
    return 0;
}
