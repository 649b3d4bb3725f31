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

// As root the engine has no sandbox of its own, and the caption says so.
QString captionOf(const char *name, const char *note = "") {
    return QStringLiteral("Preview: %1%2%3")
        .arg(QLatin1String(name), QString::fromUtf8(note),
             ::geteuid() == 0 ? QStringLiteral(" — sandbox off (running as root)") : QString());
}

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

    // The user scrolls down the preview, changes the picture, then edits the title: the page
    // reloads in place, with the picture as it is now.
    EXPECT_EQ(evaluate(QStringLiteral("window.scrollTo(0, 600); window.scrollY")).toInt(), 600);
    ASSERT_TRUE(picture.scaled(30, 10).save(path("pic.png")));
    editor.setSelStart(editor.indexOf(QStringLiteral("First"), 0));
    editor.setSelLength(5);
    editor.setSelText(QStringLiteral("Second"));
    ASSERT_TRUE(loaded.wait(engineTimeoutMs));
    EXPECT_EQ(evaluate(QStringLiteral("document.title")), QStringLiteral("Second"));
    EXPECT_EQ(evaluate(QStringLiteral("window.scrollY")).toInt(), 600);
    EXPECT_EQ(evaluate(width).toInt(), 30);

    // New, then Cancel in the New Page dialog: the text stays, the document is untitled again,
    // and the pane follows the name although the text did not change.
    EXPECT_EQ(pane()->caption(), captionOf("page.html"));
    desktop.dialogs.queueAnswer(MessageAnswer::No);
    QTimer::singleShot(0, [] {
        if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget()))
            dialog->reject();
    });
    window->menuItem(QStringLiteral("mnuname"))->trigger();
    ASSERT_TRUE(loaded.wait(engineTimeoutMs));
    EXPECT_EQ(pane()->caption(), captionOf("Untitled"));
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
    EXPECT_EQ(evaluate(width).toInt(), 30);
    for (const char *name : {"/pic.png", "/\xff.html", ""})
        ::remove(folder + name);
}

