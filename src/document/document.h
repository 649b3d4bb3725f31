#pragma once
// The document the main window edits: its file name, the modified flag, the window title,
// the save prompt, and the file commands New, Open, Save, Save As and Exit.

#include "commands/command.h"
#include "documentfile.h"
#include "editing/editsession.h"
#include "platform/services.h"
#include "template/pagetemplate.h"

#include <QCoreApplication>
#include <QString>
#include <optional>

class QWidget;

namespace quenbry {

// What the document commands need of the main window.
class DocumentHost {
public:
    virtual ~DocumentHost() = default;
    // The window that owns the message boxes and file dialogs.
    virtual QWidget *dialogOwner() = 0;
    virtual void setCaption(const QString &caption) = 0;
    // Shows the New Page dialog modally and returns when it has closed: the choices of
    // "Create Page", nothing when it was cancelled or closed.
    virtual std::optional<TemplateSettings> runNewPageDialog() = 0;
    // Disables the command on the surfaces named, leaving the others as they are.
    virtual void disableCommand(Command command, Surfaces on) = 0;
    // Ends the process at once, without the window's closing path.
    virtual void endProcess() = 0;
    // The document's encoding is now this one.
    virtual void showEncoding(Encoding) {}
    // The file was opened, or the text written to it: it is the newest of the recent pages.
    virtual void fileUsed(const QString & /*path*/) {}
    // Nothing of the text needs keeping elsewhere any more: it is what its file holds (Open, a
    // Save that wrote it), whose fingerprint is `print`, or a new page's own (no print).
    virtual void textStored(const QByteArray & /*print*/) {}
};

enum class SaveOutcome {
    Written,   // the whole text is in the file
    Cancelled, // the user cancelled the file dialog; nothing was written
    // Nothing was written and the user knows why: the write failed, or they chose not to
    // overwrite a file changed on disk. The document and its file are as they were.
    Failed,
};

class Document : private EditSessionListener {
    Q_DECLARE_TR_FUNCTIONS(Document)

public:
    static constexpr const char *kFilter = QT_TRANSLATE_NOOP("Document", "HTML Pages|*.html");

    Document(EditSession &session, Dialogs &dialogs, DocumentHost &host);
    ~Document() override;

    // The full path of the document's file; empty for a document without one.
    const QString &fileName() const { return fileName_; }
    // What Save writes the text in: the encoding the file was read in, Windows-1252 for a new
    // page, or the one the user chose.
    Encoding encoding() const { return encoding_; }
    // Keeps the text and makes the next Save write it in this encoding; the document is
    // modified by a change of its encoding.
    void setEncoding(Encoding encoding);

    // The extension the file dialogs add to a name typed without one: empty until the
    // first direct Save, "html" after it.
    const QString &defaultExt() const { return defaultExt_; }

    // Set by every change of the editor text (the edit session keeps it); start-up clears it
    // when it is complete, and Save when it has written the text.
    bool modified() const { return session_.modified(); }

    // The largest file Open reads and Save writes: kMaxDocumentBytes, smaller in tests. The
    // text may hold two characters fewer, since a save adds a CR LF.
    qint64 fileLimit() const { return fileLimit_; }
    // Also keeps the editor's text within what a save can write: no edit makes it longer.
    void setFileLimit(qint64 bytes);
    int textLimit() const { return int(fileLimit_ - 2); }

    // The file's name without its folder, "Untitled" without a file.
    QString displayName() const;
    // "Quenbry HTML Editor (name)", with the display name.
    QString caption() const;
    // Shows caption() as the window title.
    void refreshTitle();

    // New: save prompt, forget the file name, the New Page dialog and the page it asks for (two
    // recorded changes: Undo brings the previous text back), and Undo off on the toolbar and
    // the hidden button.
    void newPage();
    // Exit: save prompt, then end the process at once.
    void exit();
    // Open: save prompt, the Open dialog, the file's text into the editor with a fresh history.
    void open();
    // Open without the prompt and the dialog, as if path had been chosen in it: the file named
    // on the command line. The file's bytes are read in `as`, or in the encoding they are
    // written in; bytes that are not valid in `as` are refused and nothing changes. True when
    // the file was read.
    bool openFile(const QString &path, std::optional<Encoding> as = std::nullopt);
    // Open with its save prompt but without the dialog: a recent page. Cancelled when the user
    // cancelled the prompt, false when the file could not be read.
    enum class OpenOutcome { Opened, Cancelled, Failed };
    OpenOutcome openPath(const QString &path);
    // Text recovered after a crash becomes the document, under its file name (none for an
    // untitled page) and in its encoding: modified, with a fresh history, so that the user
    // saves it deliberately.
    void recover(const QString &path, Encoding encoding, QString text);
    // The current file read again in the encoding, through Open's save prompt: for the file
    // that was taken for another encoding than its own.
    void reopen(Encoding as);
    // When the current file has changed on disk since it was opened or saved (and was not
    // deleted), asks once whether to read it again; the answer holds until the file changes
    // again. Yes reads it as Open does; No keeps the text, and Save still asks before it
    // overwrites the other version.
    void offerReload();
    // Save: writes to the current file at once, or asks for a name when there is none. A file
    // that another program changed since it was opened or saved is overwritten only when the
    // user says so. Clears the modified flag only when the text was written. The window's
    // close runs this too.
    SaveOutcome save();
    // Save As: always asks for a name; leaves the modified flag as it is.
    SaveOutcome saveAs();
    // The window's close saves without asking; true when the close may go on. A file that
    // still holds the text exactly as it was opened or saved is left alone, so that merely
    // looking at a file never alters it (each save appends a CR LF). Changes that were not
    // written (a cancelled dialog, a failure) keep the window open; an unmodified document
    // whose Save dialog was cancelled may close, and so may unedited text whose file another
    // program has changed meanwhile, when the user chose not to overwrite it.
    bool saveOnClose();

private:
    // True when the command may go on: nothing to save, No, or Yes and the text was written.
    bool savePrompt(const QString &title);
    // The Save and Save As dialogs with the overwrite question and its loop.
    SaveOutcome askForNameAndWrite(const QString &title);
    // The current file is as it was opened or last saved, gone, or the user lets it be
    // overwritten.
    bool mayOverwriteCurrentFile();
    bool write(const QString &path);
    void setEncodingShown(Encoding encoding);
    // Whether the text is what the file was read with or written from, edits or not.
    bool fileHoldsText();
    // EditSessionListener
    void textChanged() override { fileHoldsText_ = false; }
    // The editor refused an edit that would have made the text `length` characters long; the
    // user is told why.
    void editRefused(qint64 length) override;
    void showError(const QString &text);

    EditSession &session_;
    EditorCore &editor_;
    Dialogs &dialogs_;
    DocumentHost &host_;
    QString fileName_;
    QString defaultExt_;
    // The current file as it was read or last written.
    std::optional<FileStamp> stamp_;
    // The other version of the current file that the user chose not to read or overwrite.
    std::optional<FileStamp> declinedStamp_;
    Encoding encoding_ = Encoding::Windows1252;
    bool askingToReload_ = false;
    qint64 fileLimit_ = kMaxDocumentBytes;
    // The text is exactly what was last read from or written to the current file.
    bool fileHoldsText_ = false;
    // A fingerprint of that text (empty when there is none), against which an edited text is
    // checked: an edit undone, or a letter typed and deleted, leaves the file's text.
    QByteArray fileTextPrint_;
};

} // namespace quenbry
