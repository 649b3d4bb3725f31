#include "document.h"
#include "text/textprint.h"

#include "documentfile.h"

#include "buildinfo.h"
#include "platform/filenames.h"

#include <QFileInfo>
#include <QLocale>

namespace quenbry {

namespace {

const QString kTitle = QString::fromLatin1(applicationTitle);
// The texts are translated where they are shown: these are read before main() installs the
// translators.
const char *const kSavePromptText = QT_TRANSLATE_NOOP("Document", "Do you want to save your file?");
// The save prompt of New and Exit carries this odd title, Open's the program's name. Users
// know the prompt by it and it is kept on purpose, exactly as it is, in every language.
const QString kNewExitPromptTitle = QStringLiteral("DozudUzaz Evodav");
const char *const kOverwriteText =
    QT_TRANSLATE_NOOP("Document", "Do you want to overwrite the current file with this version?");
const char *const kOverwriteTitle = QT_TRANSLATE_NOOP("Document", "Save File");
const char *const kChangedOnDiskText = QT_TRANSLATE_NOOP(
    "Document", "The file %1 has been changed on disk since it was opened. Overwrite it?");
const char *const kReadOnlyText =
    QT_TRANSLATE_NOOP("Document", "The file is read-only. Save it anyway?");
const char *const kReloadText = QT_TRANSLATE_NOOP(
    "Document", "The file %1 has been changed on disk by another program. Reload it?");
const char *const kReloadLosesText = QT_TRANSLATE_NOOP(
    "Document", "\n\nThe changes you made since it was opened or saved will be lost.");

} // namespace

Document::Document(EditSession &session, Dialogs &dialogs, DocumentHost &host)
    : session_(session)
    , editor_(session.text())
    , dialogs_(dialogs)
    , host_(host) {
    session_.addListener(this);
    // No edit makes the text longer than a file the program can save and open again.
    editor_.setMaxLength(textLimit());
}

void Document::setFileLimit(qint64 bytes) {
    fileLimit_ = bytes;
    editor_.setMaxLength(textLimit());
}

Document::~Document() {
    session_.removeListener(this);
}

QString Document::displayName() const {
    const QString name = displayFileName(QFileInfo(fileName_).fileName());
    return name.isEmpty() ? tr("Untitled") : name;
}

QString Document::caption() const {
    return QStringLiteral("%1 (%2)").arg(kTitle, displayName());
}

void Document::refreshTitle() {
    host_.setCaption(caption());
}

bool Document::savePrompt(const QString &title) {
    if (!modified())
        return true;
    switch (dialogs_.message(host_.dialogOwner(), tr(kSavePromptText), title,
                             MessageButtons::YesNoCancel, MessageIcon::Question)) {
    case MessageAnswer::Yes:
        // A save that wrote nothing must not let the command throw the text away.
        return save() == SaveOutcome::Written;
    case MessageAnswer::No:
        return true;
    default:
        return false;
    }
}

void Document::newPage() {
    if (!savePrompt(kNewExitPromptTitle))
        return;
    fileName_.clear();
    stamp_.reset();
    fileHoldsText_ = false;
    fileTextPrint_.clear();
    host_.setCaption(tr("%1 (Untitled)").arg(kTitle));
    // The page goes in as two recorded changes: nothing can be written to the wrong file by
    // undoing them, since the new page has no file yet. Its skeleton declares iso-8859-1,
    // which browsers read as Windows-1252.
    if (const auto choices = host_.runNewPageDialog()) {
        putPage(editor_, pageText(*choices));
        setEncodingShown(Encoding::Windows1252);
    }
    host_.disableCommand(Command::Undo, HiddenButtonSurface | ToolbarSurface);
    // The prompt saved the previous text or the user let it go.
    host_.textStored({});
}

void Document::exit() {
    if (!savePrompt(kNewExitPromptTitle))
        return;
    host_.endProcess();
}

void Document::open() {
    if (!savePrompt(kTitle))
        return;
    FileDialogRequest request;
    request.mode = FileDialogRequest::Open;
    request.title = tr("Open");
    request.filter = tr(kFilter);
    request.fileName = fileName_;
    request.defaultExt = defaultExt_;
    if (const auto chosen = dialogs_.fileDialog(host_.dialogOwner(), request)) {
        openFile(*chosen);
        return;
    }
    refreshTitle();
    host_.disableCommand(Command::Undo, HiddenButtonSurface);
}

bool Document::openFile(const QString &path, std::optional<Encoding> as) {
    FileResult read = readDocumentFile(path, fileLimit_, as);
    if (read.ok()) {
        // The name and encoding are in place before the change handling of the new text runs.
        fileName_ = path;
        stamp_ = read.stamp;
        declinedStamp_.reset();
        setEncodingShown(read.encoding);
        fileTextPrint_ = textPrint(read.text);
        // Undo must not reach back into the previous document: it would bring that text back
        // under the new file's name, and a save would write it there.
        session_.load(std::move(read.text));
        fileHoldsText_ = true;
        host_.fileUsed(path);
        host_.textStored(fileTextPrint_);
    } else {
        showError(read.error);
    }
    refreshTitle();
    host_.disableCommand(Command::Undo, HiddenButtonSurface);
    return read.ok();
}

void Document::recover(const QString &path, Encoding encoding, QString text) {
    fileName_ = path;
    // The file as it is now is the one a Save replaces without asking.
    stamp_ = path.isEmpty() ? std::nullopt : currentFileStamp(path);
    declinedStamp_.reset();
    setEncodingShown(encoding);
    session_.load(std::move(text));
    fileHoldsText_ = false;
    session_.setModified(true);
    refreshTitle();
    host_.disableCommand(Command::Undo, HiddenButtonSurface);
}

Document::OpenOutcome Document::openPath(const QString &path) {
    if (!savePrompt(kTitle))
        return OpenOutcome::Cancelled;
    return openFile(path) ? OpenOutcome::Opened : OpenOutcome::Failed;
}

void Document::reopen(Encoding as) {
    if (!fileName_.isEmpty() && savePrompt(kTitle))
        openFile(fileName_, as);
}

void Document::setEncoding(Encoding encoding) {
    if (encoding == encoding_)
        return;
    setEncodingShown(encoding);
    // The file no longer holds the text as the next save will write it.
    fileHoldsText_ = false;
    fileTextPrint_.clear();
    session_.setModified(true);
}

void Document::setEncodingShown(Encoding encoding) {
    encoding_ = encoding;
    host_.showEncoding(encoding);
}

void Document::offerReload() {
    if (fileName_.isEmpty() || !stamp_ || askingToReload_)
        return;
    const std::optional<FileStamp> now = currentFileStamp(fileName_);
    // A deleted file is written again by the next Save.
    if (!now || *now == *stamp_ || now == declinedStamp_)
        return;
    // Whatever the answer, this version is not asked about again.
    declinedStamp_ = now;
    const bool losesChanges = !fileHoldsText();
    askingToReload_ = true;
    const MessageAnswer answer = dialogs_.message(
        host_.dialogOwner(),
        tr(kReloadText).arg(displayFileName(fileName_)) +
            (losesChanges ? tr(kReloadLosesText) : QString()),
        kTitle, losesChanges ? MessageButtons::YesNoDefaultNo : MessageButtons::YesNo,
        MessageIcon::Question);
    askingToReload_ = false;
    if (answer == MessageAnswer::Yes)
        openFile(fileName_);
}

SaveOutcome Document::save() {
    SaveOutcome outcome;
    if (!fileName_.isEmpty()) {
        outcome = mayOverwriteCurrentFile() && write(fileName_) ? SaveOutcome::Written
                                                                : SaveOutcome::Failed;
        if (outcome == SaveOutcome::Written)
            defaultExt_ = QStringLiteral("html");
    } else {
        outcome = askForNameAndWrite(tr("Save"));
    }
    if (outcome == SaveOutcome::Written) {
        session_.setModified(false);
        host_.textStored(fileTextPrint_);
    }
    refreshTitle();
    return outcome;
}

SaveOutcome Document::saveAs() {
    const SaveOutcome outcome = askForNameAndWrite(tr("Save As"));
    if (outcome == SaveOutcome::Written)
        host_.textStored(fileTextPrint_);
    refreshTitle();
    return outcome;
}

bool Document::saveOnClose() {
    const std::optional<FileStamp> onDisk = currentFileStamp(fileName_);
    const bool holdsText = fileHoldsText();
    if (holdsText && onDisk == stamp_)
        return true;
    const SaveOutcome outcome = save();
    // Text that was only looked at loses nothing while its file is there: when the user keeps
    // another program's newer version of the file, the close goes on rather than asking again
    // at every try until that version is overwritten.
    return outcome == SaveOutcome::Written || (holdsText && onDisk) ||
           (outcome == SaveOutcome::Cancelled && !modified());
}

SaveOutcome Document::askForNameAndWrite(const QString &title) {
    FileDialogRequest request;
    request.mode = FileDialogRequest::Save;
    request.title = title;
    request.filter = tr(kFilter);
    request.fileName = fileName_;
    for (;;) {
        request.defaultExt = defaultExt_;
        const auto chosen = dialogs_.fileDialog(host_.dialogOwner(), request);
        if (!chosen)
            return SaveOutcome::Cancelled;
        if (currentFileStamp(*chosen) &&
            dialogs_.message(host_.dialogOwner(), tr(kOverwriteText), tr(kOverwriteTitle),
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

bool Document::mayOverwriteCurrentFile() {
    const std::optional<FileStamp> now = currentFileStamp(fileName_);
    if (!now || !stamp_ || *now == *stamp_)
        return true;
    // Enter keeps the other program's version: overwriting it is the step to think twice about.
    if (dialogs_.message(
            host_.dialogOwner(), tr(kChangedOnDiskText).arg(displayFileName(fileName_)), kTitle,
            MessageButtons::YesNoDefaultNo, MessageIcon::Question) == MessageAnswer::Yes)
        return true;
    // The user knows of that version now: coming back to the window does not ask to read it.
    declinedStamp_ = now;
    return false;
}

void Document::editRefused(qint64 length) {
    const QLocale locale;
    showError(tr("The edit was not made.\n\nIt would make the page %1 bytes long, more "
                 "than the %2 the editor can open again.")
                  .arg(locale.toString(length + 2), locale.formattedDataSize(fileLimit_, 0)));
}

bool Document::write(const QString &path) {
    // Root may write any file, but a file that no one may write by its permission bits was
    // meant to stay as it is: the user says so before it changes, and Enter keeps it.
    if (writableOnlyAsRoot(path) && dialogs_.message(host_.dialogOwner(), tr(kReadOnlyText), kTitle,
                                                     MessageButtons::YesNoDefaultNo,
                                                     MessageIcon::Question) != MessageAnswer::Yes)
        return false;
    const QString text = editor_.text();
    const FileResult result = writeDocumentFile(path, text, encoding_, fileLimit_);
    if (!result.ok()) {
        showError(result.error);
        return false;
    }
    stamp_ = result.stamp;
    fileHoldsText_ = true;
    fileTextPrint_ = textPrint(text);
    host_.fileUsed(path);
    return true;
}

bool Document::fileHoldsText() {
    if (!fileHoldsText_ && !fileTextPrint_.isEmpty())
        fileHoldsText_ = textPrint(editor_.wholeText()) == fileTextPrint_;
    return fileHoldsText_;
}

void Document::showError(const QString &text) {
    dialogs_.message(host_.dialogOwner(), text, kTitle, MessageButtons::Ok, MessageIcon::Critical);
}

} // namespace quenbry
