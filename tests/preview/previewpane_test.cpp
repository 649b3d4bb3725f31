// The preview pane with the real web engine, inside the real main window: it renders what the
// editor holds, follows the typing, keeps its scroll position, and finds the page's pictures
// beside the saved document although the page itself lives in the preview folder.

#include "platform/filenames.h"
#include "preview/pageview.h"
#include "preview/webengine.h"
#include "shell/mainwindow.h"
#include "testsupport/scriptedservices.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QImage>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace quenbry {
namespace {

constexpr int engineTimeoutMs = 120'000;

QByteArray bytesOf(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class PreviewWindow : public ::testing::Test {
protected:
    void SetUp() override {
        prepareWebEngineEnvironment();
        const QString runtime = dir.filePath(QStringLiteral("runtime"));
        QDir().mkdir(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
        window = std::make_unique<MainWindow>(desktop.services());
        window->startUp();
    }

    QString path(const char *name) const { return dir.filePath(QString::fromLatin1(name)); }
    void saveAs(const char *name) {
        desktop.dialogs.queueFileName(path(name));
        window->menuItem(QStringLiteral("mnusaveas"))->trigger();
    }
    PreviewPane *pane() const { return window->preview().pane(); }

    // The value of a script run in the page, once the engine has answered.
    QVariant evaluate(const QString &script) {
        std::optional<QVariant> result;
        pane()->pageView()->runScript(script, [&](const QVariant &v) { result = v; });
        EXPECT_TRUE(QTest::qWaitFor([&] { return result.has_value(); }, engineTimeoutMs));
        return result.value_or(QVariant());
    }

    QTemporaryDir dir;
    ScriptedDesktop desktop;
    std::unique_ptr<MainWindow> window;
};

TEST_F(PreviewWindow, StartUpWritesThePageAsASaveWould) {
    const QByteArray preview = bytesOf(window->preview().file().path());
    saveAs("page.html");
    EXPECT_FALSE(preview.isEmpty());
    EXPECT_EQ(preview, bytesOf(path("page.html")));
}

TEST_F(PreviewWindow, ShowsTheEditorsPageWithThePicturesBesideTheDocument) {
    QImage picture(20, 10, QImage::Format_RGB32);
    picture.fill(Qt::red);
    ASSERT_TRUE(picture.save(path("pic.png")));
    // Not this one: an untitled page finds nothing, a titled one finds the document's.
    ASSERT_TRUE(picture.scaled(7, 7).save(path("runtime/quenbry/pic.png")));
    EditorBuffer &editor = *window->editor();
    editor.setText(QStringLiteral("<html><head><title>First</title></head>"
                                  "<body style=\"height: 5000px\"><img id=\"i\" src=\"pic.png\">"
                                  "</body></html>"));
    const QString width = QStringLiteral("document.getElementById('i').naturalWidth");

    QSignalSpy loaded(pane(), &PreviewPane::pageLoaded);
    window->menuItem(QStringLiteral("mnuipreview"))->trigger();
    ASSERT_TRUE(loaded.wait(engineTimeoutMs));
    EXPECT_EQ(evaluate(QStringLiteral("document.title")), QStringLiteral("First"));
    EXPECT_EQ(evaluate(width).toInt(), 0);

    // A page that names no character set is read as the 8-bit file it is, not guessed at: a run
    // of accented letters alone made the engine pick a Cyrillic code page.
    QString letters;
    for (char16_t c = 0xc0; c <= 0xff; ++c)
        letters += QChar(c);
    editor.setText(QStringLiteral("<p id=\"p\">") + letters);
    ASSERT_TRUE(loaded.wait(engineTimeoutMs));
    EXPECT_EQ(
        evaluate(QStringLiteral("document.getElementById('p').textContent.trim()")).toString(),
        letters);
    editor.setText(QStringLiteral("<html><head><title>First</title></head>"
                                  "<body style=\"height: 5000px\"><img id=\"i\" src=\"pic.png\">"
                                  "</body></html>"));
    ASSERT_TRUE(loaded.wait(engineTimeoutMs));

    saveAs("page.html");
    ASSERT_TRUE(loaded.wait(engineTimeoutMs));
    EXPECT_EQ(evaluate(width).toInt(), 20);

    // The user scrolls down the preview, then edits the title: the page reloads in place.
    EXPECT_EQ(evaluate(QStringLiteral("window.scrollTo(0, 600); window.scrollY")).toInt(), 600);
    editor.setSelStart(editor.indexOf(QStringLiteral("First"), 0));
    editor.setSelLength(5);
    editor.setSelText(QStringLiteral("Second"));
    ASSERT_TRUE(loaded.wait(engineTimeoutMs));
    EXPECT_EQ(evaluate(QStringLiteral("document.title")), QStringLiteral("Second"));
    EXPECT_EQ(evaluate(QStringLiteral("window.scrollY")).toInt(), 600);
    EXPECT_EQ(evaluate(width).toInt(), 20);

    // New, then Cancel in the New Page dialog: the text stays, the document is untitled again,
    // and the pane follows the name although the text did not change.
    EXPECT_EQ(pane()->caption(), QStringLiteral("Preview: page.html"));
    desktop.dialogs.queueAnswer(MessageAnswer::No);
    QTimer::singleShot(0, [] {
        if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget()))
            dialog->reject();
    });
    window->menuItem(QStringLiteral("mnuname"))->trigger();
    ASSERT_TRUE(loaded.wait(engineTimeoutMs));
    EXPECT_EQ(pane()->caption(), QStringLiteral("Preview: Untitled"));
    EXPECT_EQ(evaluate(QStringLiteral("document.title")), QStringLiteral("Second"));
    EXPECT_EQ(evaluate(width).toInt(), 0);

    // Saved in a folder whose name is not UTF-8, the page finds the picture beside it there.
    const QByteArray folder = QFile::encodeName(dir.path()) + "/\xe9";
    const QByteArray png = bytesOf(path("pic.png"));
    ASSERT_EQ(::mkdir(folder, 0700), 0);
    const int fd = ::open(folder + "/pic.png", O_WRONLY | O_CREAT, 0600);
    ASSERT_TRUE(fd >= 0 && ::write(fd, png.constData(), size_t(png.size())) == png.size());
    ::close(fd);
    desktop.dialogs.queueFileName(fileNameFromBytes(folder + "/\xff.html"));
    window->menuItem(QStringLiteral("mnusaveas"))->trigger();
    ASSERT_TRUE(loaded.wait(engineTimeoutMs));
    EXPECT_EQ(evaluate(width).toInt(), 20);
    for (const char *name : {"/pic.png", "/\xff.html", ""})
        ::remove(folder + name);
}

} // namespace
} // namespace quenbry
