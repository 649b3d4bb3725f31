// The skin: its settings and their order, the skin command, the colours it hands out and
// whether text stays legible on them.
#include "appearance/colourcontrast.h"
#include "appearance/mainskin.h"

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QWidget>
#include <gtest/gtest.h>

using namespace quenbry;

namespace {

struct MainWindowFixture : ::testing::Test {
    QWidget window;
    QPlainTextEdit *editor = new QPlainTextEdit(&window);
    MainSkin skin{&window, editor};
};

bool hasManyColours(const QImage &image) {
    const QRgb first = image.pixel(0, 0);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != first)
                return true;
    return false;
}

} // namespace

TEST(ColourContrast, MatchesPublishedRatios) {
    struct Case {
        QColor a, b;
        double ratio;
    };
    const Case cases[] = {
        {Qt::black, Qt::white, 21.0},
        {Qt::white, Qt::white, 1.0},
        {QColor(0x77, 0x77, 0x77), Qt::white, 4.48}, // the classic "just fails" grey
        {QColor(0x76, 0x76, 0x76), Qt::white, 4.54}, // and the lightest that passes
        {QColor(0, 0, 255), Qt::white, 8.59},
        {Qt::white, QColor(255, 0, 0), 4.00}, // order of the arguments does not matter
    };
    for (const Case &c : cases)
        EXPECT_NEAR(contrastRatio(c.a, c.b), c.ratio, 0.01) << c.a.name().toStdString();
}

TEST_F(MainWindowFixture, NeoSkinGivesItsSeventeenSettingsInOrder) {
    EXPECT_EQ(skin.skinConfiguration(), nullptr);
    skin.selectNewSkin(2);
    const SkinConfiguration *c = skin.skinConfiguration();
    ASSERT_NE(c, nullptr);

    std::vector<SkinSetting> expectedOrder;
    for (int i = 0; i < SkinSettingCount; ++i)
        expectedOrder.push_back(SkinSetting(i));
    EXPECT_EQ(c->givenOrder(), expectedOrder);

    EXPECT_EQ(c->name(), "Neo vbAccelerator");
    const std::pair<SkinSetting, QColor> colours[] = {
        {SkinSetting::ActiveCaptionTextColour, QColor(255, 255, 255)},
        {SkinSetting::ActiveCaptionColour, QColor(47, 122, 151)},
        {SkinSetting::InactiveCaptionTextColour, QColor(0, 0, 0)},
        {SkinSetting::MenuHighlightTextColour, QColor(255, 255, 255)},
        {SkinSetting::MenuHighlightColour, QColor(47, 122, 151)},
        {SkinSetting::InactiveCaptionColour, QColor(123, 189, 214)},
    };
    for (const auto &[setting, colour] : colours)
        EXPECT_EQ(c->colour(setting), colour) << int(setting);
    EXPECT_EQ(c->font(SkinSetting::CaptionFont), window.font());
    EXPECT_EQ(c->font(SkinSetting::MenuFont), window.font());

    const QImage caption = c->picture(SkinSetting::CaptionPicture);
    const QImage buttons = c->picture(SkinSetting::ButtonPicture);
    EXPECT_EQ(caption.size(), QSize(640, 48));
    EXPECT_EQ(buttons.size(), QSize(70, 10));
    EXPECT_TRUE(hasManyColours(caption));
    EXPECT_TRUE(hasManyColours(buttons));
    EXPECT_EQ(caption, skin.skinPicture(0));
    EXPECT_EQ(buttons, skin.skinPicture(1));

    const std::pair<SkinSetting, int> numbers[] = {
        {SkinSetting::CaptionHeight, 19},  {SkinSetting::CaptionButtonSize, 20},
        {SkinSetting::CaptionSlice1, 90},  {SkinSetting::CaptionSlice2, 140},
        {SkinSetting::CaptionSlice3, 240}, {SkinSetting::CaptionSlice4, 400},
    };
    for (const auto &[setting, number] : numbers)
        EXPECT_EQ(c->number(setting), number) << int(setting);
}

TEST(SkinConfiguration, RefusesAValueOfTheWrongKindAndKeepsTheOrder) {
    SkinConfiguration c;
    EXPECT_FALSE(c.setColour(SkinSetting::CaptionHeight, Qt::red));
    EXPECT_FALSE(c.setNumber(SkinSetting::ActiveCaptionColour, 3));
    EXPECT_FALSE(c.setFont(SkinSetting::ButtonPicture, QFont()));
    EXPECT_FALSE(c.setPicture(SkinSetting::MenuFont, QImage(1, 1, QImage::Format_RGB32)));
    EXPECT_TRUE(c.givenOrder().empty());
    EXPECT_EQ(c, SkinConfiguration());

    EXPECT_TRUE(c.setNumber(SkinSetting::CaptionSlice4, 7));
    EXPECT_TRUE(c.setColour(SkinSetting::MenuHighlightColour, Qt::red));
    EXPECT_TRUE(c.setNumber(SkinSetting::CaptionSlice4, 8));
    EXPECT_EQ(c.givenOrder(), (std::vector<SkinSetting>{SkinSetting::CaptionSlice4,
                                                        SkinSetting::MenuHighlightColour,
                                                        SkinSetting::CaptionSlice4}));
    EXPECT_EQ(c.number(SkinSetting::CaptionSlice4), 8);
    EXPECT_EQ(c.number(SkinSetting::CaptionSlice3), 0);
    EXPECT_EQ(c.colour(SkinSetting::MenuHighlightColour), QColor(Qt::red));
}

