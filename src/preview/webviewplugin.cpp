// The preview pane's web engine: a plugin of its own, loaded the first time the pane is shown,
// so that the program does not map, relocate and initialise the engine at every start.
//
// Every page is taken for hostile, whatever sandbox the engine has: the pane loads the page and
// the files of its document's folder and nothing else on the machine, sends nothing out unless
// the user allowed remote content, never leaves the document, and a runaway page is stopped.
// The rules are enforced where requests are served and where they start, and what the engine
// can switch off besides is switched off.

#include "pagefiles.h"
#include "pageview.h"
#include "platform/filenames.h"

#include <QChildEvent>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QKeyEvent>
#include <QLoggingCategory>
#include <QMimeDatabase>
#include <QQuickWindow>
#include <QSet>
#include <QTimer>
#include <QWebEngineHistory>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>
#include <QWebEngineUrlSchemeHandler>
#include <QWebEngineView>

#include <csignal>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace quenbry {

namespace {

// What the pane refuses, for whoever wants to know (QT_LOGGING_RULES="quenbry.preview=true");
// a hostile page could otherwise fill the log.
Q_LOGGING_CATEGORY(lcPreview, "quenbry.preview", QtWarningMsg)

// The page is served under the document's own path, in a scheme of the preview's own: with the
// preview file's bytes and the character set they are written in, the document's (a page that
// names none would otherwise be guessed at: a run of accented letters was taken for a Cyrillic
// code page; and a UTF-8 page that declares another would be read wrongly), and
// with its pictures, style sheets and scripts found beside the document, as a browser finds
// them for the saved file. The preview file's bytes stay exactly those of a saved document.
const QByteArray previewScheme = QByteArrayLiteral("quenbry-preview");

// A renderer above this is stopped. Much more than a hand-written page needs; a page that
// allocates in a loop reaches it in a second or two.
constexpr qint64 rendererMemoryLimit = 1024LL * 1024 * 1024;
// The JavaScript heap's own limit (MiB), below the renderer's: a script that outgrows it ends
// its renderer at once, without waiting for the next look at its memory.
constexpr int scriptHeapLimitMiB = 512;
// A renderer that has not answered for this long is stopped: long enough for any page that
// is working rather than stuck.
constexpr int rendererSilenceLimitMs = 10'000;
// A click opens at most one web address in the browser, soon after it: a page's own scripts
// cannot open the browser on their own, nor once per click over and over.
constexpr int clickLifetimeMs = 1500;

bool isWeb(const QUrl &url) {
    const QString s = url.scheme();
    return s == QLatin1String("http") || s == QLatin1String("https");
}

bool isRemote(const QUrl &url) {
    const QString s = url.scheme();
    return isWeb(url) || s == QLatin1String("ws") || s == QLatin1String("wss");
}

// Within the page itself: the preview's scheme keeps to the document's folder by itself.
bool isInPage(const QUrl &url) {
    const QString s = url.scheme();
    return s == QLatin1String(previewScheme) || s == QLatin1String("about") ||
           s == QLatin1String("data") || s == QLatin1String("blob");
}

class PreviewSchemeHandler : public QWebEngineUrlSchemeHandler {
public:
    // Registered before the engine starts, which is when the first profile is made. Neither a
    // local scheme nor one with local access: the engine treats its pages as web pages, which
    // may not read file: URLs (a local scheme with local access could, whatever the settings
    // said). Not open to cross-origin requests either: a web page in a frame could read the
    // folder's files with them.
    static void registerScheme() {
        QWebEngineUrlScheme scheme(previewScheme);
        scheme.setSyntax(QWebEngineUrlScheme::Syntax::Path);
        scheme.setFlags({});
        QWebEngineUrlScheme::registerScheme(scheme);
    }

