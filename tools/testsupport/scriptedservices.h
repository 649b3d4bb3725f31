#pragma once
// Scripted stand-ins for the desktop: dialogs answered from queued answers, a clipboard of its
// own, and hand-offs, program starts and help requests recorded instead of carried out. The
// replay driver and tests use them; every request is recorded as an event.

#include "json.h"
#include "platform/services.h"

#include <QDir>
#include <QMap>
#include <QSet>
#include <deque>
#include <functional>

namespace quenbry {

struct EventLog {
    std::vector<Json> events;
    // Paths inside this folder are recorded relative to it.
    QDir base = QDir::current();
    QString display(const QString &path) const;
    std::vector<Json> take() { return std::exchange(events, {}); }
};

// Answers from queues, in order. A dialog with no answer queued takes its default (a message
// box its default button; a file or print dialog is cancelled), unless onUnexpected is set: a
// unit test's strict mode, where such a dialog is reported there and cancelled.
class ScriptedDialogs : public Dialogs {
public:
    struct Message {
        QString text;
        QString title;
        MessageButtons buttons;
        MessageIcon icon;
    };

    explicit ScriptedDialogs(EventLog &log)
        : log_(log) {}

    void queueAnswer(MessageAnswer a) { answers_.push_back(a); }
    // A name typed in the next file dialog, or nothing to cancel it.
    void queueFileName(std::optional<QString> name) { fileNames_.push_back(std::move(name)); }
    // The next print dialog: a PDF path to confirm, or nothing to cancel it.
    void queuePrinter(std::optional<QString> pdfPath) { printers_.push_back(std::move(pdfPath)); }
    // Every queued answer has been used.
    bool allAnswered() const { return answers_.empty() && fileNames_.empty() && printers_.empty(); }

    std::function<void(const QString &what)> onUnexpected;
    // Every request so far, besides its event in the log.
    std::vector<Message> messages;
    std::vector<FileDialogRequest> fileDialogs;

    MessageAnswer message(QWidget *owner, const QString &text, const QString &title,
                          MessageButtons buttons, MessageIcon icon) override;
    std::optional<QString> fileDialog(QWidget *owner, const FileDialogRequest &req) override;
    bool printDialog(QWidget *owner, QPrinter &printer, PrintRange range) override;

private:
    // False when nothing is queued: records the default answer, or the unexpected dialog.
    bool takeAnswer(bool queued, Json &event, const QString &what);

    EventLog &log_;
    std::deque<MessageAnswer> answers_;
    std::deque<std::optional<QString>> fileNames_;
    std::deque<std::optional<QString>> printers_;
};

class ScriptedClipboard : public Clipboard {
public:
    void clear() override { text_.clear(); }
    void setText(const QString &text) override { text_ = text; }
    QString text() const override { return text_; }
    // Another program put an image, and no text, on the clipboard.
    void setImageOnly() { text_.clear(); }

private:
    QString text_;
};

class ScriptedShell : public Shell {
public:
    explicit ScriptedShell(EventLog &log)
        : log_(log) {}
    void openPage(const QString &path) override;
    // Recorded as an "open" event whose path is the address.
    void openUrl(const QUrl &url) override;
    bool startProgram(const QString &path) override;
    void showHelp(const QString &page, int context, const QString &section) override;

private:
    EventLog &log_;
};

// Records the menu and its visible items instead of showing it.
class ScriptedMenuPopup : public MenuPopup {
public:
    explicit ScriptedMenuPopup(EventLog &log)
        : log_(log) {}
    void popup(QMenu *menu, const QPoint &globalPos) override;

private:
    EventLog &log_;
};

// Key paths and value names match whatever their case, as in the registry.
class ScriptedSettingsStore : public SettingsStore {
public:
    QVariant value(const QString &keyPath, const QString &name) const override;
    bool setValue(const QString &keyPath, const QString &name, const QVariant &value) override;

private:
    QMap<QString, QMap<QString, QVariant>> keys_;
};

// Every scripted service, wired together: the desktop as the replay driver, tests and
// benchmarks give it to the main window.
struct ScriptedDesktop {
    EventLog log;
    ScriptedDialogs dialogs{log};
    ScriptedClipboard clipboard;
    ScriptedShell shell{log};
    ScriptedMenuPopup popup{log};
    ScriptedSettingsStore userSettings;
    ScriptedSettingsStore machineSettings;

    Services services() {
        return {&popup, &dialogs, &clipboard, &shell, &userSettings, &machineSettings};
    }
};

QString answerName(MessageAnswer a);

} // namespace quenbry
