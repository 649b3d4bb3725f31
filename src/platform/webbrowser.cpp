#include "webbrowser.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QProcess>
#include <QSocketNotifier>
#include <QStandardPaths>

#include <fcntl.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <vector>

namespace quenbry {

namespace {

// How long a started browser may take to fail before it counts as running: Chromium takes
// over two seconds to refuse to run as root.
constexpr int graceMilliseconds = 5000;

// What a desktop tool answers, trimmed; "" when it is missing, fails or takes too long.
QString ask(const QString &program, const QStringList &arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(5000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        process.kill();
        process.waitForFinished(1000);
        return {};
    }
    return QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
}

// The Exec key's value with the escapes of a desktop entry's values (\s, \n, \t, \r, \\)
// undone; its own quoting is left for the split into arguments.
QString unescapedValue(const QString &value) {
    QString out;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] != u'\\' || i + 1 == value.size()) {
            out += value[i];
            continue;
        }
        switch (value[++i].unicode()) {
        case 's':
            out += u' ';
            break;
        case 'n':
            out += u'\n';
            break;
        case 't':
            out += u'\t';
            break;
        case 'r':
            out += u'\r';
            break;
        case '\\':
            out += u'\\';
            break;
        default:
            out += u'\\';
            out += value[i];
        }
    }
    return out;
}

// The arguments of an Exec value: split at blanks outside double quotes, inside which a
// backslash makes the next ", `, $ or \ literal.
QStringList splitArguments(const QString &exec) {
    QStringList arguments;
    QString current;
    bool quoted = false, started = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec[i];
        if (quoted) {
            if (c == u'"')
                quoted = false;
            else if (c == u'\\' && i + 1 < exec.size() &&
                     QStringLiteral("\"`$\\").contains(exec[i + 1]))
                current += exec[++i];
            else
                current += c;
        } else if (c == u'"') {
            quoted = started = true;
        } else if (c.isSpace()) {
            if (started)
                arguments << current;
            current.clear();
            started = false;
        } else {
            current += c;
            started = true;
        }
    }
    if (started)
        arguments << current;
    return arguments;
}

// Starts the command in a session of its own that outlives this process, through a watcher
// process that waits a moment for it: the watcher tells through a pipe whether the command
// ended with a failure meanwhile (or could not be run at all), then leaves it to the system.
void startWatched(const QStringList &command, const std::function<void()> &failed) {
    QString program = command.front();
    if (!program.contains(u'/'))
        program = QStandardPaths::findExecutable(program);
    if (program.isEmpty() || !QFileInfo(program).isExecutable()) {
        failed();
        return;
    }
    // Everything the processes need is ready before they fork: between fork and exec only
    // async-signal-safe calls are made.
    std::vector<QByteArray> bytes{QFile::encodeName(program)};
    for (qsizetype i = 1; i < command.size(); ++i)
        bytes.push_back(QFile::encodeName(command[i]));
    std::vector<char *> argv;
    for (QByteArray &b : bytes)
        argv.push_back(b.data());
    argv.push_back(nullptr);
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        failed();
        return;
    }
    const pid_t watcher = ::fork();
    if (watcher == 0) {
        ::setsid();
        const pid_t browser = ::fork();
        if (browser == 0) {
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        char verdict = browser < 0 ? 'F' : 'S';
        for (int waited = 0; browser > 0 && waited < graceMilliseconds; waited += 50) {
            int status = 0;
            if (::waitpid(browser, &status, WNOHANG) == browser) {
                verdict = WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 'S' : 'F';
                break;
            }
            const timespec pause{0, 50 * 1000 * 1000};
            ::nanosleep(&pause, nullptr);
        }
        [[maybe_unused]] const ssize_t written = ::write(fds[1], &verdict, 1);
        ::_exit(0);
    }
    ::close(fds[1]);
    if (watcher < 0) {
        ::close(fds[0]);
        failed();
        return;
    }
    auto *notifier = new QSocketNotifier(fds[0], QSocketNotifier::Read);
    QObject::connect(notifier, &QSocketNotifier::activated, notifier,
                     [notifier, watcher, failed, fd = fds[0]] {
                         notifier->setEnabled(false);
                         char verdict = 'F';
                         if (::read(fd, &verdict, 1) != 1)
                             verdict = 'F';
                         ::close(fd);
                         ::waitpid(watcher, nullptr, 0);
                         notifier->deleteLater();
                         if (verdict != 'S')
                             failed();
                     });
}

} // namespace

