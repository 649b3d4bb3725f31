// The splash's hand-off under real key and mouse events on its window: which presses hand
// over, in which order the splash closes and the main window opens, and that it is gone after.
#include "info/splashwindow.h"

#include <QApplication>
#include <QLabel>
#include <QTest>
#include <gtest/gtest.h>

using namespace quenbry;
using HandOff = SplashWindow::HandOff;

namespace {

struct SplashTest : ::testing::Test {
    QPointer<SplashWindow> splash;
    QWidget mainWindow;
    // Each opening of the main window: how, and whether the splash was still on screen.
    std::vector<std::pair<HandOff, bool>> opened;
    std::function<void()> duringStartUp;

    QWindow *open(std::chrono::milliseconds timeout = std::chrono::minutes(1)) {
        delete splash;
        opened.clear();
        splash = new SplashWindow({QStringLiteral("Ada"), QStringLiteral("Engines")}, timeout);
        splash->onOpenMain = [this](HandOff by) {
            opened.emplace_back(by, splash && splash->isVisible());
            mainWindow.show();
            if (duringStartUp)
                std::exchange(duringStartUp, nullptr)();
        };
        splash->show();
        QApplication::setActiveWindow(splash);
        EXPECT_TRUE(QTest::qWaitForWindowActive(splash));
        return splash->windowHandle();
    }
    void expectHandedOver(HandOff by, const std::string &what) {
        const std::vector<std::pair<HandOff, bool>> once{{by, by != HandOff::Timer}};
        EXPECT_EQ(opened, once) << what;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(splash.isNull()) << what;
    }
    void TearDown() override { delete splash; }
};

} // namespace

TEST_F(SplashTest, KeysThatTypeSomethingHandOverOthersDoNot) {
    const std::pair<Qt::Key, bool> keys[] = {
        {Qt::Key_A, true},         {Qt::Key_5, true},        {Qt::Key_Space, true},
        {Qt::Key_Return, true},    {Qt::Key_Enter, true},    {Qt::Key_Escape, true},
        {Qt::Key_Backspace, true}, {Qt::Key_Left, false},    {Qt::Key_F5, false},
        {Qt::Key_Shift, false},    {Qt::Key_Control, false}, {Qt::Key_Delete, false},
    };
    for (const auto &[key, hands] : keys) {
        QWindow *window = open();
        // The main window's start-up lets queued input through while the splash is still up.
        duringStartUp = [&] {
            if (splash)
                QTest::keyClick(window, Qt::Key_B);
        };
        QTest::keyClick(window, key);
        const std::string name = QKeySequence(key).toString().toStdString();
        if (hands)
            expectHandedOver(HandOff::Key, name);
        else
            EXPECT_TRUE(opened.empty() && splash && splash->isVisible()) << name;
    }
}

TEST_F(SplashTest, APressOnThePictureOrFrameHandsOverOneOnALabelDoesNot) {
    QWindow *window = open();
    for (const char *label : {"lbl3", "lbl2", "lbl4"}) {
        const QPoint at = splash->findChild<QLabel *>(QLatin1String(label))->geometry().center();
        QTest::mouseClick(window, Qt::LeftButton, {}, at);
        ASSERT_TRUE(opened.empty()) << label;
    }
    for (const int x : {100, 8}) { // the picture, the frame's left line
        QTest::mousePress(open(), Qt::RightButton, {}, QPoint(x, 140));
        expectHandedOver(HandOff::Click, "at x " + std::to_string(x));
    }
}

TEST_F(SplashTest, TheTimerClosesItAfterTwoAndAHalfSecondsThenOpensTheMainWindow) {
    QTest::keyClick(open(SplashWindow::defaultTimeout), Qt::Key_Right);
    QTest::qWait(1800);
    EXPECT_TRUE(opened.empty());
    ASSERT_TRUE(QTest::qWaitFor([this] { return !opened.empty(); }, 5000));
    expectHandedOver(HandOff::Timer, "timer");
    for (const QWidget *w : QApplication::topLevelWidgets())
        EXPECT_EQ(w->isVisible(), w == &mainWindow) << w->metaObject()->className();
}
