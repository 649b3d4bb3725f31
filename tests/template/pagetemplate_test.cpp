// The page skeleton: what goes in unchanged, its line ends, and the start-up page's quirk.
#include "template/pagetemplate.h"
#include "text/editorcore.h"

#include <QStringList>
#include <gtest/gtest.h>

using namespace quenbry;

namespace {

// Seventeen lines, CR LF between them, nothing after the last; no other line end anywhere.
void expectSeventeenLines(const QString &page) {
    EXPECT_EQ(page.split(QStringLiteral("\r\n")).size(), 17);
    EXPECT_EQ(page.count(u'\r'), 16);
    EXPECT_EQ(page.count(u'\n'), 16);
    EXPECT_TRUE(page.endsWith(QStringLiteral("</html>")));
}

} // namespace

TEST(PageText, ValuesGoInUnchanged) {
    const QString page = pageText("Fish & <b>Chips</b>", "Verdana, <x> & y", -5);
    expectSeventeenLines(page);
    const QStringList lines = page.split(QStringLiteral("\r\n"));
    EXPECT_TRUE(lines.contains("<title>Fish & <b>Chips</b></title>"));
    EXPECT_TRUE(lines.contains("    font-family: Verdana, <x> & y;"));
    EXPECT_TRUE(lines.contains("    font-size: -5px;"));
    EXPECT_FALSE(page.contains(QStringLiteral(" ;")));
}

// The start-up page is the page New would build from "New Page", Arial and 12, except for a
// space before each of its two semicolons.
TEST(PageText, StartUpPageHasASpaceBeforeEachSemicolon) {
    const QString page = defaultPage();
    expectSeventeenLines(page);
    EXPECT_EQ(page.count(QStringLiteral(" ;")), 2);
    EXPECT_TRUE(page.contains(QStringLiteral("font-size: 12px ;")));
    EXPECT_EQ(QString(page).replace(QStringLiteral(" ;"), QStringLiteral(";")),
              pageText("New Page", "Arial, Helvetica, sans-serif", 12));
}

// The page goes in as two changes, so that Undo after it shows the emptied editor first.
TEST(PutPage, EmptiesTheEditorThenInsertsThePage) {
    EditorCore editor;
    editor.setText(QStringLiteral("old text that must go"));
    editor.selectFromUser(4, 4);
    struct Texts : EditorObserver {
        explicit Texts(EditorCore &e)
            : editor(e) {}
        void textChangeNotified() override { seen << editor.text(); }
        EditorCore &editor;
        QStringList seen;
    } texts(editor);
    editor.addObserver(&texts);
    putPage(editor, defaultPage());
    editor.removeObserver(&texts);
    EXPECT_EQ(texts.seen, (QStringList{QString(), defaultPage()}));
    EXPECT_EQ(editor.selStart(), editor.length());
}
