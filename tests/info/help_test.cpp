// The guide that ships with the program covers every command a user can reach, with its
// shortcut, every toolbar button, and every section that help can open.
#include "info/help.h"
#include "shell/commandtable.h"
#include "testsupport/scriptedservices.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace quenbry;

TEST(Help, TheGuideShipsBesideTheProgramAndNamesEveryCommandAUserCanReach) {
    // F1 (its replay story) asks for the page at its index; it is the one beside the program.
    ScriptedDesktop desktop;
    showHelp(desktop.shell);
    QFile file(helpPagePath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << "no help page beside the program";
    ASSERT_EQ(desktop.log.events.size(), 1u);
    EXPECT_TRUE(desktop.log.events[0].serialize().contains(u'"' + file.fileName() + u'"'));
    const QString page = QString::fromUtf8(file.readAll());
    bool menuShown = true;
    for (const CommandRow &row : commandTable) {
        if (row.kind == CommandRow::Menu) {
            menuShown = !(row.flags & CommandRow::Hidden);
            continue;
        }
        if (row.toolButton.name) {
            EXPECT_TRUE(page.contains(QStringLiteral("<td>%1</td>").arg(row.toolButton.tooltip)))
                << row.toolButton.tooltip;
        }
        // Items of a hidden menu are reachable through their shortcut only.
        if (row.kind == CommandRow::Separator || (row.flags & CommandRow::Hidden) ||
            (!menuShown && !*row.shortcut))
            continue;
        const QString shortcut =
            *row.shortcut ? QStringLiteral("<kbd>%1</kbd>").arg(row.shortcut) : QString();
        EXPECT_TRUE(page.contains(QStringLiteral(">%1</th>").arg(row.caption)) &&
                    page.contains(shortcut))
            << row.caption;
    }
    for (int context = 1; !helpSection(context).isEmpty(); ++context)
        EXPECT_TRUE(page.contains(QStringLiteral("id=\"%1\"").arg(helpSection(context))));
}
