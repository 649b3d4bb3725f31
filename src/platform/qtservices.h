#pragma once
// The desktop's own dialogs, clipboard, default-open, program start and settings stores.

#include "services.h"
#include "webbrowser.h"

#include <QSettings>

namespace quenbry {

class QtDialogs : public Dialogs {
public:
    MessageAnswer message(QWidget *owner, const QString &text, const QString &title,
                          MessageButtons buttons, MessageIcon icon) override;
    std::optional<QString> fileDialog(QWidget *owner, const FileDialogRequest &req) override;
    bool printDialog(QWidget *owner, QPrinter &printer, PrintRange range) override;
};

// Keeps the clipboard's text until the clipboard changes: the availability of Paste is worked
// out on every selection change, and asking another program for its clipboard can take a
// round trip to the display server each time.
class QtClipboard : public Clipboard {
public:
    QtClipboard();
    ~QtClipboard() override;
    void clear() override;
    void setText(const QString &text) override;
    QString text() const override;

private:
    mutable std::optional<QString> cached_;
    QMetaObject::Connection connection_;
};

class QtShell : public Shell {
public:
    // ownEntry: this program's desktop entry id, which is never taken for a browser.
    explicit QtShell(const QString &ownEntry)
        : browser_(ownEntry) {}
    void openPage(const QString &path) override;
    void openUrl(const QUrl &url) override;
    bool startProgram(const QString &path) override;
    void showHelp(const QString &page, int context, const QString &section) override;

private:
    void browse(const QUrl &url);
    WebBrowser browser_;
};

class QtMenuPopup : public MenuPopup {
public:
    void popup(QMenu *menu, const QPoint &globalPos) override;
};

// The settings as QSettings keeps them: an INI file per organisation and application, under
// the user's configuration folder (~/.config/QUENBRY/QUENBRY HTML Editor.ini) or the first of
// the machine's (/etc/xdg/...), as XDG_CONFIG_HOME and XDG_CONFIG_DIRS say at each access. The
// key path's first two parts after "Software" name the file, the rest its groups. The user's
// store never falls back to the machine's, as the registry's two roots do not. Only regular
// files are read or written: a pipe or a device in a file's place reads as a missing store.
//
// An INI file reads back every number as text, so a number is written in QSettings' typed
// form (@Variant(...) of a long) and reads back as a number; a string value always reads back
// as a string. A line edited by hand as `org=Acme, Inc.` reads as the text it shows.
class QtSettingsStore : public SettingsStore {
public:
    explicit QtSettingsStore(QSettings::Scope scope)
        : scope_(scope) {}
    QVariant value(const QString &keyPath, const QString &name) const override;
    bool setValue(const QString &keyPath, const QString &name, const QVariant &value) override;
    // In one write of the file.
    bool setValues(const QString &keyPath,
                   const QList<std::pair<QString, QVariant>> &values) override;

private:
    QSettings::Scope scope_;
};

// Converts "HTML Pages|*.html" into the "HTML Pages (*.html)" form of Qt's dialogs.
QString qtFilter(const QString &filter);

} // namespace quenbry
