#include "replaydriver.h"

#include "findui/findbar.h"
#include "info/ownersettings.h"
#include "info/splashwindow.h"
#include "platform/filenames.h"
#include "platform/imagebutton.h"
#include "preview/pageview.h"
#include "shell/commandline.h"
#include "shell/commandtable.h"
#include "shell/mainwindow.h"
#include "status/statusline.h"
#include "testsupport/colourletters.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QProgressDialog>
#include <QTest>
#include <QTimer>

#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace quenbry {

namespace {

QString colourName(Rgb c) {
    return QColor::fromRgb(c).name(QColor::HexRgb);
}

// The state's top-level keys, in the order a dump prints them.
const QStringList stateKeys{
    "text",     "selStart",    "selLength", "colours",   "typing", "title",  "fileName", "modified",
    "trapUndo", "undoStack",   "redoStack", "commands",  "window", "editor", "preview",  "find",
    "status",   "lineNumbers", "recent",    "clipboard", "ended",  "events"};

const char *lineEndsName(LineEnds ends) {
    switch (ends) {
    case LineEnds::CrLf:
        return "CRLF";
    case LineEnds::Lf:
        return "LF";
    case LineEnds::Cr:
        return "CR";
    case LineEnds::Mixed:
        return "mixed";
    case LineEnds::None:
        break;
    }
    return "none";
}

QJsonValue toQJson(const Json &j) {
    return QJsonDocument::fromJson(("[" + j.serialize() + "]").toUtf8()).array().at(0);
}

QString toText(const QJsonValue &v) {
    if (v.isUndefined())
        return QStringLiteral("(nothing)");
    const QByteArray a = QJsonDocument(QJsonArray{v}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(a.mid(1, a.size() - 2));
}

// Where two strings first differ, so that a long text or colour string points at the fault.
QString firstDifference(const QJsonValue &expected, const QJsonValue &actual) {
    if (!expected.isString() || !actual.isString())
        return {};
    const QString e = expected.toString(), a = actual.toString();
    qsizetype i = 0;
    while (i < e.size() && i < a.size() && e[i] == a[i])
        ++i;
    return QStringLiteral("\n  first difference at offset %1").arg(i);
}

// A script's paths are file names as the program holds them: U+DC80..U+DCFF stand for the bytes
// that are not UTF-8, as in a name from the command line.
QFile *openFile(QFile &file, const QString &path, int flags, QIODevice::OpenMode mode) {
    const int fd = ::open(fileNameToBytes(path).constData(), flags | O_CLOEXEC, 0666);
    if (fd >= 0 && !file.open(fd, mode, QFileDevice::AutoCloseHandle))
        ::close(fd);
    return file.isOpen() ? &file : nullptr;
}

bool fileExists(const QString &path) {
    struct stat st {};
    return ::stat(fileNameToBytes(path).constData(), &st) == 0;
}

// Reads the words and JSON values of one script line.
class Tokens {
public:
    explicit Tokens(const QString &line)
        : s_(line) {}

    bool atEnd() {
        skipSpace();
        return i_ >= s_.size();
    }
    QString word() {
        skipSpace();
        const qsizetype start = i_;
        while (i_ < s_.size() && !s_[i_].isSpace())
            ++i_;
        if (start == i_)
            throw ScriptError("missing argument");
        return s_.mid(start, i_ - start);
    }
    QString text() {
        skipSpace();
        if (i_ >= s_.size() || s_[i_] != u'"')
            throw ScriptError("expected a JSON string");
        qsizetype j = i_ + 1;
        while (j < s_.size() && s_[j] != u'"')
            j += s_[j] == u'\\' ? 2 : 1;
        if (j >= s_.size())
            throw ScriptError("unterminated string");
        const QJsonValue v = parse(s_.mid(i_, j + 1 - i_));
        i_ = j + 1;
        return v.toString();
    }
    // A word, or a JSON string when it starts with a quote.
    QString textOrWord() {
        skipSpace();
        return i_ < s_.size() && s_[i_] == u'"' ? text() : word();
    }
    int number() {
        bool ok = false;
        const int n = word().toInt(&ok);
        if (!ok)
            throw ScriptError("expected a number");
        return n;
    }
    QJsonValue json() {
        skipSpace();
        const QJsonValue v = parse(s_.mid(i_));
        i_ = s_.size();
        return v;
    }
    void end() {
        if (!atEnd())
            throw ScriptError("unexpected text after the arguments");
    }

private:
    static QJsonValue parse(const QString &text) {
        QJsonParseError err;
        const QJsonDocument doc = QJsonDocument::fromJson(("[" + text + "]").toUtf8(), &err);
        if (err.error != QJsonParseError::NoError || doc.array().size() != 1)
            throw ScriptError("bad JSON value");
        return doc.array().at(0);
    }
    void skipSpace() {
        while (i_ < s_.size() && s_[i_].isSpace())
            ++i_;
    }
    QString s_;
    qsizetype i_ = 0;
};

// Watches for the program's own modal windows and answers them from the script, once per
// window (a new window may well be built where the last one stood in memory).
class DialogWatcher : public QObject {
public:
    explicit DialogWatcher(std::function<void(QWidget *)> handle)
        : handle_(std::move(handle)) {}

protected:
    bool eventFilter(QObject *o, QEvent *e) override {
        if (e->type() == QEvent::Show) {
            auto *d = qobject_cast<QDialog *>(o);
            // A progress window asks nothing: it runs until its job ends.
            if (d && d->isWindow() && !qobject_cast<QProgressDialog *>(d) &&
                !d->property(answeredProperty).toBool()) {
                d->setProperty(answeredProperty, true);
                QPointer<QDialog> guard(d);
                QTimer::singleShot(0, d, [this, guard] {
                    if (guard)
                        handle_(guard);
                });
            }
        }
        return false;
    }

private:
    static constexpr const char *answeredProperty = "replayAnswered";
    std::function<void(QWidget *)> handle_;
};

} // namespace

ReplayDriver::ReplayDriver(QTextStream &out)
    : out_(out) {
    log_.base = QDir::current();
    dialogWatcher_ = std::make_unique<DialogWatcher>([this](QWidget *w) { handleOwnWindow(w); });
    qApp->installEventFilter(dialogWatcher_.get());
}

ReplayDriver::~ReplayDriver() {
    qApp->removeEventFilter(dialogWatcher_.get());
    window_.reset();
}

MainWindow &ReplayDriver::window() {
    if (!window_)
        start();
    return *window_;
}

void ReplayDriver::start(const QString &how, const QString &target) {
    if (window_)
        throw ScriptError("the program has already started");
    const Owner owner = readOwner(userSettings_, dialogs_);
    // The timer fires as soon as the event loop runs: a script does not wait for it, and a
    // press that does not hand over still leaves it to the timer.
    const CommandLine commandLine =
        parseCommandLine(QStringList(QStringLiteral("quenbry")) + args_);
    if (commandLine.action != CommandLine::Start)
        throw ScriptError("args: the program would not start: " +
                          commandLine.message.toStdString());
    auto *splash = new SplashWindow(owner, std::chrono::milliseconds(0));
    splash->onOpenMain = [this, splash, commandLine](SplashWindow::HandOff by) {
        static const char *closedBy[] = {"timer", "key", "click"};
        Json labels = Json::object();
        for (const char *name : {"lbl2", "lbl3", "lbl4"})
            labels.set(name, splash->findChild<QLabel *>(QLatin1String(name))->text());
        log_.events.push_back(Json::object()
                                  .set("kind", "window")
                                  .set("name", splash->objectName())
                                  .set("labels", labels)
                                  .set("closedBy", closedBy[int(by)]));
        window_ = std::make_unique<MainWindow>(desktop_.services());
        window_->onEndProcess = [] {
        };
        window_->startUp(commandLine.file);
    };
    QPointer<SplashWindow> guard(splash);
    splash->show();
    pressOnSplash(splash, how, target);
    if (!QTest::qWaitFor([this] { return window_ != nullptr; }, 10000))
        throw ScriptError("start: the splash never handed over");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    if (guard)
        throw ScriptError("start: the splash is still there after the hand-off");
    window_->activateWindow();
    QApplication::setActiveWindow(window_.get());
}

void ReplayDriver::pressOnSplash(QWidget *splash, const QString &how, const QString &target) {
    if (how == QLatin1String("key")) {
        // Keys that type nothing have no key sequence of their own.
        static const QHash<QString, Qt::Key> modifierKeys{
            {"Shift", Qt::Key_Shift}, {"Ctrl", Qt::Key_Control}, {"Alt", Qt::Key_Alt}};
        if (target.isEmpty()) {
            QTest::keyClick(splash, Qt::Key_A);
        } else if (modifierKeys.contains(target)) {
            QTest::keyClick(splash, modifierKeys.value(target));
        } else {
            const QKeySequence seq = QKeySequence::fromString(target, QKeySequence::PortableText);
            if (seq.count() != 1 || seq[0].key() == Qt::Key_unknown)
                throw ScriptError("start key: unknown key");
            QTest::keyClick(splash, seq[0].key(), seq[0].keyboardModifiers());
        }
    } else if (how == QLatin1String("click")) {
        QWidget *on = splash;
        if (!target.isEmpty()) {
            on = splash->findChild<QLabel *>(target);
            if (!on)
                throw ScriptError("start click: the splash has no label " + target.toStdString());
        }
        // The picture's open middle on the left, or the middle of the label.
        const QPoint at =
            on == splash ? QPoint(splash->width() / 4, splash->height() / 2) : on->rect().center();
        QTest::mousePress(on, Qt::LeftButton, Qt::NoModifier, at);
    } else if (!how.isEmpty()) {
        throw ScriptError("start: expected key or click");
    }
}

void ReplayDriver::run(const QString &line) {
    Tokens t(line);
    if (t.atEnd() || line.trimmed().startsWith(u'#'))
        return;
    const QString cmd = t.word();
    if (cmd == QLatin1String("setting")) {
        const QString store = t.word();
        const QString key = t.text();
        const QString name = t.text();
        const QJsonValue v = t.json();
        if (window_)
            throw ScriptError("settings must come before start");
        ScriptedSettingsStore *s = store == QLatin1String("user")      ? &userSettings_
                                   : store == QLatin1String("machine") ? &machineSettings_
                                                                       : nullptr;
        if (!s)
            throw ScriptError("setting: expected user or machine");
        QVariant value;
        if (v.isString())
            value = v.toString();
        else if (v.isDouble())
            value = qint64(v.toDouble());
        else if (!v.isNull())
            throw ScriptError("setting: expected a string, a number or null");
        s->setValue(key, name, value);
    } else if (cmd == QLatin1String("write") || cmd == QLatin1String("writehex")) {
        const QString path = t.textOrWord();
        const QString data = t.text();
        t.end();
        QByteArray bytes;
        if (cmd == QLatin1String("writehex")) {
            bytes = QByteArray::fromHex(data.toLatin1());
            if (bytes.toHex() != data.toLower().toLatin1())
                throw ScriptError("writehex: bad hex");
        } else {
            for (QChar c : data) {
                if (c.unicode() > 0xff)
                    throw ScriptError("write: characters must be at most U+00FF");
                bytes.append(char(c.unicode()));
            }
        }
        QFile f;
        if (!openFile(f, path, O_WRONLY | O_CREAT | O_TRUNC, QIODevice::WriteOnly) ||
            f.write(bytes) != bytes.size())
            throw ScriptError("write: cannot write the file");
    } else if (cmd == QLatin1String("activate")) {
        t.end();
        // Away to another program and back: what the window does on its return runs too.
        MainWindow &w = window();
        QApplication::setActiveWindow(nullptr);
        QCoreApplication::processEvents();
        QApplication::setActiveWindow(&w);
        QCoreApplication::processEvents();
    } else if (cmd == QLatin1String("clipboard")) {
        clipboard_.setText(t.text());
        t.end();
    } else if (cmd == QLatin1String("clipboard-image")) {
        t.end();
        clipboard_.setImageOnly();
    } else if (cmd == QLatin1String("args")) {
        if (window_)
            throw ScriptError("args must come before start");
        while (!t.atEnd())
            args_ << t.text();
    } else if (cmd == QLatin1String("start")) {
        const QString how = t.atEnd() ? QString() : t.word();
        const QString target = t.atEnd() ? QString() : t.word();
        t.end();
        start(how, target);
    } else if (cmd == QLatin1String("type")) {
        const QString text = t.text();
        t.end();
        typeText(text);
    } else if (cmd == QLatin1String("key")) {
        const QString k = t.word();
        t.end();
        pressKey(k);
    } else if (cmd == QLatin1String("select")) {
        const int start = t.number(), length = t.number();
        t.end();
        EditorCore *e = window().editor();
        e->setSelStart(start);
        e->setSelLength(length);
    } else if (cmd == QLatin1String("menu")) {
        const QString name = t.word();
        t.end();
        clickMenu(name);
    } else if (cmd == QLatin1String("button")) {
        const QString name = t.word();
        t.end();
        clickButton(name);
    } else if (cmd == QLatin1String("field")) {
        const QString name = t.word();
        setField(name, t.json());
    } else if (cmd == QLatin1String("rightclick")) {
        t.end();
        releaseMouse(Qt::RightButton, true);
    } else if (cmd == QLatin1String("mouseup")) {
        const QString b = t.word();
        t.end();
        const Qt::MouseButton button = b == QLatin1String("left")     ? Qt::LeftButton
                                       : b == QLatin1String("middle") ? Qt::MiddleButton
                                       : b == QLatin1String("right")  ? Qt::RightButton
                                                                      : Qt::NoButton;
        if (button == Qt::NoButton)
            throw ScriptError("mouseup: expected left, middle or right");
        releaseMouse(button, false);
    } else if (cmd == QLatin1String("resize")) {
        const int w = t.number(), h = t.number();
        t.end();
        window().resizeTwips(w, h);
    } else if (cmd == QLatin1String("wait")) {
        const int ms = t.number();
        t.end();
        window();
        QTest::qWait(ms);
    } else if (cmd == QLatin1String("close")) {
        t.end();
        if (!window().ended())
            window().close();
    } else if (cmd == QLatin1String("answer")) {
        const QString a = t.word();
        t.end();
        static const QHash<QString, MessageAnswer> answers = {{"yes", MessageAnswer::Yes},
                                                              {"no", MessageAnswer::No},
                                                              {"cancel", MessageAnswer::Cancel},
                                                              {"ok", MessageAnswer::Ok}};
        if (!answers.contains(a))
            throw ScriptError("answer: expected yes, no, cancel or ok");
        dialogs_.queueAnswer(answers.value(a));
    } else if (cmd == QLatin1String("filename")) {
        const QString name = t.textOrWord();
        t.end();
        if (name == QLatin1String("cancel"))
            dialogs_.queueFileName(std::nullopt);
        else
            dialogs_.queueFileName(name);
    } else if (cmd == QLatin1String("dialog")) {
        const QJsonValue v = t.json();
        if (!v.isObject())
            throw ScriptError("dialog: expected a JSON object");
        windowAnswers_.push_back(v);
    } else if (cmd == QLatin1String("printer")) {
        const QString how = t.word();
        if (how == QLatin1String("ok")) {
            dialogs_.queuePrinter(t.textOrWord());
        } else if (how == QLatin1String("cancel")) {
            dialogs_.queuePrinter(std::nullopt);
        } else {
            throw ScriptError("printer: expected ok or cancel");
        }
        t.end();
    } else if (cmd == QLatin1String("dump")) {
        QStringList keys;
        while (!t.atEnd())
            keys << t.word();
        dump(keys);
    } else if (cmd == QLatin1String("expect")) {
        const QString what = t.word();
        if (what == QLatin1String("file")) {
            const QString path = t.textOrWord();
            expectFile(path, t.json());
        } else if (what == QLatin1String("pdf")) {
            const QString path = t.textOrWord();
            expectPdf(path, t.json());
        } else {
            expect(what, t.json());
        }
    } else if (cmd == QLatin1String("file")) {
        const QString path = t.textOrWord();
        t.end();
        printFile(path);
    } else {
        throw ScriptError("unknown command");
    }
}

void ReplayDriver::typeText(const QString &text) {
    EditorView *e = window().editorView();
    for (QChar c : text) {
        switch (c.unicode()) {
        case '\n':
        case '\r':
            QTest::keyClick(e, Qt::Key_Return);
            break;
        case '\t':
            QTest::keyClick(e, Qt::Key_Tab);
            break;
        case '\b':
            QTest::keyClick(e, Qt::Key_Backspace);
            break;
        default: {
            const QString s(c);
            const int key = c.unicode() < 0x80 && c.isLetterOrNumber()
                                ? QKeySequence(c.toUpper()).operator[](0).key()
                                : 0;
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, s);
            QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, s);
            QApplication::sendEvent(e, &press);
            QApplication::sendEvent(e, &release);
        }
        }
    }
}

