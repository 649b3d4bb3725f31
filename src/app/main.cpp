// The editor's entry point: the desktop's services and the main window.
#include "buildinfo.h"
#include "platform/qtservices.h"
#include "shell/mainwindow.h"

#include <QApplication>

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(quenbry::applicationTitle));
    QApplication::setApplicationVersion(QString::fromLatin1(quenbry::applicationVersion));

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