    // The URL under which `previewFile` is shown; an untitled page gets a name in no folder.
    QUrl setPage(const QString &previewFile, const QString &documentFile,
                 const QByteArray &charset) {
        previewFile_ = previewFile;
        pageType_ = "text/html;charset=" + charset;
        folder_ = pagefiles::folderOf(documentFile);
        pagePath_ = documentFile.isEmpty() ? QStringLiteral("/Untitled") : documentFile;
        // The path as the bytes of the file's name: the engine hands back the URL encoded, and
        // a name that is not UTF-8 would not survive being encoded as text.
        return QUrl::fromEncoded(previewScheme + ':' +
                                 fileNameToBytes(pagePath_).toPercentEncoding("/"));
    }

    void requestStarted(QWebEngineUrlRequestJob *job) override {
        if (job->requestMethod() != "GET") {
            job->fail(QWebEngineUrlRequestJob::RequestDenied);
            return;
        }
        const QString path = fileNameFromBytes(
            QByteArray::fromPercentEncoding(job->requestUrl().path(QUrl::FullyEncoded).toLatin1()));
        if (path == pagePath_) {
            if (std::unique_ptr<QFile> file = openPage()) {
                file->setParent(job);
                job->reply(pageType_, file.release());
            } else {
                job->fail(QWebEngineUrlRequestJob::UrlNotFound);
            }
            return;
        }
        QString why;
        std::unique_ptr<QIODevice> file = pagefiles::openInside(folder_, path, why);
        if (!file) {
            qCInfo(lcPreview, "refused %s: %s", qPrintable(path), qPrintable(why));
            job->fail(QWebEngineUrlRequestJob::RequestDenied);
            return;
        }
        const QByteArray type =
            QMimeDatabase().mimeTypeForFileNameAndData(path, file.get()).name().toUtf8();
        if (auto *f = qobject_cast<QFile *>(file.get()))
            noteServed(path, f->handle());
        file->setParent(job);
        job->reply(type, file.release());
    }

    // Whether a file the page's renderer was served may have changed on disk since: the
    // renderer keeps what it was served for good, and uses it again for the next document
    // unless that loads bypassing its cache. A file changed that no load has served again
    // since keeps the answer true.
    bool cacheMayBeStale() {
        for (auto it = served_.begin(); it != served_.end();) {
            if (stampOfPath(it.key()) == it.value()) {
                ++it;
                continue;
            }
            stale_.insert(it.key());
            it = served_.erase(it);
        }
        return !stale_.isEmpty();
    }

    // A new renderer has nothing kept.
    void forgetServed() {
        served_.clear();
        stale_.clear();
    }

    // The page's bytes, read whole when there are at most `limit` of them.
    std::optional<QByteArray> pageBytes(qint64 limit) const {
        std::unique_ptr<QFile> file = openPage();
        if (!file || file->size() > limit)
            return std::nullopt;
        QByteArray bytes = file->readAll();
        if (bytes.size() != file->size())
            return std::nullopt;
        return bytes;
    }

    QByteArray pageType() const { return pageType_; }

private:
    // The program's own private file, opened as a regular file only.
    std::unique_ptr<QFile> openPage() const {
        const int fd = ::open(fileNameToBytes(previewFile_).constData(),
                              O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        struct stat st {};
        auto file = std::make_unique<QFile>();
        if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
            !file->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
            if (fd >= 0)
                ::close(fd);
            return nullptr;
        }
        return file;
    }