void ReplayDriver::pressKey(const QString &key) {
    const QKeySequence seq = QKeySequence::fromString(key, QKeySequence::PortableText);
    if (seq.count() != 1 || seq[0].key() == Qt::Key_unknown)
        throw ScriptError("key: unknown key");
    MainWindow &w = window();
    // A desktop gives the activation back to the main window when a modal window of its own
    // closes; the offscreen platform leaves no window active, and shortcuts would go nowhere.
    if (!QApplication::activeWindow())
        QApplication::setActiveWindow(&w);
    QWidget *target = w.focusWidget() ? w.focusWidget() : w.editorView();
    QTest::keyClick(target, seq[0].key(), seq[0].keyboardModifiers());
}

void ReplayDriver::clickMenu(const QString &name) {
    QAction *a = window().menuItem(name);
    if (!a)
        throw ScriptError("menu: no such item");
    if (a->menu() || a->isSeparator())
        return;
    // Qt disables hidden items by itself; the script may still click them, and only an item
    // the program disabled does nothing.
    if (a->isEnabled() || !a->isVisible())
        a->trigger();
}

void ReplayDriver::clickButton(const QString &name) {
    MainWindow &w = window();
    if (ImageButton *b = w.toolButton(name)) {
        if (b->isEnabled() && !b->isHidden())
            b->click();
        return;
    }
    if (QAbstractButton *b = w.hiddenButton(name)) {
        if (b->isEnabled())
            b->click();
        return;
    }
    // The window's other buttons (the find bar's), as a person clicks them: only when shown.
    for (QAbstractButton *b : w.findChildren<QAbstractButton *>(name)) {
        if (b->window() != &w)
            continue;
        if (b->isVisible() && b->isEnabled())
            b->click();
        return;
    }
    throw ScriptError("button: no such button");
}

