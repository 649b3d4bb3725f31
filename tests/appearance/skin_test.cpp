// The skin's colours: where they go, and whether text stays legible on them.
#include "appearance/colourcontrast.h"
#include "appearance/mainskin.h"
#include "colouring/syntaxcolouring.h"
#include "view/editorview.h"

#include <QApplication>
#include <gtest/gtest.h>

using namespace quenbry;

TEST(ColourContrast, MatchesPublishedRatios) {
    const struct {
        QColor a, b;
        double ratio;
    } cases[] = {
        {Qt::black, Qt::white, 21.0},
        {QColor(0x77, 0x77, 0x77), Qt::white, 4.48}, // the classic "just fails" grey
        {QColor(0x76, 0x76, 0x76), Qt::white, 4.54}, // and the lightest that passes
        {Qt::white, QColor(255, 0, 0), 4.00},        // the order does not matter
    };
    for (const auto &c : cases)
        EXPECT_NEAR(contrastRatio(c.a, c.b), c.ratio, 0.01) << c.a.name().toStdString();
}

// Start-up skins the window and the editor alike, and every colour of text shown on the skin
// reads on it.
TEST(MainSkin, SkinnedTextStaysLegible) {
    EditorCore text;
    QWidget window;
    auto *editor = new EditorView(text, &window);
    MainSkin skin(&window, editor);
    skin.skinCommand(MainSkin::NeoSkin);
    const FrameSkinner &skinner = skin.frameSkinner();
    const QColor background = skinner.backgroundColour();
    EXPECT_NE(background, QApplication::palette().color(QPalette::Window));
    EXPECT_EQ(window.palette().color(QPalette::Window), background);
    EXPECT_EQ(editor->viewport()->palette().color(QPalette::Base), background);

    const SkinConfiguration &c = *skin.skinConfiguration();
    const struct {
        const char *what;
        QColor text, back;
    } cases[] = {
        {"text", SyntaxColouring::toRgb(SyntaxColouring::TextColor), background},
        {"value", SyntaxColouring::toRgb(SyntaxColouring::ValueColor), background},
        {"tag", SyntaxColouring::toRgb(SyntaxColouring::TagColor), background},
        {"comment", SyntaxColouring::toRgb(SyntaxColouring::CommentColor), background},
        {"script", SyntaxColouring::toRgb(SyntaxColouring::ScriptColor), background},
        {"labels", skinner.textColour(), background},
        {"selection", window.palette().color(QPalette::HighlightedText),
         window.palette().color(QPalette::Highlight)},
        {"active caption", c.colour(SkinSetting::ActiveCaptionTextColour),
         c.colour(SkinSetting::ActiveCaptionColour)},
        {"inactive caption", c.colour(SkinSetting::InactiveCaptionTextColour),
         c.colour(SkinSetting::InactiveCaptionColour)},
    };
    for (const auto &k : cases)
        EXPECT_GE(contrastRatio(k.text, k.back), LegibleContrast) << k.what;
}
