#pragma once
// Runs a replay script against the real main window with scripted desktop services and
// prints what a user would see as one JSON object a line.

#include "testsupport/scriptedservices.h"

#include <QJsonValue>
#include <QStringList>
#include <QTextStream>
#include <deque>
#include <memory>
#include <stdexcept>

namespace quenbry {

class MainWindow;

struct ScriptError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class ReplayDriver {
public:
    explicit ReplayDriver(QTextStream &out);
    ~ReplayDriver();

    // Runs one script line; throws ScriptError for a line it cannot run.
    void run(const QString &line);

private:
    MainWindow &window();
    // The splash, then the main window. how: "" (the timer hands over), "key" or "click",
    // with the key or the label to press on ("" for a character key or the picture).
    void start(const QString &how = {}, const QString &target = {});
    void pressOnSplash(QWidget *splash, const QString &how, const QString &target);
    // Prints the named top-level keys of the state (all of them when none is named).
    void dump(const QStringList &keys);
    // Fails the script when the value at path (a key, then members and array indexes joined
    // by dots) differs from expected.
    void expect(const QString &path, const QJsonValue &expected);
    void expectFile(const QString &path, const QJsonValue &expected);
    void expectPdf(const QString &path, const QJsonValue &expected);
    void printFile(const QString &path);
    void typeText(const QString &text);
    void pressKey(const QString &key);
    void clickMenu(const QString &name);
    void clickButton(const QString &name);
    void setField(const QString &name, const QJsonValue &value);
    void releaseMouse(Qt::MouseButton button, bool press);
    void handleOwnWindow(QWidget *dialog);
    // One top-level key of the state; for `commands`, only the entry `only` when it is given.
    Json stateValue(const QString &key, const QString &only = {});
    Json commandsJson(const QString &only);

    QTextStream &out_;
    ScriptedDesktop desktop_;
    EventLog &log_ = desktop_.log;
    ScriptedDialogs &dialogs_ = desktop_.dialogs;
    ScriptedClipboard &clipboard_ = desktop_.clipboard;
    ScriptedSettingsStore &userSettings_ = desktop_.userSettings;
    ScriptedSettingsStore &machineSettings_ = desktop_.machineSettings;
    std::deque<QJsonValue> windowAnswers_;
    QStringList args_; // the program's command-line arguments
    std::unique_ptr<MainWindow> window_;
    std::unique_ptr<QObject> dialogWatcher_;
};

} // namespace quenbry
