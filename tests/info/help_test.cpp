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
    for (const MenuEntry &m : menuTable) {
        if (m.flags & MenuEntry::Menu) {
            menuShown = !(m.flags & MenuEntry::Hidden);
            continue;
        }
        // Items of a hidden menu are reachable through their shortcut only.
        if ((m.flags & (MenuEntry::Separator | MenuEntry::Hidden)) || (!menuShown && !*m.shortcut))
            continue;
        const QString shortcut = *m.shortcut ? QStringLiteral("<kbd>%1</kbd>").arg(m.shortcut) : "";
        EXPECT_TRUE(page.contains(QStringLiteral(">%1</th>").arg(m.caption)) &&
                    page.contains(shortcut))
            << m.caption;
    }
    for (const ToolbarEntry &t : toolbarTable)
        EXPECT_TRUE(page.contains(QStringLiteral("<td>%1</td>").arg(t.tooltip))) << t.tooltip;
    for (int context = 1; !helpSection(context).isEmpty(); ++context)
        EXPECT_TRUE(page.contains(QStringLiteral("id=\"%1\"").arg(helpSection(context))));
}
