#pragma once
// The desktop's own dialogs, clipboard, default-open, program start and settings stores.

#include "services.h"

#include <QSettings>

namespace quenbry {

class QtDialogs : public Dialogs {
public:
    MessageAnswer message(QWidget *owner, const QString &text, const QString &title,
                          MessageButtons buttons, MessageIcon icon) override;
    std::optional<QString> fileDialog(QWidget *owner, const FileDialogRequest &req) override;
    std::unique_ptr<QPrinter> printDialog(QWidget *owner, PrintRange range) override;
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
    bool openDefault(const QString &path) override;
    bool startProgram(const QString &path) override;
    void showHelp(const QString &helpFile, int command) override;
};

class QtMenuPopup : public MenuPopup {
public:
    void popup(QMenu *menu, const QPoint &globalPos) override;
};

// Keys written as "Software\Organisation\Application[\Group...]", stored by QSettings in its
// native form for the user or for the whole machine.
class QtSettingsStore : public SettingsStore {
public:
    explicit QtSettingsStore(QSettings::Scope scope)
        : scope_(scope) {}
    QVariant value(const QString &keyPath, const QString &name) const override;
    bool keyExists(const QString &keyPath) const override;

private:
    QSettings::Scope scope_;
};

// Converts "HTML Pages|*.html" into the "HTML Pages (*.html)" form of Qt's dialogs.
QString qtFilter(const QString &filter);

} // namespace quenbry
