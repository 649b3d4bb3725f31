// What the New Page dialog's replay stories cannot see: keys as a keyboard sends them (Enter
// presses the focused button, focus after a refused blank title), its colours under the
// owner's skin, and that it is gone once closed.
#include "appearance/colourcontrast.h"
#include "platform/imagebutton.h"
#include "template/newpagedialog.h"
#include "testsupport/scriptedservices.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace quenbry;

namespace {

struct NewPageDialogTest : ::testing::Test {
    EventLog log;
    ScriptedDialogs dialogs{log};
    std::unique_ptr<NewPageDialog> form;

    void SetUp() override {
        dialogs.onUnexpected = [](const QString &what) {
            ADD_FAILURE() << "unexpected " << what.toStdString();
        };
    }
    void TearDown() override { EXPECT_TRUE(dialogs.allAnswered()); }
    void open(const SkinConfiguration *ownerSkin = nullptr) {
        form = std::make_unique<NewPageDialog>(ownerSkin, dialogs);
        form->show();
        QApplication::setActiveWindow(form.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }
    QWidget *child(const char *name) { return form->findChild<QWidget *>(QLatin1String(name)); }
    // Keys go to the window, as a keyboard sends them, so that focus decides where they land.
    void key(Qt::Key k) { QTest::keyClick(form->windowHandle(), k); }
};

} // namespace

TEST_F(NewPageDialogTest, EnterPressesTheFocusedButton) {
    open();
    key(Qt::Key_Return); // from the title box: Create Page
    EXPECT_EQ(form->result(), QDialog::Accepted);
    EXPECT_EQ(form->choices().title, "Untitled Page");

    open();
    for (int i = 0; i < 4; ++i) // from the title over the size, the font and Create Page
        key(Qt::Key_Tab);
    ASSERT_EQ(form->focusWidget(), child("XPButton2"));
    key(Qt::Key_Return);
    EXPECT_EQ(form->result(), QDialog::Rejected);
}

// "No" to the blank-title question leaves the dialog open with the cursor in the title box,
// so that what the user types next is the title.
TEST_F(NewPageDialogTest, RefusedBlankTitleGivesTheTitleBoxTheFocus) {
    open();
    static_cast<QLineEdit *>(child("Text1"))->clear();
    child("Combo2")->setFocus();
    dialogs.queueAnswer(MessageAnswer::No);
    key(Qt::Key_Return);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(form->isVisible());
    for (char c : std::string("Mine"))
        QTest::keyClick(form->windowHandle(), c);
    key(Qt::Key_Return);
    EXPECT_EQ(form->result(), QDialog::Accepted);
    EXPECT_EQ(form->choices().title, "Mine");
}

TEST_F(NewPageDialogTest, TakesOverTheOwnersSkinLegibly) {
    QWidget mainWindow;
    MainSkin mainSkin(&mainWindow, nullptr);
    mainSkin.skinCommand(MainSkin::NeoSkin);
    open(mainSkin.skinConfiguration());
    const QColor background = form->palette().color(QPalette::Window);
    EXPECT_EQ(background, mainSkin.frameSkinner().backgroundColour());
    for (const char *name : {"Label1", "Label2", "Label3"}) {
        const QPalette pal = child(name)->palette();
        EXPECT_GE(contrastRatio(pal.color(QPalette::WindowText), background), LegibleContrast)
            << name;
    }
    const std::pair<const char *, QPalette::ColorRole> fields[] = {
        {"Text1", QPalette::Text},
        {"Combo1", QPalette::ButtonText},
        {"Combo2", QPalette::ButtonText}};
    for (const auto &[name, textRole] : fields) {
        const QPalette pal = child(name)->palette();
        EXPECT_EQ(pal.color(QPalette::Base), background) << name;
        for (const auto back : {QPalette::Base, QPalette::Button})
            EXPECT_GE(contrastRatio(pal.color(textRole), pal.color(back)), LegibleContrast) << name;
    }
}

// The dialog runs modally over its owner and is gone from it once closed, either way.
TEST_F(NewPageDialogTest, IsGoneOnceClosed) {
    QWidget mainWindow;
    for (const char *button : {"XPButton2", "XPButton1"}) {
        QTimer::singleShot(0, [&] {
            QWidget *modal = QApplication::activeModalWidget();
            ASSERT_NE(modal, nullptr);
            EXPECT_EQ(modal->parentWidget(), &mainWindow);
            modal->findChild<ImageButton *>(button)->click();
        });
        const auto choices = NewPageDialog::ask(&mainWindow, nullptr, dialogs);
        EXPECT_EQ(choices.has_value(), button == std::string("XPButton1"));
        EXPECT_EQ(mainWindow.findChild<NewPageDialog *>(), nullptr);
    }
}