    // What identifies a file's content without reading it.
    struct Stamp {
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = -1;
        qint64 modified = 0, changed = 0;
        bool operator==(const Stamp &) const = default;
    };
    static Stamp stampOf(const struct stat &st) {
        return {st.st_dev, st.st_ino, st.st_size,
                qint64(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec,
                qint64(st.st_ctim.tv_sec) * 1'000'000'000 + st.st_ctim.tv_nsec};
    }
    static Stamp stampOfPath(const QString &path) {
        struct stat st {};
        return ::stat(fileNameToBytes(path).constData(), &st) == 0 ? stampOf(st) : Stamp();
    }
    void noteServed(const QString &path, int fd) {
        struct stat st {};
        if (fd >= 0 && ::fstat(fd, &st) == 0)
            served_.insert(path, stampOf(st));
        stale_.remove(path);
    }

    QString previewFile_, pagePath_, folder_;
    QHash<QString, Stamp> served_;
    QSet<QString> stale_;
    QByteArray pageType_;
};

// Every request of the page and its frames passes here, whatever asked for it: the web only
// with the user's leave, and never what only sends (pings, reports) or submits a form.
class RequestGuard : public QWebEngineUrlRequestInterceptor {
public:
    bool remoteAllowed = false;
    std::function<void()> onRemoteBlocked;

    void interceptRequest(QWebEngineUrlRequestInfo &info) override {
        const QUrl url = info.requestUrl();
        // The folder's files are for the page, not for a web page it shows in a frame.
        if (url.scheme() == QLatin1String(previewScheme)) {
            const QUrl from = info.initiator();
            if (!from.isEmpty() && from.scheme() != QLatin1String(previewScheme))
                info.block(true);
            return;
        }
        if (isInPage(url))
            return;
        using Info = QWebEngineUrlRequestInfo;
        const auto type = info.resourceType();
        // A form submitted into a frame is known by its POST only: the engine calls it a frame
        // navigation like any other.
        const bool frame =
            type == Info::ResourceTypeMainFrame || type == Info::ResourceTypeSubFrame;
        const bool sendsOnly = type == Info::ResourceTypePing ||
                               type == Info::ResourceTypeCspReport ||
                               info.navigationType() == Info::NavigationTypeFormSubmitted ||
                               (frame && info.requestMethod() != "GET");
        if (isRemote(url) && remoteAllowed && !sendsOnly)
            return;
        info.block(true);
        if (isRemote(url) && !remoteAllowed && onRemoteBlocked)
            onRemoteBlocked();
    }
};

// A window the page opens: never shown, it hands the address it would load to the pane's link
// handling and goes.
class LinkTrapPage : public QWebEnginePage {
public:
    LinkTrapPage(QWebEngineProfile *profile, std::function<void(const QUrl &)> followLink,
                 QObject *parent)
        : QWebEnginePage(profile, parent)
        , followLink_(std::move(followLink)) {}

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType, bool) override {
        followLink_(url);
        deleteLater();
        return false;
    }

private:
    std::function<void(const QUrl &)> followLink_;
};

class PreviewPage : public QWebEnginePage {
public:
    PreviewPage(QWebEngineProfile *profile, const RequestGuard &guard,
                std::function<void(const QUrl &)> followLink)
        : QWebEnginePage(profile)
        , guard_(guard)
        , followLink_(std::move(followLink)) {
        // Camera, microphone, location, screen, notifications: never.
        connect(this, &QWebEnginePage::featurePermissionRequested, this,
                [this](const QUrl &origin, Feature feature) {
                    setFeaturePermission(origin, feature, PermissionDeniedByUser);
                });
    }

    QUrl document;
    // The pane has just handed the engine the document's bytes, which it loads as a data:
    // address standing for the document's own.
    bool contentPending = false;

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override {
        if (isMainFrame && url.scheme() == QLatin1String("data") &&
            std::exchange(contentPending, false))
            return true;
        if (type == NavigationTypeFormSubmitted)
            return false;
        if (type == NavigationTypeLinkClicked && isWeb(url)) {
            followLink_(url);
            return false;
        }
        // The pane shows the document, reloaded, scrolled to its anchors; nothing else.
        if (isMainFrame)
            return url.adjusted(QUrl::RemoveFragment) == document.adjusted(QUrl::RemoveFragment);
        return isInPage(url) || (guard_.remoteAllowed && isWeb(url));
    }

