// The editor's entry point: the desktop's services and the main window.
#include "buildinfo.h"
#include "platform/qtservices.h"
#include "shell/mainwindow.h"

#include <QApplication>
#include <QDirIterator>
#include <QIcon>

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

} // namespace

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(quenbry::applicationTitle));
    QApplication::setApplicationVersion(QString::fromLatin1(quenbry::applicationVersion));
    // Lets the desktop match our windows to the installed .desktop entry and its icon.
    QApplication::setDesktopFileName(QString::fromLatin1(quenbry::applicationId));
    QApplication::setWindowIcon(applicationIcon());

    quenbry::QtDialogs dialogs;
    quenbry::QtClipboard clipboard;
    quenbry::QtShell shell;
    quenbry::QtMenuPopup popup;
    quenbry::QtSettingsStore userSettings(QSettings::UserScope);
    quenbry::QtSettingsStore machineSettings(QSettings::SystemScope);
    quenbry::Services services{&popup, &dialogs,      &clipboard,
                               &shell, &userSettings, &machineSettings};

    quenbry::MainWindow window(services);
    window.onEndProcess = [] {
        QApplication::exit(0);
    };
    window.startUp();
    return app.exec();
}