void ReplayDriver::setField(const QString &name, const QJsonValue &value) {
    MainWindow &w = window();
    QWidget *field = nullptr;
    for (QWidget *candidate : w.findChildren<QWidget *>(name))
        if (candidate->window() == &w && candidate != w.editorView())
            field = candidate;
    if (!field)
        throw ScriptError("field: the main window has no field " + name.toStdString());
    if (!field->isVisible() || !field->isEnabled())
        throw ScriptError("field: " + name.toStdString() + " is hidden or disabled");
    if (auto *edit = qobject_cast<QLineEdit *>(field)) {
        if (!value.isString())
            throw ScriptError("field: a line edit takes a JSON string");
        // As a user replaces a field's text: all of it selected, then the new one typed over it.
        edit->setFocus();
        edit->selectAll();
        const QString text = value.toString();
        if (text.isEmpty() && !edit->text().isEmpty())
            QTest::keyClick(edit, Qt::Key_Backspace);
        for (QChar c : text) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(edit, &press);
            QApplication::sendEvent(edit, &release);
        }
    } else if (auto *box = qobject_cast<QCheckBox *>(field)) {
        if (!value.isBool())
            throw ScriptError("field: a check box takes true or false");
        if (box->isChecked() != value.toBool())
            box->click();
    } else if (auto *combo = qobject_cast<QComboBox *>(field)) {
        const int index = combo->findText(value.toString());
        if (!value.isString() || index < 0)
            throw ScriptError("field: the combo box has no such entry");
        combo->setCurrentIndex(index);
    } else {
        throw ScriptError("field: " + name.toStdString() + " is not a field");
    }
}