    QWebEnginePage *createWindow(WebWindowType) override {
        return new LinkTrapPage(profile(), followLink_, this);
    }

private:
    const RequestGuard &guard_;
    std::function<void(const QUrl &)> followLink_;
};

// Kept away from every frame's scripts before they run: a peer connection sends UDP to any
// address a page names, past the request guard. The engine's WebRTC policy holds for frames
// that escape this (a fresh blank frame may be reached before its document is set up).
const char *const noPeerConnections = R"(
(() => {
  for (const name of ["RTCPeerConnection", "webkitRTCPeerConnection", "RTCDataChannel",
                      "RTCSessionDescription", "RTCIceCandidate", "RTCRtpSender",
                      "RTCRtpReceiver", "RTCRtpTransceiver", "RTCDtlsTransport",
                      "RTCIceTransport", "RTCSctpTransport", "RTCCertificate"])
    try { delete window[name]; } catch (e) {}
})();
)";

const QString keepScrollScript = QStringLiteral("quenbry-keep-scroll");
const char *const keepScroll = R"(
(() => {
  const x = %1, y = %2;
  let done = false;
  for (const type of ["wheel", "keydown", "mousedown", "touchstart"])
    addEventListener(type, () => { done = true; }, { capture: true, passive: true, once: true });
  const step = () => {
    if (done)
      return;
    scrollTo(x, y);
    const there = Math.abs(scrollX - x) < 1 && Math.abs(scrollY - y) < 1;
    if (!(there && document.readyState === "complete"))
      requestAnimationFrame(step);
  };
  requestAnimationFrame(step);
  addEventListener("load", () => { step(); done = true; });
})();
)";

// A page is handed to the engine whole when its data: address, every byte but letters, digits
// and "-._~" percent-encoded, stays within this: the engine refuses addresses above 2 MiB.
constexpr qint64 addressLimit = 2'000'000;
// From this size on, a page is handed over whole (measured: 100 KB refreshed sooner through the
// scheme, 300 KB alike, 1 MB sooner handed over).
constexpr qint64 handOverFrom = 512 * 1024;
// How long the page is given to say where it is scrolled to before the next is shown.
constexpr int scrollQuestionMs = 150;

qint64 addressLength(const QByteArray &type, const QByteArray &bytes) {
    qint64 length = 6 + type.size(); // "data:" type ","
    for (const char c : bytes) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_' || c == '~';
        length += plain ? 1 : 3;
    }
    return length;
}

class WebEnginePageView : public QWebEngineView, public PageView {
    Q_DECLARE_TR_FUNCTIONS(WebEnginePageView)

public:
    explicit WebEnginePageView(QWidget *parent)
        : QWebEngineView(parent)
        // Off the record: a preview leaves no cache, cookies or storage behind.
        , profile_(new QWebEngineProfile) {
        profile_->installUrlSchemeHandler(previewScheme, &scheme_);
        profile_->setUrlRequestInterceptor(&guard_);
        guard_.onRemoteBlocked = [this] {
            if (remoteBlocked_)
                return;
            remoteBlocked_ = true;
            if (onRemoteContentBlocked)
                onRemoteContentBlocked();
        };
        applySettings();
        QWebEngineScript script;
        script.setName(QStringLiteral("quenbry-no-peer-connections"));
        script.setSourceCode(QString::fromLatin1(noPeerConnections));
        script.setInjectionPoint(QWebEngineScript::DocumentCreation);
        script.setWorldId(QWebEngineScript::MainWorld);
        script.setRunsOnSubFrames(true);
        profile_->scripts()->insert(script);

        page_ = new PreviewPage(profile_, guard_, [this](const QUrl &url) { followLink(url); });
        setPage(page_);
        connect(page_, &QWebEnginePage::loadStarted, this, [this] {
            loading_ = true;
            newEpoch();
        });
        connect(page_, &QWebEnginePage::loadFinished, this, [this](bool ok) {
            loading_ = false;
            if (std::exchange(bypassNext_, false)) {
                page_->triggerAction(QWebEnginePage::ReloadAndBypassCache);
                return;
            }
            // Only for the document it was meant for: an anchor the user follows next scrolls.
            keepScrollPosition({});
            // Each page handed over whole is a new entry of the page's history, holding its
            // address, the whole page: Back would show the text as it was, and the entries would
            // pile up, megabytes each, for as long as the pane is open.
            if (page_->history()->count() > 1)
                page_->history()->clear();
            if (onLoaded)
                onLoaded(ok);
        });
        connect(page_, &QWebEnginePage::renderProcessTerminated, this,
                [this](QWebEnginePage::RenderProcessTerminationStatus status, int code) {
                    rendererEnded(status, code);
                });
        connect(page_, &QWebEnginePage::renderProcessPidChanged, this, [this] {
            newEpoch();
            scheme_.forgetServed();
        });
        rendererWatch_.setInterval(250);
        connect(&rendererWatch_, &QTimer::timeout, this, &WebEnginePageView::watchRenderer);
        rendererWatch_.start();
    }

