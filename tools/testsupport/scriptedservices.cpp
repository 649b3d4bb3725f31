#include "scriptedservices.h"

#include <QFileInfo>
#include <QMenu>
#include <QPageSize>
#include <QPrinter>

namespace quenbry {

QString EventLog::display(const QString &path) const {
    if (path.isEmpty())
        return path;
    const QString rel = base.relativeFilePath(path);
    return rel.startsWith(QLatin1String("..")) ? path : rel;
}

QString answerName(MessageAnswer a) {
    switch (a) {
    case MessageAnswer::Ok:
        return QStringLiteral("ok");
    case MessageAnswer::Yes:
        return QStringLiteral("yes");
    case MessageAnswer::No:
        return QStringLiteral("no");
    case MessageAnswer::Cancel:
        return QStringLiteral("cancel");
    }
    return {};
}

bool ScriptedDialogs::takeAnswer(bool queued, Json &event, const QString &what) {
    if (queued)
        return true;
    event.set("answer", onUnexpected ? "unexpected" : "default");
    if (onUnexpected)
        onUnexpected(what);
    return false;
}

MessageAnswer ScriptedDialogs::message(QWidget *, const QString &text, const QString &title,
                                       MessageButtons buttons, MessageIcon icon) {
    static const char *buttonNames[] = {"ok", "yesno", "yesnocancel", "yesno"};
    static const char *iconNames[] = {"none", "question", "critical", "information"};
    messages.push_back({text, title, buttons, icon});
    Json e = Json::object();
    // A path in the text is shown as every path is: relative to the base when inside it.
    QString shown = text;
    e.set("kind", "message")
        .set("title", title)
        .set("text", shown.replace(log_.base.absolutePath() + u'/', QString()));
    e.set("buttons", buttonNames[int(buttons)]).set("icon", iconNames[int(icon)]);
    MessageAnswer answer = buttons == MessageButtons::Ok               ? MessageAnswer::Ok
                           : buttons == MessageButtons::YesNoDefaultNo ? MessageAnswer::No
                                                                       : MessageAnswer::Yes;
    if (takeAnswer(!answers_.empty(), e, QStringLiteral("message box: ") + text)) {
        answer = answers_.front();
        answers_.pop_front();
        e.set("answer", answerName(answer));
    } else if (onUnexpected) {
        answer = MessageAnswer::Cancel;
    }
    log_.events.push_back(std::move(e));
    return answer;
}

std::optional<QString> ScriptedDialogs::fileDialog(QWidget *, const FileDialogRequest &req) {
    fileDialogs.push_back(req);
    Json e = Json::object();
    e.set("kind", "filedialog").set("mode", req.mode == FileDialogRequest::Open ? "open" : "save");
    e.set("title", req.title).set("filter", req.filter).set("fileName", log_.display(req.fileName));
    e.set("defaultExt", req.defaultExt);
    std::optional<QString> result;
    if (takeAnswer(!fileNames_.empty(), e, QStringLiteral("file dialog: ") + req.title)) {
        std::optional<QString> typed = fileNames_.front();
        fileNames_.pop_front();
        if (typed) {
            QString name = *typed;
            // The dialog's default extension applies to a name typed without one.
            if (!req.defaultExt.isEmpty() && QFileInfo(name).suffix().isEmpty())
                name += u'.' + req.defaultExt;
            result = log_.base.absoluteFilePath(name);
            e.set("answer", log_.display(*result));
        } else {
            e.set("answer", "cancel");
        }
    }
    log_.events.push_back(std::move(e));
    return result;
}

bool ScriptedDialogs::printDialog(QWidget *, QPrinter &printer, PrintRange range) {
    Json e = Json::object();
    e.set("kind", "printdialog").set("range", range == PrintRange::All ? "all" : "selection");
    bool confirmed = false;
    if (takeAnswer(!printers_.empty(), e, QStringLiteral("print dialog"))) {
        std::optional<QString> pdf = printers_.front();
        printers_.pop_front();
        e.set("answer", pdf ? "ok" : "cancel");
        if (pdf) {
            // "Print to File (PDF)" on A4, as a user picks it in the real dialog.
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(log_.base.absoluteFilePath(*pdf));
            printer.setPageSize(QPageSize(QPageSize::A4));
            confirmed = true;
        }
    }
    log_.events.push_back(std::move(e));
    return confirmed;
}

void ScriptedShell::openPage(const QString &path) {
    log_.events.push_back(Json::object().set("kind", "open").set("path", log_.display(path)));
}

void ScriptedShell::openUrl(const QUrl &url) {
    log_.events.push_back(Json::object().set("kind", "open").set("path", url.toString()));
}

bool ScriptedShell::startProgram(const QString &path) {
    log_.events.push_back(Json::object().set("kind", "start").set("program", log_.display(path)));
    return true;
}

void ScriptedShell::showHelp(const QString &page, int context, const QString &) {
    log_.events.push_back(Json::object()
                              .set("kind", "help")
                              .set("file", page)
                              .set("command", context ? "context" : "index")
                              .set("context", context));
}

void ScriptedMenuPopup::popup(QMenu *menu, const QPoint &) {
    QStringList items;
    for (const QAction *a : menu->actions())
        if (a->isVisible())
            items << (a->menu() ? a->menu()->objectName() : a->objectName());
    log_.events.push_back(Json::object()
                              .set("kind", "popup")
                              .set("menu", menu->objectName())
                              .set("items", Json(items)));
}

bool ScriptedSettingsStore::setValue(const QString &keyPath, const QString &name,
                                     const QVariant &value) {
    auto &values = keys_[keyPath.toLower()];
    if (value.isValid())
        values.insert(name.toLower(), value);
    else
        values.remove(name.toLower());
    return true;
}

QVariant ScriptedSettingsStore::value(const QString &keyPath, const QString &name) const {
    const auto key = keys_.constFind(keyPath.toLower());
    if (key == keys_.constEnd())
        return {};
    return key->value(name.toLower());
}

} // namespace quenbry
