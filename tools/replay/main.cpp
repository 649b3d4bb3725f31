// quenbry-replay [SCRIPT]: runs a script of user actions against the real main window on the
// offscreen platform, in a fresh scratch folder, and prints the state as JSON lines.
#include "buildinfo.h"
#include "preview/webengine.h"
#include "replaydriver.h"
#include "translations/translations.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <csignal>
#include <cstdio>
#include <ftw.h>

namespace {

// Removes the scratch folder by the bytes of its names, which QDir cannot do for a name that
// is not UTF-8.
struct RemoveTree {
    QByteArray path;
    ~RemoveTree() {
        ::nftw(
            path.constData(),
            [](const char *name, const struct stat *, int, struct FTW *) { return ::remove(name); },
            16, FTW_DEPTH | FTW_PHYS);
    }
};

} // namespace

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // As the program does: a file-size limit fails a save instead of ending the process.
    std::signal(SIGXFSZ, SIG_IGN);
    // The per-user runtime folder, where the preview file lives, is a folder of the scratch
    // folder: the script sees the file, and nothing is written outside.
    QTemporaryDir scratch;
    const QString runtime = scratch.filePath(QStringLiteral("runtime"));
    if (!scratch.isValid() ||
        !QDir().mkdir(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner)) {
        std::fprintf(stderr, "cannot create a scratch folder\n");
        return 1;
    }
    const RemoveTree removeScratch{QFile::encodeName(scratch.path())};
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
    quenbry::prepareWebEngineEnvironment();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(quenbry::applicationTitle));
    // The languages the program would show, so that a run with LANGUAGE=de shows its captions.
    quenbry::installTranslations();

    QFile script;
    if (argc > 1) {
        script.setFileName(QString::fromLocal8Bit(argv[1]));
        if (!script.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cannot read %s\n", argv[1]);
            return 1;
        }
    } else if (!script.open(stdin, QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read standard input\n");
        return 1;
    }
    const QStringList lines = QString::fromUtf8(script.readAll()).split(u'\n');

    if (!QDir::setCurrent(scratch.path())) {
        std::fprintf(stderr, "cannot create a scratch folder\n");
        return 1;
    }
    QTextStream out(stdout);
    quenbry::ReplayDriver driver(out);
    for (int i = 0; i < lines.size(); ++i) {
        QString line = lines[i];
        if (line.endsWith(u'\r'))
            line.chop(1);
        try {
            driver.run(line);
        } catch (const quenbry::ScriptError &e) {
            out.flush();
            std::fprintf(stderr, "line %d: %s\n", i + 1, e.what());
            return 1;
        }
    }
    return 0;
}
