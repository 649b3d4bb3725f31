// The preview pane's web engine: a plugin of its own, loaded the first time the pane is shown,
// so that the program does not map, relocate and initialise the engine at every start.

#include "pageview.h"

#include <QQuickWindow>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineView>

namespace quenbry {

namespace {

// The page lives in the private preview folder, its pictures, style sheets and scripts beside
// the document: requests under the page's folder go to the document's folder instead, so the
// page's bytes stay exactly those of a saved document.
class LinkFolderInterceptor : public QWebEngineUrlRequestInterceptor {
public:
    void setPage(const QString &page, const QString &linkFolder) {
        page_ = page;
        pageFolder_ = page.left(page.lastIndexOf(u'/'));
        linkFolder_ = linkFolder;
    }

    void interceptRequest(QWebEngineUrlRequestInfo &info) override {
        const QUrl url = info.requestUrl();
        if (!url.isLocalFile())
            return;
        const QString path = url.toLocalFile();
        if (!path.startsWith(pageFolder_ + u'/'))
            return;
        if (path == page_ && info.resourceType() == QWebEngineUrlRequestInfo::ResourceTypeMainFrame)
            return;
        // An untitled page has no folder of its own: relative links lead nowhere, not to
        // whatever else lies in the preview folder.
        if (linkFolder_.isEmpty()) {
            info.block(true);
            return;
        }
        // A document saved in the preview folder needs no mapping; one saved further inside
        // it would be mapped again and again.
        if (linkFolder_ == pageFolder_ || linkFolder_.startsWith(pageFolder_ + u'/'))
            return;
        QUrl target = QUrl::fromLocalFile(linkFolder_ + path.mid(pageFolder_.size()));
        target.setQuery(url.query());
        target.setFragment(url.fragment());
        info.redirect(target);
    }

private:
    QString page_, pageFolder_, linkFolder_;
};

class WebEnginePageView : public QWebEngineView, public PageView {
public:
    explicit WebEnginePageView(QWidget *parent)
        : QWebEngineView(parent)
        // Off the record: a preview leaves no cache, cookies or storage behind.
        , profile_(new QWebEngineProfile)
        , page_(new QWebEnginePage(profile_)) {
        page_->setUrlRequestInterceptor(&interceptor_);
        setPage(page_);
        connect(page_, &QWebEnginePage::loadFinished, this, [this](bool ok) {
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

    void showPage(const QString &file, const QString &linkFolder) override {
        interceptor_.setPage(file, linkFolder);
        const QUrl url = QUrl::fromLocalFile(file);
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
    LinkFolderInterceptor interceptor_;
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
    }

    PageView *createPageView(QWidget *parent) override { return new WebEnginePageView(parent); }
};

} // namespace

} // namespace quenbry

#include "webviewplugin.moc"