// Pages of some size reach the engine whole, others through the folder's scheme: each refresh
// shows the text as it is now, where the page was scrolled to, with the pictures as they are now
// even when one changed while no page showed it, and leaves no earlier version to go back to.
TEST_F(PreviewWindow, EveryRefreshShowsTheTextAndPicturesAsTheyAreNow) {
    QImage picture(20, 10, QImage::Format_RGB32);
    picture.fill(Qt::red);
    ASSERT_TRUE(picture.save(path("pic.png")));
    EditorBuffer &editor = *window->editor();
    // Letters stand for themselves in a data: address, spaces take three characters: 600 KB of
    // letters is handed over whole, 1 MB of spaces does not fit in an address.
    const QString fillers[] = {QString(), QString(600'000, u'a'), QString(1'000'000, u' ')};
    enum { Small, Whole, TooLong };
    auto page = [&](const QString &title, bool picture, int filler) {
        return QStringLiteral("<title>%1</title><body style=\"height: 5000px\">%2"
                              "<span style=\"display: none\">%3</span></body>")
            .arg(title, picture ? QStringLiteral("<img id=\"i\" src=\"pic.png\">") : QString(),
                 fillers[filler]);
    };
    editor.setText(page(QStringLiteral("A"), true, Small));
    saveAs("page.html");
    QSignalSpy loaded(pane(), &PreviewPane::pageLoaded);
    window->menuItem(QStringLiteral("mnuipreview"))->trigger();
    ASSERT_TRUE(loaded.wait(engineTimeoutMs));
    const QString width = QStringLiteral("document.getElementById('i').naturalWidth");
    EXPECT_EQ(evaluate(width).toInt(), 20);
    evaluate(QStringLiteral("window.scrollTo(0, 700)"));

    const struct {
        const char *title;
        bool picture;
        int filler;
        int width; // of the picture before the refresh, when it changes
    } steps[] = {{"B", true, Whole, 0},    {"C", false, Whole, 30}, {"D", true, Whole, 0},
                 {"E", true, TooLong, 40}, {"F", true, Whole, 0},   {"G", false, TooLong, 50},
                 {"H", true, Whole, 0},    {"I", true, Small, 60},  {"J", true, Whole, 0}};
    int shownWidth = 20;
    for (const auto &step : steps) {
        if (step.width > 0) {
            ASSERT_TRUE(picture.scaled(step.width, 10).save(path("pic.png")));
            shownWidth = step.width;
        }
        editor.setText(page(QString::fromLatin1(step.title), step.picture, step.filler));
        ASSERT_TRUE(loaded.wait(engineTimeoutMs)) << step.title;
        EXPECT_EQ(evaluate(QStringLiteral("document.title")).toString(),
                  QString::fromLatin1(step.title));
        EXPECT_EQ(evaluate(QStringLiteral("window.scrollY")).toInt(), 700) << step.title;
        // Back would show the text as it was: the pane keeps no earlier version.
        EXPECT_EQ(evaluate(QStringLiteral("history.length")).toInt(), 1) << step.title;
        if (step.picture) {
            EXPECT_EQ(evaluate(width).toInt(), shownWidth) << step.title;
        }
    }
}

TEST_F(PreviewWindow, SaysWhenItRefusesRemoteContentUnlessTheUserAllowsIt) {
    QSignalSpy loaded(pane(), &PreviewPane::pageLoaded);
    const auto show = [&](const char *page) {
        window->editor()->setText(QString::fromLatin1(page));
        if (!window->preview().isVisible())
            window->menuItem(QStringLiteral("mnuipreview"))->trigger();
        EXPECT_TRUE(loaded.wait(engineTimeoutMs));
    };
    QAction *remote = window->menuItem(QStringLiteral("mnupreviewremote"));
    const auto stored = [&] {
        return desktop.userSettings.value(QStringLiteral("Software\\QUENBRY\\QUENBRY HTML "
                                                         "Editor\\Preferences"),
                                          QStringLiteral("PreviewRemoteContent"));
    };
    ASSERT_FALSE(remote->isChecked());
    show("<title>p</title><img src=\"http://127.0.0.1:9/p.png\">");
    EXPECT_EQ(pane()->caption(), captionOf("Untitled", " — Remote content blocked"));
    // It goes with a page that asks for nothing, and comes with a request made after the load.
    show("<title>p</title>");
    EXPECT_EQ(pane()->caption(), captionOf("Untitled"));
    show("<title>p</title><script>onload = () => setTimeout(() => "
         "new Image().src = 'http://127.0.0.1:9/late.png', 200)</script>");
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return pane()->caption() == captionOf("Untitled", " — Remote content blocked"); },
        10'000));

    show("<title>p</title><img src=\"http://127.0.0.1:9/p.png\">");
    remote->trigger();
    ASSERT_TRUE(loaded.wait(engineTimeoutMs));
    EXPECT_EQ(pane()->caption(), captionOf("Untitled"));
    EXPECT_EQ(stored(), QVariant(qint64(1)));
    remote->trigger();
    ASSERT_TRUE(loaded.wait(engineTimeoutMs));
    EXPECT_EQ(pane()->caption(), captionOf("Untitled", " — Remote content blocked"));
    EXPECT_EQ(stored(), QVariant(qint64(0)));
}

TEST_F(PreviewWindow, AWebLinkTheUserClicksOpensInTheBrowserAndThePaneKeepsTheDocument) {
    window->editor()->setText(
        QStringLiteral("<title>doc</title><style>a { display: block; height: 50vh }</style>"
                       "<a id=\"l\" href=\"https://example.org/x\">x</a>"
                       "<a target=\"_blank\" href=\"https://example.org/new\">new</a>"));
    QSignalSpy loaded(pane(), &PreviewPane::pageLoaded);
    window->menuItem(QStringLiteral("mnuipreview"))->trigger();
    ASSERT_TRUE(loaded.wait(engineTimeoutMs));
    const auto opened = [&] {
        QStringList urls;
        for (const Json &e : desktop.log.events)
            if (e.serialize().contains(QLatin1String("\"kind\": \"open\"")))
                urls << e.serialize();
        return urls;
    };
    // The page's own clicks open nothing, not even right after the user's.
    evaluate(QStringLiteral("document.getElementById('l').click(); 0"));
    QTest::qWait(500);
    EXPECT_TRUE(opened().isEmpty());

    QWidget *input = pane()->pageView()->widget()->focusProxy();
    ASSERT_TRUE(input);
    QTest::mouseClick(input, Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !opened().isEmpty(); }, 10'000));
    EXPECT_EQ(opened(), QStringList{QStringLiteral(
                            "{\"kind\": \"open\", \"path\": \"https://example.org/x\"}")});
    evaluate(QStringLiteral("document.getElementById('l').click(); 0"));
    QTest::qWait(500);
    EXPECT_EQ(opened().size(), 1);
    // A link to a new window: the browser gets it, and no window opens.
    QTest::mouseClick(input, Qt::LeftButton, {}, QPoint(20, input->height() - 20));
    EXPECT_TRUE(QTest::qWaitFor([&] { return opened().size() == 2; }, 10'000));
    EXPECT_TRUE(opened().value(1).contains(QLatin1String("https://example.org/new")));
    EXPECT_EQ(evaluate(QStringLiteral("location.protocol + document.title")).toString(),
              QStringLiteral("quenbry-preview:doc"));
}

// A page that takes memory or time without end is stopped, the pane says why, and the
// editor's next change shows the page again in a new renderer.
TEST_F(PreviewWindow, ARunawayPageIsStoppedAndTheNextChangeShowsItAgain) {
    struct Case {
        const char *what;
        const char *script;
        const char *message;
    };
    const Case cases[] = {
        // Outside the script heap: only the renderer's size gives it away. It stops at 3 GiB,
        // so that a pane that fails to stop it does not take the machine down with it.
        {"buffers",
         "const a = [];"
         "setInterval(() => a.length < 48 && a.push(new Uint8Array(64 << 20).fill(1)), 5);",
         "more than 1024 MiB"},
        {"objects", "const a = []; for (;;) a.push(new Array(1 << 20).fill(a.length));", "crashed"},
        // No memory at all, and no end: the page after it would never show.
        {"loop", "for (;;) {}", "10 seconds without a pause"},
    };
    QSignalSpy loaded(pane(), &PreviewPane::pageLoaded);
    window->menuItem(QStringLiteral("mnuipreview"))->trigger();
    ASSERT_TRUE(loaded.wait(engineTimeoutMs));
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        window->editor()->setText(
            QStringLiteral("<title>hog</title><script>%1</script>").arg(QLatin1String(c.script)));
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return !pane()->stopMessage().isEmpty(); }, engineTimeoutMs));
        EXPECT_TRUE(pane()->stopMessage().contains(QLatin1String(c.message)))
            << pane()->stopMessage().toStdString();
        EXPECT_FALSE(pane()->pageView()->widget()->isVisible());

        window->editor()->setText(QStringLiteral("<title>calm</title>"));
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return pane()->pageView()->title() == QLatin1String("calm"); }, engineTimeoutMs));
        EXPECT_EQ(pane()->stopMessage(), QString());
    }
}

} // namespace
} // namespace quenbry
