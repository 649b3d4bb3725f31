#pragma once
// The document the main window edits: its file name, the Modified flag, the window title,
// the save prompt, and the file commands New, Open, Save, Save As and Exit.

#include "platform/editorbuffer.h"
#include "platform/services.h"

#include <QString>

class QWidget;

namespace quenbry {

// What the document commands need of the main window.
class DocumentHost {
public:
    virtual ~DocumentHost() = default;
    // The window that owns the message boxes and file dialogs.
    virtual QWidget *dialogOwner() = 0;
    // The title of message boxes that have none of their own.
    virtual QString applicationTitle() const = 0;
    virtual void setCaption(const QString &caption) = 0;
    // Shows the New Page dialog modally and returns when it has closed, either way.
    virtual void runNewPageDialog() = 0;
    // The hidden Undo button.
    virtual void disableCmdUndo() = 0;
    // The toolbar's Undo button.
    virtual void disableXPButton7() = 0;
    // Ends the process at once, without the window's closing path.
    virtual void endProcess() = 0;
};

enum class SaveOutcome {
    Written,   // the whole text is in the file
    Cancelled, // the user cancelled the file dialog; nothing was written
    Failed,    // the write failed; the user has been told, nothing has changed
};

class Document {
public:
    static constexpr const char *kTitle = "Quenbry HTML Editor";
    static constexpr const char *kFilter = "HTML Pages|*.html";

    Document(EditorBuffer &editor, Dialogs &dialogs, DocumentHost &host);

    // The full path of the document's file; empty for a document without one.
    const QString &fileName() const { return fileName_; }
    // The extension the file dialogs add to a name typed without one: empty until the
    // first direct Save, "html" after it.
    const QString &defaultExt() const { return defaultExt_; }

    // `Modified`: the main window sets it on every change notification of the editor text
    // and clears it when start-up is complete.
    bool modified() const { return modified_; }
    void setModified(bool modified) { modified_ = modified; }

    // "Quenbry HTML Editor (name)", the name without its folder, "Untitled" without a file.
    QString caption() const;
    // Refreshes the window title.
    void S();

    // New: save prompt, forget the file name, the New Page dialog, disable both Undo buttons.
    void mnuname_Click();
    // Exit: save prompt, then end the process at once.
    void mnuexit_Click();
    // Open: save prompt, the Open dialog, the file's text into the editor.
    void mnuopen_Click();
    // Save: writes to the current file at once, or asks for a name when there is none.
    // Clears `Modified` only when the text was written. The window's close runs this too.
    SaveOutcome mnusave_Click() { return SaveFile(); }
    SaveOutcome SaveFile();
    // Save As: always asks for a name; leaves `Modified` as it is.
    SaveOutcome mnusaveas_Click() { return SaveFileAs(); }
    SaveOutcome SaveFileAs();

private:
    // True when the command may go on: nothing to save, No, or Yes and the text was written.
    bool savePrompt(const QString &title);
    // The Save and Save As dialogs with the overwrite question and its loop.
    SaveOutcome askForNameAndWrite(const QString &title);
    bool write(const QString &path);
    void showError(const QString &text);

    EditorBuffer &editor_;
    Dialogs &dialogs_;
    DocumentHost &host_;
    QString fileName_;
    QString defaultExt_;
    bool modified_ = false;
};

} // namespace quenbry
