#pragma once
// What the program asks of the desktop, each behind an interface: a Qt implementation talks
// to the desktop, a scripted one (tools/testsupport) answers from a script and records.

#include <QList>
#include <QString>
#include <QUrl>
#include <QVariant>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

class QWidget;
class QMenu;
class QPoint;
class QPrinter;

namespace quenbry {

// YesNoDefaultNo is for questions where Enter must not destroy anything.
enum class MessageButtons { Ok, YesNo, YesNoCancel, YesNoDefaultNo };
enum class MessageIcon { None, Question, Critical, Information };
enum class MessageAnswer { Ok, Yes, No, Cancel };

struct FileDialogRequest {
    enum Mode { Open, Save } mode = Open;
    QString title;
    QString filter;     // "HTML Pages|*.html"
    QString fileName;   // prefilled name
    QString defaultExt; // appended to a name typed without an extension; empty for none
};

enum class PrintRange { All, Selection };

class Dialogs {
public:
    virtual ~Dialogs() = default;
    // The first button of the set is the default one, unless the set says otherwise.
    virtual MessageAnswer message(QWidget *owner, const QString &text, const QString &title,
                                  MessageButtons buttons, MessageIcon icon) = 0;
    // The chosen path, or nothing when the dialog was cancelled.
    virtual std::optional<QString> fileDialog(QWidget *owner, const FileDialogRequest &req) = 0;
    // The print dialog for a printer the caller has prepared (its page margins, say), its range
    // preset (Selection is offered only when preset): true when the user confirmed it with a
    // usable printer, which is then set up as chosen (pages picked and page setup included).
    virtual bool printDialog(QWidget *owner, QPrinter &printer, PrintRange range) = 0;
};

// The system clipboard, plain text only.
class Clipboard {
public:
    virtual ~Clipboard() = default;
    virtual void clear() = 0;
    virtual void setText(const QString &text) = 0;
    // The clipboard's plain text, "" when it holds none.
    virtual QString text() const = 0;
};

// Hand-offs to other programs.
class Shell {
public:
    virtual ~Shell() = default;
    // Opens a local page in the user's web browser, whatever program the desktop keeps for
    // the file's type (which may be this editor).
    virtual void openPage(const QString &path) = 0;
    // Opens a web address (http or https only) in the user's browser.
    virtual void openUrl(const QUrl &url) = 0;
    // Starts a program by its path, in a window of its own; false when it cannot be started.
    virtual bool startProgram(const QString &path) = 0;
    // Opens the help page in the user's browser: at its index for context 0, otherwise at the
    // section (an anchor of the page) that the context number stands for.
    virtual void showHelp(const QString &page, int context, const QString &section) = 0;

    // Told when no browser could be started for a page, the help or an address: at once, or
    // moments later when the browser that was started gave up.
    std::function<void()> onBrowserFailed;
};

// A key/value store, the per-user or the machine-wide settings, with keys written as
// "Software\Organisation\Application[\Group...]". The program only reads it, except when
// it registers the owner.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    // A QString for a string value, a number type for a number value; invalid when the value,
    // its key or the store itself is missing or cannot be read.
    virtual QVariant value(const QString &keyPath, const QString &name) const = 0;
    // Stores a string or a number; an invalid value removes the value. False when the store
    // cannot be written.
    virtual bool setValue(const QString &keyPath, const QString &name, const QVariant &value) = 0;
    // Several values of one key at once. A store may be a file rewritten whole and synced to
    // the disk at each write, and an Open moves every recent page one place down.
    virtual bool setValues(const QString &keyPath,
                           const QList<std::pair<QString, QVariant>> &values) {
        bool stored = true;
        for (const auto &[name, value] : values)
            stored = setValue(keyPath, name, value) && stored;
        return stored;
    }
};

// Pops up an existing menu at the mouse pointer and waits until it closes.
class MenuPopup {
public:
    virtual ~MenuPopup() = default;
    virtual void popup(QMenu *menu, const QPoint &globalPos) = 0;
};

// Everything the main window needs of the desktop.
struct Services {
    MenuPopup *popup = nullptr;
    Dialogs *dialogs = nullptr;
    Clipboard *clipboard = nullptr;
    Shell *shell = nullptr;
    SettingsStore *userSettings = nullptr;
    SettingsStore *machineSettings = nullptr;
};

} // namespace quenbry