QStringList desktopEntryCommand(const QString &entryText, const QUrl &url) {
    QString exec;
    bool inEntry = false;
    for (const QString &raw : entryText.split(u'\n')) {
        const QString line = raw.trimmed();
        if (line.startsWith(u'['))
            inEntry = line == QLatin1String("[Desktop Entry]");
        else if (inEntry && line.section(u'=', 0, 0).trimmed() == QLatin1String("Exec"))
            exec = line.section(u'=', 1).trimmed();
        if (!exec.isEmpty())
            break;
    }
    const QString address = url.toString(QUrl::FullyEncoded);
    const QString file = url.isLocalFile() ? url.toLocalFile() : address;
    QStringList command;
    bool given = false;
    for (const QString &argument : splitArguments(unescapedValue(exec))) {
        QString out;
        bool onlyCodes = true;
        for (qsizetype i = 0; i < argument.size(); ++i) {
            if (argument[i] != u'%' || i + 1 == argument.size()) {
                out += argument[i];
                onlyCodes = false;
                continue;
            }
            const QChar code = argument[++i];
            if (code == u'u' || code == u'U' || code == u'f' || code == u'F') {
                out += code.toLower() == u'u' ? address : file;
                given = true;
                onlyCodes = false;
            } else if (code == u'%') {
                out += u'%';
                onlyCodes = false;
            }
            // Other codes (%i, %c, %k and the deprecated ones) name nothing a page needs.
        }
        if (!onlyCodes)
            command << out;
    }
    if (!command.isEmpty() && !given)
        command << address;
    return command;
}

QString WebBrowser::defaultEntry() const {
    QString entry = ask(QStringLiteral("xdg-settings"),
                        {QStringLiteral("get"), QStringLiteral("default-web-browser")});
    if (entry.isEmpty())
        entry = ask(QStringLiteral("xdg-mime"), {QStringLiteral("query"), QStringLiteral("default"),
                                                 QStringLiteral("x-scheme-handler/https")});
    entry = entry.section(u';', 0, 0).trimmed();
    return entry == ownEntry_ ? QString() : entry;
}

void WebBrowser::open(const QUrl &url, std::function<void()> failed) const {
    QStringList command;
    if (const QString entry = defaultEntry(); !entry.isEmpty()) {
        QFile file(QStandardPaths::locate(QStandardPaths::ApplicationsLocation, entry));
        if (file.open(QIODevice::ReadOnly))
            command = desktopEntryCommand(QString::fromUtf8(file.read(1 << 20)), url);
    }
    // An entry that starts this very program under another name is no browser either.
    const QString self = QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath();
    if (!command.isEmpty()) {
        const QString program = command.front().contains(u'/')
                                    ? command.front()
                                    : QStandardPaths::findExecutable(command.front());
        if (QFileInfo(program).canonicalFilePath() == self)
            command.clear();
    }
    if (command.isEmpty()) {
        // xdg-open hands a file to the program for its type, which may be this editor.
        const QString type = QMimeDatabase().mimeTypeForUrl(url).name();
        const QString handler =
            url.isLocalFile() ? ask(QStringLiteral("xdg-mime"),
                                    {QStringLiteral("query"), QStringLiteral("default"), type})
                              : QString();
        if (!ownEntry_.isEmpty() && handler.section(u';', 0, 0).trimmed() == ownEntry_) {
            failed();
            return;
        }
        command = QStringList{QStringLiteral("xdg-open"), url.toString(QUrl::FullyEncoded)};
    }
    startWatched(command, failed);
}

} // namespace quenbry
