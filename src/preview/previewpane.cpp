#include "previewpane.h"

#include "pageview.h"
#include "webengine.h"

#include <QLabel>
#include <QVBoxLayout>

namespace quenbry {

PreviewPane::PreviewPane(QWidget *parent)
    : QWidget(parent)
    , caption_(new QLabel(this)) {
    setObjectName(QStringLiteral("previewPane"));
    caption_->setObjectName(QStringLiteral("previewCaption"));
    caption_->setFrameShape(QFrame::StyledPanel);
    caption_->setMargin(2);
    caption_->setTextFormat(Qt::PlainText);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(caption_);
    layout->addStretch();
}

QString PreviewPane::caption() const {
    return caption_->text();
}

void PreviewPane::setCaption(const QString &caption) {
    caption_->setText(caption);
}

void PreviewPane::showPage(const QString &page, const QString &documentFile,
                           const QByteArray &charset) {
    if (!view_ && !createView())
        return;
    if (stopped_) {
        stopped_->hide();
        view_->widget()->show();
    }
    view_->showPage(page, documentFile, charset);
}

void PreviewPane::setRemoteContentAllowed(bool allowed) {
    remoteAllowed_ = allowed;
    if (view_)
        view_->setRemoteContentAllowed(allowed);
}

bool PreviewPane::remoteContentBlocked() const {
    return view_ && view_->remoteContentBlocked();
}

QString PreviewPane::stopMessage() const {
    return stopped_ && !stopped_->isHidden() ? stopped_->text() : QString();
}

void PreviewPane::showStopped(const QString &message) {
    qWarning("The preview stopped: %s", qPrintable(message));
    if (!stopped_) {
        stopped_ = new QLabel(this);
        stopped_->setObjectName(QStringLiteral("previewStopped"));
        stopped_->setWordWrap(true);
        stopped_->setAlignment(Qt::AlignTop | Qt::AlignLeft);
        stopped_->setMargin(8);
        layout()->addWidget(stopped_);
        static_cast<QVBoxLayout *>(layout())->setStretchFactor(stopped_, 1);
    }
    stopped_->setText(message + tr("\n\nThe preview starts again with your next change."));
    view_->widget()->hide();
    stopped_->show();
}

bool PreviewPane::createView() {
    if (engineFailed_)
        return false;
    QString error;
    view_ = createPageView(this, error);
    auto *layout = static_cast<QVBoxLayout *>(this->layout());
    delete layout->takeAt(1); // the stretch that kept the caption at the top
    if (!view_) {
        engineFailed_ = true;
        const QString reason = webEnginePluginInstalled()
                                   ? tr("The preview cannot be shown: %1").arg(error)
                                   : tr("The preview needs the package quenbry-preview: "
                                        "sudo apt install quenbry-preview");
        qWarning("%s", qPrintable(reason));
        auto *failure = new QLabel(reason, this);
        failure->setTextFormat(Qt::PlainText);
        // The reader may want to copy the command.
        failure->setTextInteractionFlags(Qt::TextSelectableByMouse);
        failure->setWordWrap(true);
        failure->setAlignment(Qt::AlignTop | Qt::AlignLeft);
        layout->addWidget(failure, 1);
        return false;
    }
    view_->setRemoteContentAllowed(remoteAllowed_);
    view_->onLoaded = [this](bool ok) {
        emit pageLoaded(ok);
    };
    view_->onRemoteContentBlocked = [this] {
        emit remoteContentRefused();
    };
    view_->onLinkClicked = [this](const QUrl &url) {
        emit linkClicked(url);
    };
    view_->onStopped = [this](const QString &message) {
        showStopped(message);
    };
    layout->addWidget(view_->widget(), 1);
    return true;
}

} // namespace quenbry
