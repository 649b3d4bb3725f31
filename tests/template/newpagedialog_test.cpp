// The New Page dialog as the user meets it: its defaults, Create Page with and without a
// title, Cancel and the close box, the owner's skin, and the modal run from New.
#include "appearance/colourcontrast.h"
#include "platform/editorcore.h"
#include "platform/imagebutton.h"
#include "strictdialogs.h"
#include "template/newpagedialog.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <gtest/gtest.h>

using namespace quenbry;
using quenbry::test::StrictDialogs;

namespace {

const QStringList sizes{"12", "14", "16", "18", "20", "22", "24",
                        "26", "28", "30", "32", "34", "36"};
const QStringList families{
    "Arial, Helvetica, sans-serif",
    "Times New Roman, Times, serif",
    "Courier New, Courier, mono",
    "Georgia, Times New Roman, Times, serif",
    "Verdana, Arial, Helvetica, sans-serif",
};
const QString blankQuestion = "Are you sure that you want a blank title to your web page?";
const QString untouched = "the user's unsaved work";

QStringList entries(const QComboBox *box) {
    QStringList out;
    for (int i = 0; i < box->count(); ++i)
        out << box->itemText(i);
    return out;
}

struct NewPageFixture : ::testing::Test {
    StrictDialogs dialogs;
    TemplateSettings settings;
    EditorCore editor;
    std::unique_ptr<NewPageDialog> form;

    NewPageFixture() { editor.setText(untouched); }

