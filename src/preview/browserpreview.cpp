#include "browserpreview.h"

#include "document/document.h"
#include "platform/services.h"

#include <QFileInfo>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

namespace quenbry {

BrowserPreview::BrowserPreview(Document &document, Dialogs &dialogs, Shell &shell, QWidget *owner)
    : document_(document)
    , dialogs_(dialogs)
    , shell_(shell)
    , owner_(owner) {}

void BrowserPreview::run() {
    // A save that failed has told the user so; the file on disk is not the text they see,
    // and the browser would show it as if it were.
    if (document_.save() == SaveOutcome::Failed)
        return;
    const QString fileName = document_.fileName();
    if (fileName.isEmpty()) {
        dialogs_.message(owner_, tr("You must save your file in order to view it."),
                         tr("Preview Error"), MessageButtons::Ok, MessageIcon::Critical);
        return;
    }
    if (!holder_)
        createHolder();
    fileLabel_->setText(document_.displayName());
    // A browser that cannot be started is reported through the shell's onBrowserFailed.
    shell_.openPage(QFileInfo(fileName).absoluteFilePath());
}

void BrowserPreview::createHolder() {
    holder_ = new QWidget(owner_, Qt::Window);
    holder_->setObjectName(QStringLiteral("Form1"));
    holder_->setWindowTitle(tr("Preview in Browser"));
    // Never shown, and never a reason for the program to stay when the main window closes.
    holder_->setAttribute(Qt::WA_QuitOnClose, false);
    auto *prompt = new QLabel(tr("The Following File is about to be previewed :"));
    prompt->setObjectName(QStringLiteral("Label2"));
    fileLabel_ = new QLabel;
    fileLabel_->setObjectName(QStringLiteral("Label1"));
    auto *layout = new QVBoxLayout(holder_);
    layout->addWidget(prompt);
    layout->addWidget(fileLabel_);
}

} // namespace quenbry