TEST_F(MainWindowFixture, OtherSkinNumbersGetAFreshDefaultConfiguration) {
    skin.selectNewSkin(2);
    for (int index : {0, 1, 3, 6, -1}) {
        const SkinConfiguration *before = skin.skinConfiguration();
        skin.selectNewSkin(index);
        ASSERT_NE(skin.skinConfiguration(), nullptr);
        EXPECT_NE(skin.skinConfiguration(), before) << index;
        EXPECT_EQ(*skin.skinConfiguration(), SkinConfiguration()) << index;
    }
}

TEST_F(MainWindowFixture, SkinCommandTwoSkinsTheWindowAndTheEditorAlike) {
    skin.skinCommand(2);
    ASSERT_NE(skin.skinConfiguration(), nullptr);
    EXPECT_EQ(skin.frameSkinner().window(), &window);
    EXPECT_EQ(skin.frameSkinner().configuration(), *skin.skinConfiguration());
    const QColor background = skin.frameSkinner().backgroundColour();
    EXPECT_EQ(window.palette().color(QPalette::Window), background);
    EXPECT_EQ(editor->palette().color(QPalette::Base), background);
    EXPECT_EQ(editor->viewport()->palette().color(QPalette::Base), background);
    EXPECT_NE(background, QApplication::palette().color(QPalette::Window));
}

TEST_F(MainWindowFixture, SkinCommandOtherThanTwoChangesNothing) {
    const QPalette windowBefore = window.palette();
    for (int index : {3, 0, 1, 4, 6}) {
        skin.skinCommand(index);
        EXPECT_EQ(skin.skinConfiguration(), nullptr) << index;
        EXPECT_EQ(skin.frameSkinner().window(), nullptr) << index;
        EXPECT_EQ(window.palette(), windowBefore) << index;
    }

    skin.skinCommand(2);
    const SkinConfiguration *current = skin.skinConfiguration();
    const QPalette windowSkinned = window.palette();
    const QPalette editorSkinned = editor->palette();
    skin.skinCommand(3);
    EXPECT_EQ(skin.skinConfiguration(), current);
    EXPECT_EQ(window.palette(), windowSkinned);
    EXPECT_EQ(editor->palette(), editorSkinned);
}

TEST(SkinLegibility, EveryTextColourReadsOnTheSkinBackground) {
    QWidget window;
    MainSkin skin(&window, nullptr);
    skin.skinCommand(2);
    const FrameSkinner &skinner = skin.frameSkinner();
    const QColor background = skinner.backgroundColour();
    const SkinConfiguration &c = *skin.skinConfiguration();

    struct Case {
        const char *what;
        QColor text, back;
    };
    const Case cases[] = {
        {"TextColor", QColor(0, 0, 0), background},
        {"ValueColor", QColor(128, 0, 128), background},
        {"TagColor", QColor(0, 0, 160), background},
        {"CommentColor", QColor(64, 128, 128), background},
        {"ScriptColor", QColor(128, 0, 0), background},
        {"labels", skinner.textColour(), background},
        {"selection", window.palette().color(QPalette::HighlightedText),
         window.palette().color(QPalette::Highlight)},
        {"active caption", c.colour(SkinSetting::ActiveCaptionTextColour),
         c.colour(SkinSetting::ActiveCaptionColour)},
        {"inactive caption", c.colour(SkinSetting::InactiveCaptionTextColour),
         c.colour(SkinSetting::InactiveCaptionColour)},
    };
    for (const Case &k : cases)
        EXPECT_GE(contrastRatio(k.text, k.back), LegibleContrast) << k.what;
    // A tint, not plain white: the skin shows.
    EXPECT_NE(background, QColor(Qt::white));
}

TEST(DialogSkin, TakesOverTheOwnersSkinOnlyWhenThereIsOne) {
    QWidget dialog;
    auto *label = new QLabel(QStringLiteral("Title"), &dialog);
    auto *info = new QLabel(QStringLiteral("Info"), &dialog);
    info->setObjectName(QStringLiteral("lblInfo"));
    const QPalette designed = dialog.palette();
    const QColor infoColour = info->palette().color(QPalette::WindowText);

    DialogSkin skin;
    EXPECT_FALSE(skin.takeOver(&dialog, nullptr));
    EXPECT_EQ(skin.frameSkinner(), nullptr);
    EXPECT_EQ(dialog.palette(), designed);

    QWidget owner;
    MainSkin ownerSkin(&owner, nullptr);
    ownerSkin.skinCommand(2);
    ASSERT_TRUE(skin.takeOver(&dialog, ownerSkin.skinConfiguration()));
    const FrameSkinner *skinner = skin.frameSkinner();
    ASSERT_NE(skinner, nullptr);
    EXPECT_EQ(skinner->window(), &dialog);
    EXPECT_EQ(skinner->configuration(), *ownerSkin.skinConfiguration());
    EXPECT_EQ(dialog.palette().color(QPalette::Window), skinner->backgroundColour());

    // A second take-over keeps the dialog's one skinner.
    ASSERT_TRUE(skin.takeOver(&dialog, ownerSkin.skinConfiguration()));
    EXPECT_EQ(skin.frameSkinner(), skinner);

    colourLabels(&dialog, Qt::white);
    EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(Qt::white));
    EXPECT_EQ(info->palette().color(QPalette::WindowText), infoColour);
}