    // As New does: the page built from the choices goes into the editor once the dialog has
    // accepted them.
    NewPageDialog &open(const SkinConfiguration *owner = nullptr) {
        form = std::make_unique<NewPageDialog>(owner, dialogs);
        QObject::connect(form.get(), &QDialog::accepted, [this] {
            settings = form->choices();
            putPage(editor, pageText(settings));
        });
        form->show();
        return *form;
    }
    template <typename T> T *child(const char *name) {
        T *w = form->findChild<T *>(QLatin1String(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QLineEdit *Text1() { return child<QLineEdit>("Text1"); }
    QComboBox *Combo1() { return child<QComboBox>("Combo1"); }
    QComboBox *Combo2() { return child<QComboBox>("Combo2"); }
    void press(const char *name) { child<ImageButton>(name)->click(); }
};

} // namespace

TEST_F(NewPageFixture, OpensWithTheDefaultsEveryTime) {
    for (int opening = 0; opening < 2; ++opening) {
        open();
        EXPECT_EQ(form->objectName(), "frmNewPage");
        EXPECT_EQ(form->windowTitle(), "New Page");
        EXPECT_TRUE(form->isModal());
        EXPECT_EQ(child<QLabel>("Label1")->text(), "Page's Title:");
        EXPECT_EQ(child<QLabel>("Label2")->text(), "Font Size:");
        EXPECT_EQ(child<QLabel>("Label3")->text(), "Font Name:");
        EXPECT_EQ(child<ImageButton>("XPButton1")->text(), "Create Page");
        EXPECT_EQ(child<ImageButton>("XPButton2")->text(), "Cancel");
        EXPECT_EQ(Text1()->text(), "Untitled Page");
        EXPECT_EQ(entries(Combo1()), sizes);
        EXPECT_EQ(entries(Combo2()), families);
        EXPECT_EQ(Combo1()->currentText(), "12");
        EXPECT_EQ(Combo2()->currentText(), families[0]);
        EXPECT_FALSE(Combo1()->isEditable());
        EXPECT_FALSE(Combo2()->isEditable());
        EXPECT_EQ(form->focusWidget(), Text1());

        // Make other choices and create; the next opening must not show them.
        Text1()->setText("Second");
        Combo1()->setCurrentIndex(5);
        Combo2()->setCurrentIndex(3);
        press("XPButton1");
        EXPECT_EQ(form->result(), QDialog::Accepted);
        EXPECT_FALSE(form->isVisible());
    }
    EXPECT_EQ(settings.title, "Second");
}

TEST_F(NewPageFixture, CreatePageWritesTheChosenPage) {
    struct Case {
        QString title;
        int size, family;
        QString line6, line9, line10;
    };
    const Case cases[] = {
        {"Untitled Page", 0, 0, "<title>Untitled Page</title>",
         "    font-family: Arial, Helvetica, sans-serif;", "    font-size: 12;"},
        {"Rock & <Roll>", 12, 4, "<title>Rock & <Roll></title>",
         "    font-family: Verdana, Arial, Helvetica, sans-serif;", "    font-size: 36;"},
        {" a &amp; b ", 1, 2, "<title> a &amp; b </title>",
         "    font-family: Courier New, Courier, mono;", "    font-size: 14;"},
    };
    for (const Case &c : cases) {
        editor.setText(untouched);
        open();
        Text1()->setText(c.title);
        Combo1()->setCurrentIndex(c.size);
        Combo2()->setCurrentIndex(c.family);
        press("XPButton1");

        const QString expected =
            "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\"\r\n"
            "\"http://www.w3.org/TR/html4/loose.dtd\">\r\n"
            "<html>\r\n"
            "<head>\r\n"
            "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=iso-8859-1\">\r\n" +
            c.line6 + "\r\n" + "<style type=\"text/css\"><!--\r\n" + "body,td,th {\r\n" + c.line9 +
            "\r\n" + c.line10 + "\r\n" +
            "}\r\n"
            "-->\r\n"
            "</style></head>\r\n"
            "\r\n"
            "<body>\r\n"
            "</body>\r\n"
            "</html>";
        EXPECT_EQ(editor.text(), expected) << c.title.toStdString();
        EXPECT_EQ(editor.selStart(), expected.size());
        EXPECT_EQ(settings.title, c.title);
        EXPECT_EQ(settings.fontName, families[c.family]);
        EXPECT_EQ(settings.fontSize, sizes[c.size].toShort());
        EXPECT_EQ(form->result(), QDialog::Accepted);
        EXPECT_FALSE(form->isVisible());
    }
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(NewPageFixture, BlankTitleAnsweredNoKeepsTheDialogAndTheText) {
    settings = {"Earlier", "Earlier font", 99};
    open();
    Text1()->clear();
    Combo1()->setCurrentIndex(2);
    Combo2()->setCurrentIndex(1);
    Combo2()->setFocus();
    dialogs.answers = {MessageAnswer::No};
    press("XPButton1");

    ASSERT_EQ(dialogs.messages.size(), 1u);
    const auto &asked = dialogs.messages[0];
    EXPECT_EQ(asked.text, blankQuestion);
    EXPECT_EQ(asked.title, "Blank title ?");
    EXPECT_EQ(asked.buttons, MessageButtons::YesNo);
    EXPECT_EQ(asked.icon, MessageIcon::Question);

    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->focusWidget(), Text1());
    EXPECT_EQ(editor.text(), untouched);
    EXPECT_EQ(settings.title, "Earlier");

    // The user can still go on: a title typed now creates the page.
    Text1()->setText("Now titled");
    press("XPButton1");
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(editor.text().contains("\r\n<title>Now titled</title>\r\n"));
    EXPECT_EQ(dialogs.messages.size(), 1u);
}

TEST_F(NewPageFixture, BlankTitleAnsweredYesCreatesAnUntitledPage) {
    settings.title = "Earlier";
    open();
    Text1()->clear();
    dialogs.answers = {MessageAnswer::Yes};
    press("XPButton1");
    EXPECT_EQ(dialogs.messages.size(), 1u);
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(settings.title, "");
    EXPECT_EQ(editor.text(), pageText("", families[0], 12));
    EXPECT_TRUE(editor.text().contains("\r\n<title></title>\r\n"));
}

TEST_F(NewPageFixture, CancelAndCloseBoxLeaveEverythingAsItWas) {
    settings = {"Kept", "Kept font", 30};
    for (int way = 0; way < 3; ++way) {
        open();
        Text1()->setText("Discarded");
        Combo1()->setCurrentIndex(7);
        if (way == 0)
            press("XPButton2");
        else if (way == 1)
            form->close();
        else
            form->reject(); // Escape
        EXPECT_FALSE(form->isVisible()) << way;
        EXPECT_EQ(form->result(), QDialog::Rejected) << way;
        EXPECT_EQ(editor.text(), untouched) << way;
        EXPECT_EQ(settings.title, "Kept") << way;
        EXPECT_EQ(settings.fontName, "Kept font") << way;
        EXPECT_EQ(settings.fontSize, 30) << way;
    }
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(NewPageFixture, EnterCreatesThePageAndOnCancelCancels) {
    auto enter = [&](QWidget *target) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r");
        QApplication::sendEvent(target, &press);
    };
    open();
    Text1()->setText("Typed");
    enter(Text1());
    EXPECT_EQ(form->result(), QDialog::Accepted);
    EXPECT_TRUE(editor.text().contains("<title>Typed</title>"));

    editor.setText(untouched);
    open();
    child<ImageButton>("XPButton2")->setFocus();
    enter(child<ImageButton>("XPButton2"));
    EXPECT_EQ(form->result(), QDialog::Rejected);
    EXPECT_EQ(editor.text(), untouched);
}

TEST_F(NewPageFixture, WithoutAnOwnerSkinTheColoursStayAsDesigned) {
    open(nullptr);
    EXPECT_EQ(form->frameSkinner(), nullptr);
    EXPECT_EQ(form->palette().color(QPalette::Window),
              QApplication::palette().color(QPalette::Window));
    EXPECT_EQ(Text1()->palette().color(QPalette::Base),
              QApplication::palette().color(QPalette::Base));
}

TEST_F(NewPageFixture, TakesOverTheOwnersSkinLegibly) {
    QWidget mainWindow;
    MainSkin mainSkin(&mainWindow, nullptr);
    mainSkin.skinCommand(2);
    open(mainSkin.skinConfiguration());

    const FrameSkinner *skinner = form->frameSkinner();
    ASSERT_NE(skinner, nullptr);
    EXPECT_EQ(skinner->window(), form.get());
    EXPECT_EQ(skinner->configuration(), *mainSkin.skinConfiguration());
    const QColor background = skinner->backgroundColour();
    EXPECT_EQ(form->palette().color(QPalette::Window), background);

    for (const char *name : {"Label1", "Label2", "Label3"}) {
        const QColor text = child<QLabel>(name)->palette().color(QPalette::WindowText);
        EXPECT_EQ(text, skinner->textColour()) << name;
        EXPECT_GE(contrastRatio(text, background), LegibleContrast) << name;
    }
    const std::pair<QWidget *, QPalette::ColorRole> fields[] = {
        {Text1(), QPalette::Text},
        {Combo1(), QPalette::ButtonText},
        {Combo2(), QPalette::ButtonText},
    };
    for (const auto &[field, textRole] : fields) {
        const QPalette pal = field->palette();
        EXPECT_EQ(pal.color(QPalette::Base), background) << field->objectName().toStdString();
        EXPECT_EQ(pal.color(QPalette::Button), background) << field->objectName().toStdString();
        EXPECT_GE(contrastRatio(pal.color(textRole), pal.color(QPalette::Base)), LegibleContrast)
            << field->objectName().toStdString();
        EXPECT_GE(contrastRatio(pal.color(QPalette::Text), pal.color(QPalette::Base)),
                  LegibleContrast)
            << field->objectName().toStdString();
    }
    // The owner's own skinner is not borrowed: the dialog draws with one of its own.
    EXPECT_NE(skinner, &mainSkin.frameSkinner());
}

TEST_F(NewPageFixture, RunReportsWhetherAPageWasCreated) {
    QWidget mainWindow;
    struct Case {
        const char *button;
        bool created;
    };
    for (const Case c : {Case{"XPButton2", false}, Case{"XPButton1", true}}) {
        QTimer::singleShot(0, [&] {
            QWidget *modal = QApplication::activeModalWidget();
            ASSERT_NE(modal, nullptr);
            EXPECT_EQ(modal->objectName(), "frmNewPage");
            EXPECT_EQ(modal->parentWidget(), &mainWindow);
            modal->findChild<ImageButton *>(c.button)->click();
        });
        const auto chosen = NewPageDialog::ask(&mainWindow, nullptr, dialogs);
        EXPECT_EQ(chosen.has_value(), c.created);
        EXPECT_EQ(mainWindow.findChild<NewPageDialog *>(), nullptr); // unloaded when closed
    }
}