    ~WebEnginePageView() override {
        // A page must go before its profile.
        delete page_;
        delete profile_;
    }

    QWidget *widget() override { return this; }

    void showPage(const QString &file, const QString &documentFile,
                  const QByteArray &charset) override {
        const QUrl url = scheme_.setPage(file, documentFile, charset);
        const bool shown = page_->url() == url && !stopped_;
        page_->document = url;
        remoteBlocked_ = false;
        stopped_ = false;
        // Handed over whole, a large page is shown sooner than served through the scheme,
        // which the engine reads in 64 KB pieces, each when the page has taken the one before
        // (a 1 MB page: 1.4 times as long as the same file loaded from the disk); a small one
        // is not, as the position it is scrolled to has to be asked first. The engine takes
        // bytes this way up to the length of an address, and loads them with what it kept of
        // the pictures and style sheets: only while none of those has changed on disk.
        const bool stale = scheme_.cacheMayBeStale();
        std::optional<QByteArray> bytes;
        if (!stale)
            bytes = scheme_.pageBytes(addressLimit);
        if (bytes && (bytes->size() < handOverFrom ||
                      addressLength(scheme_.pageType(), *bytes) > addressLimit))
            bytes.reset();
        const int request = ++showRequest_;
        auto go = [this, request, url, shown, stale, bytes](QPointF scroll) {
            if (request != showRequest_)
                return; // answered already, or a later page took over
            ++showRequest_;
            bypassNext_ = false;
            if (bytes) {
                keepScrollPosition(scroll);
                page_->contentPending = true;
                page_->setContent(*bytes, scheme_.pageType(), url);
                showingContent_ = true;
                return;
            }
            // A reload keeps the scroll position, also when reloads follow each other quickly.
            // Bypassing the cache reloads pictures and style sheets that have changed on disk
            // as well. A load takes what the renderer kept, and is reloaded past it when some
            // of that has changed.
            if (shown && !showingContent_) {
                keepScrollPosition({});
                page_->triggerAction(QWebEnginePage::ReloadAndBypassCache);
            } else {
                keepScrollPosition(scroll);
                bypassNext_ = stale;
                load(url);
            }
            showingContent_ = false;
        };
        if (!shown || (!bytes && !showingContent_)) {
            go({});
            return;
        }
        // Where the page is scrolled to, from the page itself: what the view last heard may be
        // frames behind on a busy machine. A page too busy to answer soon keeps that.
        page_->runJavaScript(QStringLiteral("[scrollX, scrollY]"),
                             QWebEngineScript::ApplicationWorld, [this, go](const QVariant &v) {
                                 const QVariantList xy = v.toList();
                                 go(xy.size() == 2 ? QPointF(xy[0].toDouble(), xy[1].toDouble())
                                                   : page_->scrollPosition());
                             });
        QTimer::singleShot(scrollQuestionMs, this, [this, go] { go(page_->scrollPosition()); });
    }

    void setRemoteContentAllowed(bool allowed) override { guard_.remoteAllowed = allowed; }

    void runScript(const QString &script,
                   const std::function<void(const QVariant &)> &result) override {
        page_->runJavaScript(script, QWebEngineScript::ApplicationWorld, result);
    }

