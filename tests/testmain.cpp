// One QApplication per test binary, on the offscreen platform unless told otherwise, with a
// state folder of its own: backups and journals of the tests never reach the user's.
#include <QApplication>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>

int main(int argc, char **argv) {
    // As the program does: a file-size limit (ulimit -f) fails a write instead of ending us.
    std::signal(SIGXFSZ, SIG_IGN);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const QTemporaryDir state;
    qputenv("XDG_STATE_HOME", QFile::encodeName(state.path()));
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
