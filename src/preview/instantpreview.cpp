#include "instantpreview.h"

#include "document/document.h"
#include "platform/filenames.h"
#include "text/editorbuffer.h"

#include <QFileInfo>

namespace quenbry {

InstantPreview::InstantPreview(const EditorBuffer &editor, const Document &document,
                               QWidget *paneParent, const QString &folder)
    : editor_(editor)
    , document_(document)
    , file_(folder)
    , pane_(new PreviewPane(paneParent)) {
    pane_->hide();
    timer_.setSingleShot(true);
    timer_.setInterval(refreshDelayMs);
    connect(&timer_, &QTimer::timeout, this, &InstantPreview::refresh);
}

void InstantPreview::setVisible(bool visible) {
    visible_ = visible;
    pane_->setVisible(visible);
    timer_.stop();
    if (visible)
        refresh();
}

void InstantPreview::writeFile() {
    file_.write(editor_.text());
}

void InstantPreview::scheduleRefresh() {
    if (visible_)
        timer_.start();
}

void InstantPreview::refresh() {
    const QString fileName = document_.fileName();
    QString caption = tr("Preview: %1").arg(document_.displayName());
    if (file_.write(editor_.text())) {
        pane_->showPage(file_.path(),
                        fileName.isEmpty() ? QString() : QFileInfo(fileName).absoluteFilePath());
    } else if (file_.folderRefused()) {
        caption +=
            tr(" (off: %1 is not a private folder of yours)").arg(displayFileName(file_.folder()));
    } else {
        caption += tr(" (not up to date: the preview file cannot be written)");
    }
    pane_->setCaption(caption);
}

} // namespace quenbry
