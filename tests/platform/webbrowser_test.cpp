// A browser's desktop entry turned into the command line that opens a page.
#include "platform/webbrowser.h"

#include <gtest/gtest.h>

using namespace quenbry;

TEST(DesktopEntryCommand, FieldCodesQuotingAndEscapes) {
    const QUrl page = QUrl::fromLocalFile("/tmp/my page.html");
    const QString url = "file:///tmp/my%20page.html";
    const struct {
        const char *entry;
        QStringList command;
    } cases[] = {
        {"[Desktop Entry]\nName=B\nExec=browser %U\n", {"browser", url}},
        {"[Desktop Entry]\nExec=/opt/b/run --new-window %f\n",
         {"/opt/b/run", "--new-window", "/tmp/my page.html"}},
        // Only the main group counts; %i, %c and %k go; %% is a percent sign.
        {"[Desktop Action new]\nExec=other %u\n[Desktop Entry]\nExec=b %i %c --x=%u %%k %k\n",
         {"b", "--x=" + url, "%k"}},
        // Quotes hold blanks and escaped characters; \s is a blank of the value itself.
        {"[Desktop Entry]\nExec=\"/opt/my b/run\" \"a \\\\\"q\\\\\" \\\\$x\" a\\sb %u",
         {"/opt/my b/run", "a \"q\" $x", "a", "b", url}},
        // An Exec that takes no address gets it last.
        {"[Desktop Entry]\nExec=browser --private\n", {"browser", "--private", url}},
        {"[Desktop Entry]\nName=No command\n", {}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(desktopEntryCommand(QString::fromUtf8(c.entry), page), c.command) << c.entry;
}