    QString title() const override {
        // The engine stands a page's address in for a missing title: that is no title. A page
        // whose renderer was stopped shows nothing, whatever title the engine kept.
        const QString title = page_->title();
        return loading_ || stopped_ || title == page_->url().toString() ? QString() : title;
    }

    bool remoteContentBlocked() const override { return remoteBlocked_; }

protected:
    // The engine's input widget comes and goes with the renderer: whichever it is, a click or a
    // key on it is the user's.
    void childEvent(QChildEvent *event) override {
        QWebEngineView::childEvent(event);
        if (event->added() && event->child()->isWidgetType())
            event->child()->installEventFilter(this);
    }

    bool eventFilter(QObject *watched, QEvent *event) override {
        const auto type = event->type();
        if (type == QEvent::MouseButtonRelease)
            userAction_.start();
        if (type == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space)
                userAction_.start();
        }
        return QWebEngineView::eventFilter(watched, event);
    }

private:
    void applySettings() {
        using S = QWebEngineSettings;
        QWebEngineSettings *s = profile_->settings();
        // Local content only: the preview's pages are not, and reach the web (when allowed)
        // without the universal access the second would give local ones.
        s->setAttribute(S::LocalContentCanAccessFileUrls, false);
        s->setAttribute(S::LocalContentCanAccessRemoteUrls, false);
        s->setAttribute(S::DnsPrefetchEnabled, false);
        s->setAttribute(S::HyperlinkAuditingEnabled, false);
        s->setAttribute(S::JavascriptCanOpenWindows, false);
        s->setAttribute(S::JavascriptCanAccessClipboard, false);
        s->setAttribute(S::JavascriptCanPaste, false);
        s->setAttribute(S::AllowRunningInsecureContent, false);
        s->setAttribute(S::AllowGeolocationOnInsecureOrigins, false);
        s->setAttribute(S::WebRTCPublicInterfacesOnly, true);
        s->setAttribute(S::ScreenCaptureEnabled, false);
        s->setAttribute(S::PluginsEnabled, false);
        s->setAttribute(S::FullScreenSupportEnabled, false);
        // A file dropped on the pane would replace the document.
        s->setAttribute(S::NavigateOnDropEnabled, false);
    }

    // The document being loaded opens where the one before was scrolled to, as a reload's
    // would: at each frame until the page is long enough for it and has loaded, unless the
    // user scrolls first.
    void keepScrollPosition(QPointF at) {
        QWebEngineScriptCollection &scripts = page_->scripts();
        for (const QWebEngineScript &old : scripts.find(keepScrollScript))
            scripts.remove(old);
        if (at.isNull())
            return;
        QWebEngineScript script;
        script.setName(keepScrollScript);
        script.setSourceCode(QString::fromLatin1(keepScroll).arg(at.x()).arg(at.y()));
        script.setInjectionPoint(QWebEngineScript::DocumentCreation);
        script.setWorldId(QWebEngineScript::ApplicationWorld);
        script.setRunsOnSubFrames(false);
        scripts.insert(script);
    }

    // A web address the page would go to: the browser's, when the user has just clicked.
    void followLink(const QUrl &url) {
        if (!isWeb(url) || !userAction_.isValid() || userAction_.elapsed() > clickLifetimeMs)
            return;
        userAction_.invalidate();
        if (onLinkClicked)
            onLinkClicked(url);
    }

    // A renderer is stopped when it outgrows its memory, or when its scripts have not let it
    // answer for a while: a loop typed half-way would otherwise hold the pane, and every page
    // loaded after it, for good.
    void watchRenderer() {
        const qint64 pid = page_->renderProcessPid();
        if (pid <= 0 || stopped_)
            return;
        QFile statm(QStringLiteral("/proc/%1/statm").arg(pid));
        if (!statm.open(QIODevice::ReadOnly))
            return;
        const QList<QByteArray> fields = statm.readLine().split(' ');
        const qint64 resident = fields.size() > 1 ? fields[1].toLongLong() * ::getpagesize() : 0;
        if (resident > rendererMemoryLimit) {
            stopRenderer(pid, Stop::Outgrown);
        } else if (!probe_.isValid()) {
            probe_.start();
            page_->runJavaScript(QStringLiteral("0"), QWebEngineScript::ApplicationWorld,
                                 [this, epoch = epoch_](const QVariant &) {
                                     if (epoch == epoch_)
                                         probe_.invalidate();
                                 });
        } else if (probe_.elapsed() > rendererSilenceLimitMs) {
            stopRenderer(pid, Stop::Silent);
        }
    }

    // A new document or renderer: an unanswered question to the old one says nothing.
    void newEpoch() {
        ++epoch_;
        probe_.invalidate();
    }

    enum class Stop { None, Outgrown, Silent };
    void stopRenderer(qint64 pid, Stop why) {
        stopping_ = why;
        ::kill(pid_t(pid), SIGKILL);
    }

    void rendererEnded(QWebEnginePage::RenderProcessTerminationStatus status, int code) {
        loading_ = false;
        newEpoch();
        const Stop why = std::exchange(stopping_, Stop::None);
        if (status == QWebEnginePage::NormalTerminationStatus)
            return;
        stopped_ = true;
        QString message;
        if (why == Stop::Outgrown)
            message = tr("The page used more than %1 MiB of memory and was stopped.")
                          .arg(rendererMemoryLimit >> 20);
        else if (why == Stop::Silent)
            message = tr("The page's scripts ran for %1 seconds without a pause and were stopped.")
                          .arg(rendererSilenceLimitMs / 1000);
        else if (status == QWebEnginePage::CrashedTerminationStatus)
            message = tr("The page crashed the preview (code %1); it may have run out of memory.")
                          .arg(code);
        else
            message = tr("The page's process ended (code %1).").arg(code);
        if (onStopped)
            onStopped(message);
    }

    QWebEngineProfile *profile_;
    PreviewPage *page_ = nullptr;
    PreviewSchemeHandler scheme_;
    RequestGuard guard_;
    QTimer rendererWatch_;
    QElapsedTimer probe_; // since an unanswered question to the renderer was asked
    int epoch_ = 0;
    QElapsedTimer userAction_;
    bool loading_ = false;
    // The last page asked to be shown; it is shown once its scroll position is known.
    int showRequest_ = 0;
    // The page shown was handed over whole: reloading it would load those bytes again.
    bool showingContent_ = false;
    // The load under way takes what the renderer kept, some of it changed since: the page is
    // reloaded past it after.
    bool bypassNext_ = false;
    bool remoteBlocked_ = false;
    bool stopped_ = false;
    Stop stopping_ = Stop::None;
};

// Flags of the engine, read once as it starts: the JavaScript heap's limit, and peer
// connections that send no UDP unless through a proxy (there is none), so that WebRTC cannot
// reach an address past the request guard.
const QByteArray engineFlags =
    " --js-flags=--max-old-space-size=" + QByteArray::number(scriptHeapLimitMiB) +
    " --force-webrtc-ip-handling-policy=disable_non_proxied_udp";

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

    PageView *createPageView(QWidget *parent) override {
        if (started_)
            return new WebEnginePageView(parent);
        // The engine reads its flags from the environment when the first profile is made; the
        // programs the editor starts later (the user's browser) must not inherit them.
        const QByteArray name = QByteArrayLiteral("QTWEBENGINE_CHROMIUM_FLAGS");
        const bool wasSet = qEnvironmentVariableIsSet(name);
        const QByteArray before = qgetenv(name);
        qputenv(name, before + engineFlags);
        auto *view = new WebEnginePageView(parent);
        if (wasSet)
            qputenv(name, before);
        else
            qunsetenv(name);
        started_ = true;
        return view;
    }

private:
    bool started_ = false;
};

} // namespace

} // namespace quenbry

#include "webviewplugin.moc"
