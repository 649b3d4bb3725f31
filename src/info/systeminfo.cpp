#include "systeminfo.h"
#include "ownersettings.h"

#include "buildinfo.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace quenbry {

namespace {

// The translation context of the texts below.
struct Text {
    Q_DECLARE_TR_FUNCTIONS(SystemInfo)
};

// The System Information program itself, or "" when the store does not lead to one.
QString systemInfoProgram(const SettingsStore &machineStore) {
    if (const auto path =
            readKeyValue(machineStore, QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO"),
                         QStringLiteral("PATH")))
        return *path;
    const auto folder =
        readKeyValue(machineStore, QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location"),
                     QStringLiteral("MSINFO"));
    // An empty folder names no place: the name alone would be looked for in the root folder.
    if (!folder || folder->isEmpty())
        return {};
    const QFileInfo program(QDir(*folder).filePath(QStringLiteral("MSINFO32.EXE")));
    return program.isFile() ? QDir::toNativeSeparators(program.absoluteFilePath()) : QString();
}

} // namespace

bool startSystemInfo(const SettingsStore &machineStore, Shell &shell, Dialogs &dialogs,
                     QWidget *messageOwner) {
    const QString program = systemInfoProgram(machineStore);
    if (!program.isEmpty() && shell.startProgram(program))
        return true;
    dialogs.message(messageOwner, Text::tr("System Information Is Unavailable At This Time"),
                    QString::fromLatin1(applicationTitle), MessageButtons::Ok, MessageIcon::None);
    return false;
}

} // namespace quenbry
