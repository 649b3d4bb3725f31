// The preview pane's web engine: a plugin of its own, loaded the first time the pane is shown,
// so that the program does not map, relocate and initialise the engine at every start.

#include "pageview.h"

#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QQuickWindow>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>
#include <QWebEngineUrlSchemeHandler>
#include <QWebEngineView>

namespace quenbry {

namespace {

// The page is served under the document's own path, in a scheme of the preview's own: with the
// preview file's bytes and the character set they are written in (a page that names none would
// otherwise be guessed at: a run of accented letters was taken for a Cyrillic code page), and
// with its pictures, style sheets and scripts found beside the document, as a browser finds
// them for the saved file. The preview file's bytes stay exactly those of a saved document.
const QByteArray previewScheme = QByteArrayLiteral("quenbry-preview");

class PreviewSchemeHandler : public QWebEngineUrlSchemeHandler {
public:
    // Registered before the engine starts, which is when the first profile is made.
    static void registerScheme() {
        QWebEngineUrlScheme scheme(previewScheme);
        scheme.setSyntax(QWebEngineUrlScheme::Syntax::Path);
        scheme.setFlags(QWebEngineUrlScheme::LocalScheme | QWebEngineUrlScheme::LocalAccessAllowed);
        QWebEngineUrlScheme::registerScheme(scheme);
    }

    // The URL under which `previewFile` is shown; an untitled page gets a name in no folder.
    QUrl setPage(const QString &previewFile, const QString &documentFile) {
        previewFile_ = previewFile;
        titled_ = !documentFile.isEmpty();
        pagePath_ = titled_ ? documentFile : QStringLiteral("/Untitled");
        QUrl url;
        url.setScheme(QString::fromLatin1(previewScheme));
        url.setPath(pagePath_);
        return url;
    }

    void requestStarted(QWebEngineUrlRequestJob *job) override {
        const QString path = job->requestUrl().path();
        QString source;
        QByteArray type;
        if (path == pagePath_) {
            source = previewFile_;
            type = QByteArrayLiteral("text/html;charset=windows-1252");
        } else if (titled_) {
            source = path;
            type = QMimeDatabase().mimeTypeForFile(path).name().toUtf8();
        }
        // Only regular files: a page naming a pipe or a device must not hang the preview.
        auto *file = new QFile(source, job);
        if (source.isEmpty() || !QFileInfo(source).isFile() || !file->open(QIODevice::ReadOnly)) {
            job->fail(QWebEngineUrlRequestJob::UrlNotFound);
            return;
        }
        job->reply(type, file);
    }

private:
    QString previewFile_, pagePath_;
    bool titled_ = false;
};

class WebEnginePageView : public QWebEngineView, public PageView {
public:
    explicit WebEnginePageView(QWidget *parent)
        : QWebEngineView(parent)
        // Off the record: a preview leaves no cache, cookies or storage behind.
        , profile_(new QWebEngineProfile)
        , page_(new QWebEnginePage(profile_)) {
        profile_->installUrlSchemeHandler(previewScheme, &scheme_);
        setPage(page_);
        connect(page_, &QWebEnginePage::loadStarted, this, [this] { loading_ = true; });
        connect(page_, &QWebEnginePage::loadFinished, this, [this](bool ok) {
            loading_ = false;
            if (onLoaded)
                onLoaded(ok);
        });
    }

    ~WebEnginePageView() override {
        // A page must go before its profile.
        delete page_;
        delete profile_;
    }

    QWidget *widget() override { return this; }
    QString title() const override {
        // The engine stands a page's address in for a missing title: that is no title.
        const QString title = page_->title();
        return loading_ || title == page_->url().toString() ? QString() : title;
    }

    void showPage(const QString &file, const QString &documentFile) override {
        const QUrl url = scheme_.setPage(file, documentFile);
        // A reload keeps the scroll position, also when reloads follow each other quickly; a
        // load would start at the top. Bypassing the cache reloads pictures and style sheets
        // that have changed on disk as well.
        if (page_->url() == url)
            page_->triggerAction(QWebEnginePage::ReloadAndBypassCache);
        else
            load(url);
    }

    void runScript(const QString &script,
                   const std::function<void(const QVariant &)> &result) override {
        page_->runJavaScript(script, QWebEngineScript::ApplicationWorld, result);
    }

private:
    QWebEngineProfile *profile_;
    QWebEnginePage *page_;
    PreviewSchemeHandler scheme_;
    bool loading_ = false;
};

class WebEnginePlugin : public QObject, public PageViewFactory {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QuenbryPageViewFactory_iid)
    Q_INTERFACES(quenbry::PageViewFactory)
public:
    WebEnginePlugin() {
        // The pane draws with Qt Quick's software renderer. Drawn with OpenGL, it would make
        // the whole main window composite through OpenGL, and every repaint of the editor
        // would wait for that: 10 to 40 ms a keystroke instead of 1 with a software OpenGL
        // (measured on Xvfb with llvmpipe). The page itself renders as in a browser.
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
        PreviewSchemeHandler::registerScheme();
    }

    PageView *createPageView(QWidget *parent) override { return new WebEnginePageView(parent); }
};

} // namespace

} // namespace quenbry

#include "webviewplugin.moc"
