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

void PreviewPane::showPage(const QString &page, const QString &documentFile) {
    if (view_ || createView())
        view_->showPage(page, documentFile);
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
    view_->onLoaded = [this](bool ok) {
        emit pageLoaded(ok);
    };
    layout->addWidget(view_->widget(), 1);
    return true;
}

} // namespace quenbry
