#pragma once
// The preview pane: a caption bar naming what is previewed, and below it the web page view,
// which is created (and the web engine loaded) only when the first page is shown.

#include <QUrl>
#include <QWidget>

class QLabel;

namespace quenbry {

class PageView;

class PreviewPane : public QWidget {
    Q_OBJECT
public:
    explicit PreviewPane(QWidget *parent = nullptr);

    QString caption() const;
    void setCaption(const QString &caption);

    // Shows the local file `page`, written in `charset`, as the document documentFile (empty
    // when untitled), or reloads it keeping the scroll position; see PageView::showPage.
    void showPage(const QString &page, const QString &documentFile, const QByteArray &charset);
    // Whether pages may load from the web; see PageView::setRemoteContentAllowed.
    void setRemoteContentAllowed(bool allowed);
    // Whether the page shown asked for remote content that was refused.
    bool remoteContentBlocked() const;
    // Why the page stopped, while the pane says so instead of showing it; "" otherwise.
    QString stopMessage() const;
    // The web page view; null before the first page, or when the engine cannot be loaded.
    PageView *pageView() const { return view_; }

signals:
    void pageLoaded(bool ok);
    void remoteContentRefused();
    // A web address the user clicked in the page, for the browser.
    void linkClicked(const QUrl &url);

private:
    bool createView();
    void showStopped(const QString &message);

    QLabel *caption_;
    QLabel *stopped_ = nullptr;
    PageView *view_ = nullptr;
    bool engineFailed_ = false;
    bool remoteAllowed_ = false;
};

} // namespace quenbry
