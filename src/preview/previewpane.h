#pragma once
// The preview pane: a caption bar naming what is previewed, and below it the web page view,
// which is created (and the web engine loaded) only when the first page is shown.

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

    // Shows the local file `page` as the document documentFile (empty when untitled), or
    // reloads it keeping the scroll position; see PageView::showPage.
    void showPage(const QString &page, const QString &documentFile);
    // The web page view; null before the first page, or when the engine cannot be loaded.
    PageView *pageView() const { return view_; }

signals:
    void pageLoaded(bool ok);

private:
    bool createView();

    QLabel *caption_;
    PageView *view_ = nullptr;
    bool engineFailed_ = false;
};

} // namespace quenbry
