// The About box: a fresh modal box each time that the keyboard closes, its labels legible on
// what they are drawn on, and System Info with each arrangement of the machine's settings.
#include "appearance/colourcontrast.h"
#include "info/aboutbox.h"
#include "info/systeminfo.h"
#include "platform/qtservices.h"
#include "testsupport/scriptedservices.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace quenbry;

TEST(AboutBox, EachUseIsAFreshModalBoxThatEnterOrEscapeCloses) {
    ScriptedDesktop desktop;
    QWidget mainWindow;
    QStringList texts;
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
        QTimer::singleShot(0, [&] {
            QWidget *box = QApplication::activeModalWidget();
            ASSERT_TRUE(box && box->parentWidget() == &mainWindow);
            texts << box->windowTitle();
            for (const QLabel *l : box->findChildren<QLabel *>())
                texts.back() += u'|' + l->text();
            QTest::keyClick(box->windowHandle(), key);
            EXPECT_FALSE(box->isVisible()) << QKeySequence(key).toString().toStdString();
            box->close();
        });
        AboutBox::run(&mainWindow, nullptr, desktop.services());
        EXPECT_EQ(mainWindow.findChild<AboutBox *>(), nullptr);
    }
    ASSERT_EQ(texts.size(), 2);
    EXPECT_EQ(texts[0], texts[1]);
}

// The skin would turn the labels white, which vanishes on the light picture.
TEST(AboutBox, LabelsReadAtLeastFourAndAHalfToOneOnWhatIsBehindThem) {
    ScriptedDesktop desktop;
    QWidget mainWindow;
    MainSkin skin(&mainWindow, nullptr);
    skin.skinCommand(MainSkin::NeoSkin);
    const SkinConfiguration *none = nullptr;
    for (const SkinConfiguration *ownerSkin : {skin.skinConfiguration(), none}) {
        AboutBox box(ownerSkin, desktop.services());
        box.show();
        const QList<QLabel *> labels = box.findChildren<QLabel *>();
        for (QLabel *l : labels)
            l->hide();
        const QImage behind = box.grab().toImage();
        for (const QLabel *l : labels) {
            const QColor text = l->palette().color(QPalette::WindowText);
            const QRect area = l->geometry() & behind.rect();
            double lowest = 21;
            for (int y = area.top(); y <= area.bottom(); ++y)
                for (int x = area.left(); x <= area.right(); ++x)
                    lowest = std::min(lowest, contrastRatio(text, behind.pixelColor(x, y)));
            EXPECT_GE(lowest, LegibleContrast)
                << l->objectName().toStdString() << (ownerSkin ? " skinned" : " plain");
        }
    }
}

const QString unavailable =
    R"({"kind": "message", "title": "Quenbry HTML Editor", "text": "System Information Is Unavailable At This Time", "buttons": "ok", "icon": "none", "answer": "default"})";

// The current folder comes back when the test ends, also when an assertion ends it early.
struct CurrentFolderGuard {
    const QString previous = QDir::currentPath();
    ~CurrentFolderGuard() { QDir::setCurrent(previous); }
};

TEST(SystemInfo, StartsWhatTheMachinesSettingsLeadToOrSaysItIsUnavailable) {
    QTemporaryDir withProgram, withoutProgram;
    QFile program(withProgram.filePath(QStringLiteral("MSINFO32.EXE")));
    ASSERT_TRUE(program.open(QIODevice::WriteOnly));
    const QString nul(QChar(0)), exe = program.fileName();
    const std::tuple<QVariant, QVariant, QString> cases[] = {
        // The first location's PATH and the second's folder; the program started, or "".
        {"/opt/msinfo/run" + nul, {}, "/opt/msinfo/run"}, // a terminating NUL is no part of it
        {{}, withProgram.path(), exe},
        {{}, withProgram.path() + nul, exe},
        {{}, withoutProgram.path(), ""},
        {{}, "", ""},                        // not the current folder
        {qint64(7), withProgram.path(), ""}, // a number is no path
    };
    const CurrentFolderGuard folderGuard;
    QDir::setCurrent(withProgram.path());
    for (const auto &[path, folder, started] : cases) {
        ScriptedDesktop desktop;
        desktop.log.base = QDir(withoutProgram.path()); // absolute paths in the events
        desktop.machineSettings.setValue("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", "PATH", path);
        desktop.machineSettings.setValue("SOFTWARE\\Microsoft\\Shared Tools Location", "MSINFO",
                                         folder);
        startSystemInfo(desktop.machineSettings, desktop.shell, desktop.dialogs, nullptr);
        ASSERT_EQ(desktop.log.events.size(), 1u) << path.toString().toStdString();
        EXPECT_EQ(desktop.log.events[0].serialize(),
                  started.isEmpty()
                      ? unavailable
                      : QStringLiteral(R"({"kind": "start", "program": "%1"})").arg(started))
            << folder.toString().toStdString();
    }
}

// The desktop's own program start: a program that is not there is reported, not ignored.
TEST(SystemInfo, AProgramThatDoesNotStartGivesTheMessage) {
    ScriptedDesktop desktop;
    QtShell shell({});
    desktop.machineSettings.setValue("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", "PATH",
                                     "/nonexistent/msinfo");
    EXPECT_FALSE(startSystemInfo(desktop.machineSettings, shell, desktop.dialogs, nullptr));
    ASSERT_EQ(desktop.log.events.size(), 1u);
    EXPECT_EQ(desktop.log.events[0].serialize(), unavailable);
}
