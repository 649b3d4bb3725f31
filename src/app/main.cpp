// The editor's entry point: the desktop's services, the splash and the main window, which opens
// the file named on the command line; or, with --register-owner NAME ORGANISATION, the owner's
// name and organisation for the splash, written to the user's settings without opening any
// window.
//
// QUENBRY_STARTUP_PROBE=1 is for the start-up benchmark only: the splash hands over at once,
// and the end of the main window's start-up is announced on standard output.
#include "buildinfo.h"
#include "info/ownersettings.h"
#include "info/splashwindow.h"
#include "platform/account.h"
#include "platform/qtservices.h"
#include "preview/webengine.h"
#include "shell/commandline.h"
#include "shell/mainwindow.h"
#include "translations/translations.h"

#include <QApplication>
#include <QDirIterator>
#include <QIcon>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <optional>
#include <vector>

namespace {

// The icon of the desktop's menu, at every size the build rendered from its drawing.
QIcon applicationIcon() {
    QIcon icon;
    QDirIterator png(QStringLiteral(":/icons/hicolor"), {QStringLiteral("*.png")}, QDir::Files,
                     QDirIterator::Subdirectories);
    while (png.hasNext())
        icon.addFile(png.next());
    return icon;
}

int registerOwner(int argc, char **argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s --register-owner NAME ORGANISATION\n", argv[0]);
        return 2;
    }
    QCoreApplication app(argc, argv);
    quenbry::QtSettingsStore userSettings(QSettings::UserScope);
    const quenbry::Owner owner{QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3])};
    if (!quenbry::registerOwner(userSettings, owner)) {
        std::fprintf(stderr, "%s: cannot write the user's settings\n", argv[0]);
        return 1;
    }
    return 0;
}

// The arguments for the command line: what the toolkit left of its part, then "--" and the
// names after it as they were given.
QStringList programArguments(int argc, char **argv, const std::vector<const char *> &names) {
    std::vector<const char *> arguments(argv, argv + argc);
    arguments.insert(arguments.end(), names.begin(), names.end());
    return quenbry::argumentsFromBytes(arguments);
}

// --help, --version and a wrong command line are answered on a terminal too, where there may
// be no display for the toolkit to open: they are read before it opens one, without the
// toolkit's own options (-platform, -display), which it would take out. A start waits for the
// toolkit.
std::optional<int> answerWithoutDisplay(int argc, char **argv,
                                        const std::vector<const char *> &names) {
    std::vector<char *> copy(argv, argv + argc);
    copy.push_back(nullptr);
    QCoreApplication app(argc, copy.data());
    quenbry::installTranslations();
    const quenbry::CommandLine commandLine = quenbry::parseCommandLine(
        quenbry::withoutToolkitOptions(programArguments(argc, copy.data(), names)));
    switch (commandLine.action) {
    case quenbry::CommandLine::Start:
        return std::nullopt;
    case quenbry::CommandLine::Error:
        std::fprintf(stderr, "%s: %s\n", argv[0], qPrintable(commandLine.message));
        return 2;
    default:
        std::fprintf(stdout, "%s\n", qPrintable(commandLine.message));
        return 0;
    }
}

} // namespace

int main(int argc, char **argv) {
    // A file-size limit (ulimit -f) must make a save fail with "File too large", reported to
    // the user, instead of ending the process, unsaved text and all.
    std::signal(SIGXFSZ, SIG_IGN);
    if (argc > 1 && std::strcmp(argv[1], "--register-owner") == 0)
        return registerOwner(argc, argv);
    // The names after "--" are kept from the toolkit, which would take -reverse or -style for
    // options of its own and remove them.
    int toolkitArgc = quenbry::toolkitArgumentCount(argc, argv);
    std::vector<char *> toolkitArgv(argv, argv + toolkitArgc);
    toolkitArgv.push_back(nullptr);
    const std::vector<const char *> names(argv + toolkitArgc, argv + argc);
    if (const std::optional<int> status = answerWithoutDisplay(toolkitArgc, argv, names))
        return *status;

    quenbry::prepareWebEngineEnvironment();
    QApplication app(toolkitArgc, toolkitArgv.data());
    // Before any window or message: every text the user sees is in their language.
    quenbry::installTranslations();
    QApplication::setApplicationName(QString::fromLatin1(quenbry::applicationTitle));
    QApplication::setApplicationVersion(QString::fromLatin1(quenbry::applicationVersion));
    // Lets the desktop match our windows to the installed .desktop entry and its icon.
    QApplication::setDesktopFileName(QString::fromLatin1(quenbry::applicationId));
    QApplication::setWindowIcon(applicationIcon());
    // Between the splash closing on its timer and the main window showing, no window is up;
    // the main window ends the process itself.
    QApplication::setQuitOnLastWindowClosed(false);

    const quenbry::CommandLine commandLine =
        quenbry::parseCommandLine(programArguments(toolkitArgc, toolkitArgv.data(), names));
    if (commandLine.action == quenbry::CommandLine::Error) {
        std::fprintf(stderr, "%s: %s\n", argv[0], qPrintable(commandLine.message));
        return 2;
    }
    if (commandLine.action != quenbry::CommandLine::Start) {
        std::fprintf(stdout, "%s\n", qPrintable(commandLine.message));
        return 0;
    }
    const bool probe = qEnvironmentVariableIntValue("QUENBRY_STARTUP_PROBE") == 1;

    quenbry::QtDialogs dialogs;
    quenbry::QtClipboard clipboard;
    quenbry::QtShell shell(QString::fromLatin1(quenbry::applicationId) + QLatin1String(".desktop"));
    quenbry::QtMenuPopup popup;
    quenbry::QtSettingsStore userSettings(QSettings::UserScope);
    quenbry::QtSettingsStore machineSettings(QSettings::SystemScope);
    quenbry::Services services{&popup, &dialogs,      &clipboard,
                               &shell, &userSettings, &machineSettings};

    // What an installer would have done for this account, before the splash reads it.
    quenbry::registerFirstOwner(userSettings, machineSettings, quenbry::accountFullName());
    quenbry::MainWindow window(services);
    window.onEndProcess = [] {
        QApplication::exit(0);
    };
    auto *splash = new quenbry::SplashWindow(quenbry::readOwner(userSettings, dialogs),
                                             probe ? std::chrono::milliseconds(0)
                                                   : quenbry::SplashWindow::defaultTimeout);
    splash->onOpenMain = [&window, &commandLine, probe, splash](quenbry::SplashWindow::HandOff) {
        // Where the user is looking, whether the splash has closed or is still up.
        window.placeOn(splash->screen());
        window.startUp(commandLine.file);
        if (probe) {
            std::fputs("started\n", stdout);
            std::fflush(stdout);
        }
    };
    splash->show();
    return app.exec();
}