void ReplayDriver::releaseMouse(Qt::MouseButton button, bool press) {
    QWidget *vp = window().editorView()->viewport();
    const QPointF pos(vp->width() / 2.0, vp->height() / 2.0);
    const QPointF global = vp->mapToGlobal(pos);
    if (press) {
        QMouseEvent down(QEvent::MouseButtonPress, pos, global, button, button, Qt::NoModifier);
        QApplication::sendEvent(vp, &down);
    }
    QMouseEvent up(QEvent::MouseButtonRelease, pos, global, button, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(vp, &up);
}

void ReplayDriver::handleOwnWindow(QWidget *dialog) {
    Json e = Json::object();
    e.set("kind", "window").set("name", dialog->objectName()).set("caption", dialog->windowTitle());
    Json fields = Json::object();
    bool hasFields = false;
    for (QWidget *child : dialog->findChildren<QWidget *>()) {
        if (auto *le = qobject_cast<QLineEdit *>(child)) {
            if (!le->objectName().isEmpty() && !qobject_cast<QComboBox *>(le->parent())) {
                fields.set(le->objectName(), le->text());
                hasFields = true;
            }
        } else if (auto *cb = qobject_cast<QComboBox *>(child)) {
            hasFields = true;
            QStringList entries;
            for (int i = 0; i < cb->count(); ++i)
                entries << cb->itemText(i);
            fields.set(cb->objectName(), Json(entries));
        }
    }
    Json labels = Json::object();
    for (QLabel *l : dialog->findChildren<QLabel *>())
        if (!l->objectName().isEmpty())
            labels.set(l->objectName(), l->text());
    // A window is described by what the user fills in, or, with nothing to fill in (the About
    // box), by its buttons.
    if (hasFields)
        e.set("fields", fields);
    e.set("labels", labels);
    if (!hasFields) {
        Json buttons = Json::object();
        for (ImageButton *b : dialog->findChildren<ImageButton *>())
            buttons.set(b->objectName(), b->text());
        e.set("buttons", buttons);
    }
    if (windowAnswers_.empty()) {
        e.set("answer", "default");
        log_.events.push_back(std::move(e));
        dialog->close();
        return;
    }
    log_.events.push_back(std::move(e));
    const QJsonObject answer = windowAnswers_.front().toObject();
    windowAnswers_.pop_front();
    const QJsonObject set = answer.value("set").toObject();
    for (auto it = set.begin(); it != set.end(); ++it) {
        QWidget *w = dialog->findChild<QWidget *>(it.key());
        if (auto *le = qobject_cast<QLineEdit *>(w))
            le->setText(it.value().toString());
        else if (auto *cb = qobject_cast<QComboBox *>(w))
            cb->setCurrentIndex(cb->findText(it.value().toString()));
    }
    QPointer<QWidget> guard(dialog);
    for (const QJsonValue &p : answer.value("press").toArray()) {
        if (!guard || !guard->isVisible())
            break;
        if (auto *b = guard->findChild<QAbstractButton *>(p.toString()))
            b->click();
    }
    if (guard && guard->isVisible())
        guard->close();
}

Json ReplayDriver::commandsJson(const QString &only) {
    MainWindow &w = window();
    Json commands = Json::object();
    // Menu items in menu order, then the toolbar from left to right, then the hidden buttons
    // in the order of their names.
    std::vector<const CommandRow *> toolbar, hidden;
    for (const CommandRow &row : commandTable) {
        if (row.toolButton.name)
            toolbar.push_back(&row);
        if (row.hiddenButton)
            hidden.push_back(&row);
        const QString name = QString::fromLatin1(row.name);
        if (!only.isEmpty() && name != only)
            continue;
        const QAction *a = w.menuItem(name);
        Json item = Json::object();
        item.set("caption", a->isSeparator() ? QStringLiteral("-") : a->text());
        item.set("shortcut", a->shortcut().toString(QKeySequence::PortableText));
        // Qt reports a hidden action as disabled; the program never disables a hidden item, so
        // its own flag is still the enabled one it was built with.
        item.set("enabled", a->isVisible() ? a->isEnabled() : true).set("visible", a->isVisible());
        item.set("checked", a->isChecked());
        commands.set(name, item);
    }
    std::stable_sort(toolbar.begin(), toolbar.end(), [](const CommandRow *a, const CommandRow *b) {
        return a->toolButton.left < b->toolButton.left;
    });
    for (const CommandRow *row : toolbar) {
        const QString name = QString::fromLatin1(row->toolButton.name);
        if (!only.isEmpty() && name != only)
            continue;
        const ImageButton *b = w.toolButton(name);
        const QRect g = b->geometryTwips();
        commands.set(name, Json::object()
                               .set("tooltip", b->toolTip())
                               .set("enabled", b->isEnabled())
                               .set("visible", !b->isHidden())
                               .set("left", g.left())
                               .set("top", g.top())
                               .set("width", g.width())
                               .set("height", g.height()));
    }
    // Command1 … Command11 by their number, then the named ones.
    const auto number = [](const CommandRow *row) {
        const QString name = QString::fromLatin1(row->hiddenButton);
        return name.startsWith(QLatin1String("Command")) ? name.mid(7).toInt() : INT_MAX;
    };
    std::stable_sort(hidden.begin(), hidden.end(), [&](const CommandRow *a, const CommandRow *b) {
        return number(a) < number(b);
    });
    for (const CommandRow *row : hidden) {
        const QString name = QString::fromLatin1(row->hiddenButton);
        if (!only.isEmpty() && name != only)
            continue;
        commands.set(name, Json::object().set("enabled", w.hiddenButton(name)->isEnabled()));
    }
    return commands;
}

Json ReplayDriver::stateValue(const QString &key, const QString &only) {
    MainWindow &w = window();
    const EditorCore *e = w.editor();
    if (key == QLatin1String("text"))
        return e->text();
    if (key == QLatin1String("selStart"))
        return e->selStart();
    if (key == QLatin1String("selLength"))
        return e->selLength();
    if (key == QLatin1String("colours")) {
        Json colours = Json::array();
        for (const ColourRun &r : e->colourRuns())
            colours.append(
                Json::array().append(r.start).append(r.length).append(colourName(r.colour)));
        return colours;
    }
    if (key == QLatin1String("typing")) {
        const TypingState typing = w.session().colouring().typingState();
        return Json::object()
            .set("InTag", typing.inTag)
            .set("InValue", typing.inValue)
            .set("InQuote", typing.inQuote)
            .set("InComment", typing.inComment)
            .set("InScript", typing.inScript);
    }
    if (key == QLatin1String("title"))
        return w.windowTitle();
    if (key == QLatin1String("fileName"))
        return log_.display(w.document().fileName());
    if (key == QLatin1String("modified"))
        return w.modified();
    if (key == QLatin1String("trapUndo"))
        return w.session().isRecording();
    if (key == QLatin1String("undoStack") || key == QLatin1String("redoStack")) {
        const std::vector<UndoElement> &elements = key == QLatin1String("undoStack")
                                                       ? w.session().history().undoStack()
                                                       : w.session().history().redoStack();
        Json a = Json::array();
        for (const UndoElement &u : elements)
            a.append(Json::object().set("selStart", u.selStart).set("textLen", u.textLen));
        return a;
    }
    if (key == QLatin1String("commands"))
        return commandsJson(only);
    if (key == QLatin1String("window")) {
        const QSize outer = w.outerSizeTwips();
        return Json::object()
            .set("width", outer.width())
            .set("height", outer.height())
            .set("background", w.palette().color(QPalette::Window).name());
    }
    if (key == QLatin1String("editor")) {
        const QRect g = w.editorTwips();
        return Json::object()
            .set("left", g.left())
            .set("top", g.top())
            .set("width", g.width())
            .set("height", g.height())
            .set("background", w.editorView()->backgroundColour().name())
            .set("focus", w.focusWidget() == w.editorView());
    }
    if (key == QLatin1String("preview")) {
        const QString path = w.preview().file().path();
        const PageView *view = w.preview().pane()->pageView();
        return Json::object()
            .set("visible", w.preview().isVisible())
            .set("file", log_.display(path))
            .set("exists", QFileInfo::exists(path))
            .set("title", view ? view->title() : QString());
    }
    if (key == QLatin1String("find")) {
        const FindBar *bar = w.findBar();
        return Json::object()
            .set("visible", bar->isVisible())
            .set("replaceVisible", bar->isVisible() && bar->replaceShown())
            .set("text", bar->findField()->text())
            .set("replace", bar->replaceField()->text())
            .set("matchCase", bar->matchCase()->isChecked())
            .set("wholeWord", bar->wholeWord()->isChecked())
            .set("regex", bar->regex()->isChecked())
            .set("status", bar->status())
            .set("matches", w.finder().matchCount());
    }
    if (key == QLatin1String("status")) {
        const StatusLine::State &s = w.statusLine()->state();
        return Json::object()
            .set("line", s.line)
            .set("column", s.column)
            .set("selected", s.selected)
            .set("lineEnds", lineEndsName(s.lineEnds))
            .set("encoding", s.encoding);
    }
    if (key == QLatin1String("lineNumbers"))
        return w.editorView()->lineNumbersShown();
    if (key == QLatin1String("recent")) {
        Json recent = Json::array();
        for (const QString &path : w.recentPages().paths())
            recent.append(log_.display(path));
        return recent;
    }
    if (key == QLatin1String("clipboard"))
        return clipboard_.text();
    if (key == QLatin1String("ended"))
        return w.ended();
    if (key == QLatin1String("events")) {
        Json events = Json::array();
        for (const Json &ev : log_.events)
            events.append(ev);
        return events;
    }
    throw ScriptError("unknown key " + key.toStdString());
}

void ReplayDriver::dump(const QStringList &keys) {
    for (const QString &k : keys)
        if (!stateKeys.contains(k))
            throw ScriptError("dump: unknown key " + k.toStdString());
    Json d = Json::object();
    for (const QString &k : stateKeys)
        if (keys.isEmpty() || keys.contains(k))
            d.set(k, stateValue(k));
    // Printed events are no longer pending; a dump without them leaves them for a later one.
    if (keys.isEmpty() || keys.contains(QLatin1String("events")))
        log_.take();
    out_ << d.serialize() << '\n';
    out_.flush();
}

void ReplayDriver::expect(const QString &path, const QJsonValue &expected) {
    const QStringList steps = path.split(u'.');
    const QString &key = steps.first();
    if (!stateKeys.contains(key))
        throw ScriptError("expect: unknown key " + key.toStdString());
    QJsonValue actual;
    if (key == QLatin1String("colours") && steps.size() == 1 && expected.isString()) {
        QString letters;
        for (const ColourRun &r : window().editor()->colourRuns())
            letters += QString(r.length, colourLetter(r.colour));
        actual = letters;
    } else {
        actual = toQJson(stateValue(key, steps.size() > 1 ? steps[1] : QString()));
        for (qsizetype i = 1; i < steps.size() && !actual.isUndefined(); ++i) {
            bool isIndex = false;
            const int index = steps[i].toInt(&isIndex);
            actual = actual.isArray() && isIndex ? actual.toArray().at(index)
                     : actual.isObject()         ? actual.toObject().value(steps[i])
                                                 : QJsonValue(QJsonValue::Undefined);
        }
    }
    if (actual == expected)
        return;
    throw ScriptError(
        QStringLiteral("expect %1 failed\n  expected: %2\n  actual:   %3%4")
            .arg(path, toText(expected), toText(actual), firstDifference(expected, actual))
            .toStdString());
}

// A file's bytes as lower-case hex, or null when there is no such file.
void ReplayDriver::expectFile(const QString &path, const QJsonValue &expected) {
    if (!expected.isString() && !expected.isNull())
        throw ScriptError("expect file: expected a hex string or null");
    QJsonValue actual(QJsonValue::Null);
    QFile f;
    if (openFile(f, path, O_RDONLY, QIODevice::ReadOnly))
        actual = QString::fromLatin1(f.readAll().toHex());
    else if (fileExists(path))
        throw ScriptError("expect file: cannot read " + path.toStdString());
    const QJsonValue want =
        expected.isString() ? QJsonValue(expected.toString().toLower()) : expected;
    if (actual == want)
        return;
    throw ScriptError(QStringLiteral("expect file %1 failed\n  expected: %2\n  actual:   %3%4")
                          .arg(path, toText(want), toText(actual), firstDifference(want, actual))
                          .toStdString());
}

// The text of a PDF's pages as pdftotext reads it in the order it was drawn, one array of
// non-empty lines a page; null when there is no such file.
void ReplayDriver::expectPdf(const QString &path, const QJsonValue &expected) {
    QJsonValue actual(QJsonValue::Null);
    if (QFile::exists(path)) {
        QProcess pdftotext;
        pdftotext.start(QStringLiteral("pdftotext"),
                        {QStringLiteral("-raw"), QStringLiteral("-enc"), QStringLiteral("UTF-8"),
                         path, QStringLiteral("-")});
        if (!pdftotext.waitForFinished(60000) || pdftotext.exitStatus() != QProcess::NormalExit ||
            pdftotext.exitCode() != 0)
            throw ScriptError("expect pdf: pdftotext (poppler-utils) could not read " +
                              path.toStdString());
        QStringList pages = QString::fromUtf8(pdftotext.readAllStandardOutput()).split(u'\f');
        pages.removeLast(); // after the last page's form feed
        QJsonArray pageLines;
        for (const QString &page : pages)
            pageLines.append(QJsonArray::fromStringList(page.split(u'\n', Qt::SkipEmptyParts)));
        actual = pageLines;
    }
    if (actual == expected)
        return;
    throw ScriptError(QStringLiteral("expect pdf %1 failed\n  expected: %2\n  actual:   %3")
                          .arg(path, toText(expected), toText(actual))
                          .toStdString());
}

void ReplayDriver::printFile(const QString &path) {
    QFile f;
    Json j = Json::object();
    j.set("file", path);
    if (openFile(f, path, O_RDONLY, QIODevice::ReadOnly)) {
        j.set("exists", true).set("hex", QString::fromLatin1(f.readAll().toHex()));
    } else {
        j.set("exists", fileExists(path)).set("hex", "");
    }
    out_ << j.serialize() << '\n';
    out_.flush();
}

} // namespace quenbry
