#include "help.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <array>

namespace quenbry {

namespace {

const QString relativePage = QStringLiteral("quenbry/help/index.html");

// The page's sections in its order; a context number n opens the n-th.
constexpr std::array helpSections{
    "purpose",  "starting", "window",    "menus", "shortcuts", "toolbar",  "colours",   "typing",
    "new-page", "files",    "line-ends", "undo",  "preview",   "printing", "about-box", "leaving",
};

} // namespace

QString helpPagePath() {
    const QFileInfo beside(QDir(QCoreApplication::applicationDirPath())
                               .filePath(QStringLiteral("../share/") + relativePage));
    if (beside.isFile())
        return beside.canonicalFilePath();
    return QStandardPaths::locate(QStandardPaths::GenericDataLocation, relativePage);
}

QString helpSection(int context) {
    if (context < 1 || context > int(helpSections.size()))
        return {};
    return QLatin1String(helpSections[context - 1]);
}

void showHelp(Shell &shell, int context) {
    const QString page = helpPagePath();
    if (page.isEmpty())
        return;
    shell.showHelp(page, context, helpSection(context));
}

} // namespace quenbry
