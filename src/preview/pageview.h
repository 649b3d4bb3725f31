#pragma once
// The web page view of the preview pane, as the pane sees it. The web engine behind it lives
// in a plugin that is loaded the first time the pane is shown, so that a start-up without the
// pane never loads the engine.

#include <QString>
#include <QUrl>
#include <QVariant>
#include <QtPlugin>
#include <functional>

class QWidget;

namespace quenbry {

class PageView {
public:
    virtual ~PageView() = default;
    virtual QWidget *widget() = 0;
    // Shows the local file `page` as if it stood where the document's file is, or reloads it
    // when it is shown already, keeping the scroll position: links relative to the page lead
    // where they lead from the document, and nowhere for an untitled one (documentFile empty).
    // The page's bytes are read in `charset` ("utf-8"), whatever the page declares, as a
    // browser reads a page its server names the charset of. The page loads nothing outside the
    // document's folder and never leaves the document.
    virtual void showPage(const QString &page, const QString &documentFile,
                          const QByteArray &charset) = 0;
    // Whether the page may load from the web (http, https, ws, wss); it may not by default.
    // Local files outside the folder stay out of reach either way.
    virtual void setRemoteContentAllowed(bool allowed) = 0;
    // Runs the script beside the page's own scripts (they cannot change what it sees of the
    // window) and hands its value to `result`.
    virtual void runScript(const QString &script,
                           const std::function<void(const QVariant &)> &result) = 0;
    // The page's title as the engine reports it; "" while a page is loading or has none, and
    // while its renderer is stopped.
    virtual QString title() const = 0;
    // Whether the page asked for remote content that was refused, since the last load began.
    virtual bool remoteContentBlocked() const = 0;

    // After each page load, with false when it failed.
    std::function<void(bool ok)> onLoaded;
    // When remote content is refused, the first time in a load.
    std::function<void()> onRemoteContentBlocked;
    // A web address (http or https) the user clicked in the page, which the page does not
    // follow itself.
    std::function<void(const QUrl &url)> onLinkClicked;
    // The page's process ended before its time (it crashed or outgrew its memory), with what
    // the user is told; the next showPage starts a new one.
    std::function<void(const QString &message)> onStopped;
};

class PageViewFactory {
public:
    virtual ~PageViewFactory() = default;
    virtual PageView *createPageView(QWidget *parent) = 0;
};

} // namespace quenbry

#define QuenbryPageViewFactory_iid "org.quenbry.PageViewFactory/3"
Q_DECLARE_INTERFACE(quenbry::PageViewFactory, QuenbryPageViewFactory_iid)
