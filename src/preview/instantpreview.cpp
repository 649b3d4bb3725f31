#include "instantpreview.h"

#include "document/document.h"
#include "platform/filenames.h"
#include "text/editorbuffer.h"
#include "webengine.h"

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
    // A coarse timer may fire up to 15 ms late, a tenth of a small page's whole refresh.
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &InstantPreview::refresh);
    // The note about refused content stays up while the page reloads, so that it does not
    // flicker at every refresh; a load that asked for none takes it down.
    connect(pane_, &PreviewPane::remoteContentRefused, this, [this] {
        remoteRefused_ = true;
        updateCaption();
    });
    connect(pane_, &PreviewPane::pageLoaded, this, [this] {
        remoteRefused_ = pane_->remoteContentBlocked();
        updateCaption();
    });
}

void InstantPreview::setRemoteContentAllowed(bool allowed) {
    remoteAllowed_ = allowed;
    pane_->setRemoteContentAllowed(allowed);
    if (visible_)
        refresh();
}

void InstantPreview::setVisible(bool visible) {
    visible_ = visible;
    pane_->setVisible(visible);
    timer_.stop();
    if (visible)
        refresh();
}

void InstantPreview::writeFile() {
    file_.write(editor_.text(), document_.encoding());
}

void InstantPreview::scheduleRefresh() {
    if (visible_)
        timer_.start();
}

void InstantPreview::refresh() {
    const QString fileName = document_.fileName();
    const Encoding encoding = document_.encoding();
    upToDate_ = file_.write(editor_.text(), encoding);
    if (upToDate_)
        pane_->showPage(file_.path(),
                        fileName.isEmpty() ? QString() : QFileInfo(fileName).absoluteFilePath(),
                        encodingCharset(encoding));
    updateCaption();
}

void InstantPreview::updateCaption() {
    QString caption = tr("Preview: %1").arg(document_.displayName());
    if (!upToDate_ && file_.folderRefused())
        caption +=
            tr(" (off: %1 is not a private folder of yours)").arg(displayFileName(file_.folder()));
    else if (!upToDate_)
        caption += tr(" (not up to date: the preview file cannot be written)");
    if (remoteRefused_ && !remoteAllowed_)
        caption += QStringLiteral(" \u2014 ") + tr("Remote content blocked");
    // Once the engine runs: before, nothing is shown that the sandbox would hold.
    const QString sandbox = webEngineSandboxNote();
    if (!sandbox.isEmpty() && pane_->pageView())
        caption += QStringLiteral(" \u2014 ") + sandbox;
    pane_->setCaption(caption);
}

} // namespace quenbry
