#include "document.h"

#include "documentfile.h"

#include <QFileInfo>

namespace quenbry {

namespace {

const QString kSavePromptText = QStringLiteral("Do you want to save your file?");
// New and Exit carry this title on their prompt; Open carries the program's name.
const QString kNewExitPromptTitle = QStringLiteral("DozudUzaz Evodav");
const QString kOverwriteText =
    QStringLiteral("Do you want to overwrite the current file with this version?");
const QString kOverwriteTitle = QStringLiteral("Save File");

} // namespace

Document::Document(EditorBuffer &editor, Dialogs &dialogs, DocumentHost &host)
    : editor_(editor)
    , dialogs_(dialogs)
    , host_(host) {}

QString Document::caption() const {
    QString name = QFileInfo(fileName_).fileName();
    if (name.isEmpty())
        name = QStringLiteral("Untitled");
    return QStringLiteral("%1 (%2)").arg(QLatin1String(kTitle), name);
}

void Document::S() {
    host_.setCaption(caption());
}

bool Document::savePrompt(const QString &title) {
    if (!modified_)
        return true;
    switch (dialogs_.message(host_.dialogOwner(), kSavePromptText, title,
                             MessageButtons::YesNoCancel, MessageIcon::Question)) {
    case MessageAnswer::Yes:
        // A save that wrote nothing must not let the command throw the text away.
        return SaveFile() == SaveOutcome::Written;
    case MessageAnswer::No:
        return true;
    default:
        return false;
    }
}

void Document::mnuname_Click() {
    if (!savePrompt(kNewExitPromptTitle))
        return;
    fileName_.clear();
    host_.setCaption(QStringLiteral("%1 (Untitled)").arg(QLatin1String(kTitle)));
    host_.runNewPageDialog();
    // The history itself stays; the next change of the text works the Undo state out again.
    host_.disableCmdUndo();
    host_.disableXPButton7();
}

void Document::mnuexit_Click() {
    if (!savePrompt(kNewExitPromptTitle))
        return;
    host_.endProcess();
}

void Document::mnuopen_Click() {
    if (!savePrompt(QLatin1String(kTitle)))
        return;
    FileDialogRequest request;
    request.mode = FileDialogRequest::Open;
    request.title = QStringLiteral("Open");
    request.filter = QLatin1String(kFilter);
    request.fileName = fileName_;
    request.defaultExt = defaultExt_;
    if (const auto chosen = dialogs_.fileDialog(host_.dialogOwner(), request)) {
        FileResult read = readDocumentFile(*chosen);
        if (read.ok()) {
            // The name is in place before the change handling of the new text runs.
            fileName_ = *chosen;
            editor_.setText(read.text);
        } else {
            showError(read.error);
        }
    }
    S();
    host_.disableCmdUndo();
}

SaveOutcome Document::SaveFile() {
    SaveOutcome outcome;
    if (!fileName_.isEmpty()) {
        outcome = write(fileName_) ? SaveOutcome::Written : SaveOutcome::Failed;
        if (outcome == SaveOutcome::Written)
            defaultExt_ = QStringLiteral("html");
    } else {
        outcome = askForNameAndWrite(QStringLiteral("Save"));
    }
    if (outcome == SaveOutcome::Written)
        modified_ = false;
    S();
    return outcome;
}

SaveOutcome Document::SaveFileAs() {
    const SaveOutcome outcome = askForNameAndWrite(QStringLiteral("Save As"));
    S();
    return outcome;
}

SaveOutcome Document::askForNameAndWrite(const QString &title) {
    FileDialogRequest request;
    request.mode = FileDialogRequest::Save;
    request.title = title;
    request.filter = QLatin1String(kFilter);
    request.fileName = fileName_;
    for (;;) {
        request.defaultExt = defaultExt_;
        const auto chosen = dialogs_.fileDialog(host_.dialogOwner(), request);
        if (!chosen)
            return SaveOutcome::Cancelled;
        const QFileInfo info(*chosen);
        if (info.exists() &&
            dialogs_.message(host_.dialogOwner(), kOverwriteText, kOverwriteTitle,
                             MessageButtons::YesNo, MessageIcon::Question) != MessageAnswer::Yes) {
            // The dialog comes back with the name the user had chosen.
            request.fileName = *chosen;
            continue;
        }
        if (!write(*chosen))
            return SaveOutcome::Failed;
        fileName_ = *chosen;
        return SaveOutcome::Written;
    }
}

bool Document::write(const QString &path) {
    const FileResult result = writeDocumentFile(path, editor_.text());
    if (!result.ok())
        showError(result.error);
    return result.ok();
}

void Document::showError(const QString &text) {
    dialogs_.message(host_.dialogOwner(), text, host_.applicationTitle(), MessageButtons::Ok,
                     MessageIcon::Critical);
}

} // namespace quenbry
