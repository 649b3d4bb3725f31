#include "qtservices.h"

#include "filenames.h"

#include <QClipboard>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMenu>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace quenbry {

MessageAnswer QtDialogs::message(QWidget *owner, const QString &text, const QString &title,
                                 MessageButtons buttons, MessageIcon icon) {
    QMessageBox box(owner);
    box.setText(text);
    box.setWindowTitle(title);
    switch (icon) {
    case MessageIcon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case MessageIcon::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    case MessageIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case MessageIcon::None:
        break;
    }
    switch (buttons) {
    case MessageButtons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        box.setDefaultButton(QMessageBox::Ok);
        break;
    case MessageButtons::YesNo:
    case MessageButtons::YesNoDefaultNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(buttons == MessageButtons::YesNo ? QMessageBox::Yes : QMessageBox::No);
        break;
    case MessageButtons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Yes);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Yes:
        return MessageAnswer::Yes;
    case QMessageBox::No:
        return MessageAnswer::No;
    case QMessageBox::Cancel:
        return MessageAnswer::Cancel;
    default:
        // A Yes/No box closed by Escape or its close box answers No.
        return buttons == MessageButtons::YesNo || buttons == MessageButtons::YesNoDefaultNo
                   ? MessageAnswer::No
               : buttons == MessageButtons::Ok ? MessageAnswer::Ok
                                               : MessageAnswer::Cancel;
    }
}

QString qtFilter(const QString &filter) {
    const QStringList parts = filter.split(u'|');
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        out << QStringLiteral("%1 (%2)").arg(parts[i], QString(parts[i + 1]).replace(u';', u' '));
    return out.join(QLatin1String(";;"));
}

std::optional<QString> QtDialogs::fileDialog(QWidget *owner, const FileDialogRequest &req) {
    QFileDialog dialog(owner, req.title);
    dialog.setNameFilter(qtFilter(req.filter));
    dialog.setAcceptMode(req.mode == FileDialogRequest::Open ? QFileDialog::AcceptOpen
                                                             : QFileDialog::AcceptSave);
    dialog.setFileMode(req.mode == FileDialogRequest::Open ? QFileDialog::ExistingFile
                                                           : QFileDialog::AnyFile);
    // The program asks its own overwrite question.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    dialog.setDefaultSuffix(req.defaultExt);
    if (!req.fileName.isEmpty())
        dialog.selectFile(req.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

bool QtDialogs::printDialog(QWidget *owner, QPrinter &printer, PrintRange range) {
    QPrintDialog dialog(&printer, owner);
    const bool selection = range == PrintRange::Selection;
    dialog.setOption(QAbstractPrintDialog::PrintSelection, selection);
    dialog.setPrintRange(selection ? QAbstractPrintDialog::Selection
                                   : QAbstractPrintDialog::AllPages);
    return dialog.exec() == QDialog::Accepted && printer.isValid();
}

void QtMenuPopup::popup(QMenu *menu, const QPoint &globalPos) {
    menu->exec(globalPos);
}

QtClipboard::QtClipboard() {
    connection_ = QObject::connect(QGuiApplication::clipboard(), &QClipboard::dataChanged,
                                   QGuiApplication::clipboard(), [this] { cached_.reset(); });
}

QtClipboard::~QtClipboard() {
    QObject::disconnect(connection_);
}

void QtClipboard::clear() {
    cached_.reset();
    QGuiApplication::clipboard()->clear();
}

void QtClipboard::setText(const QString &text) {
    cached_.reset();
    QGuiApplication::clipboard()->setText(text);
}

QString QtClipboard::text() const {
    if (!cached_)
        cached_ = QGuiApplication::clipboard()->text();
    return *cached_;
}

void QtShell::browse(const QUrl &url) {
    browser_.open(url, [this] {
        if (onBrowserFailed)
            onBrowserFailed();
    });
}

void QtShell::openPage(const QString &path) {
    browse(localFileUrl(path));
}

void QtShell::openUrl(const QUrl &url) {
    // Another scheme could name a local file or a program's handler, not a web page.
    const QString scheme = url.scheme();
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https"))
        browse(url);
}

bool QtShell::startProgram(const QString &path) {
    return QProcess::startDetached(path, {});
}

void QtShell::showHelp(const QString &page, int, const QString &section) {
    QUrl url = QUrl::fromLocalFile(page);
    if (!section.isEmpty())
        url.setFragment(section);
    browse(url);
}

namespace {

// Settings files are a few kilobytes; QSettings reads a whole file into memory at once.
constexpr qint64 maxSettingsBytes = qint64(16) << 20;

struct Key {
    QString file;  // the INI file
    QString group; // the groups inside it, "" for none
};

// The file and groups of a key path: the first two parts after "Software" name the file, in
// the user's configuration folder or the first of the machine's, where QSettings keeps an
// organisation's application; the rest name its groups. Nothing without an organisation.
std::optional<Key> locate(QSettings::Scope scope, const QString &keyPath) {
    QStringList parts = keyPath.split(u'\\', Qt::SkipEmptyParts);
    if (!parts.isEmpty() &&
        parts.front().compare(QLatin1String("Software"), Qt::CaseInsensitive) == 0)
        parts.removeFirst();
    if (parts.isEmpty())
        return std::nullopt;
    QString name = parts.takeFirst();
    if (!parts.isEmpty())
        name += u'/' + parts.takeFirst();
    QStringList folders = QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation);
    // The first is the user's own; the machine's come after it.
    if (scope == QSettings::SystemScope && !folders.isEmpty())
        folders.removeFirst();
    if (folders.isEmpty())
        return std::nullopt;
    return Key{folders.front() + u'/' + name + QLatin1String(".ini"), parts.join(u'/')};
}

enum class FileState { Missing, Regular, Unfit };

// What stands under a settings file's name. Only a regular file of a settings file's size is
// handed to QSettings: opening a named pipe would wait for a writer that may never come, a
// device may never end. The check opens it without waiting, in case something else took its
// name after the first look.
FileState inspect(const QString &file) {
    const QByteArray name = QFile::encodeName(file);
    struct stat st {};
    if (::stat(name.constData(), &st) != 0)
        return errno == ENOENT ? FileState::Missing : FileState::Unfit;
    if (S_ISREG(st.st_mode) && st.st_size <= maxSettingsBytes) {
        const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd < 0)
            return FileState::Unfit; // unreadable, for QSettings as well
        const bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
        ::close(fd);
        if (regular)
            return FileState::Regular;
    }
    qWarning("The settings file %s is not a regular file of a settings file's size; it is left "
             "alone",
             qPrintable(file));
    return FileState::Unfit;
}

std::unique_ptr<QSettings> openKey(const Key &key) {
    auto settings = std::make_unique<QSettings>(key.file, QSettings::IniFormat);
    if (!key.group.isEmpty())
        settings->beginGroup(key.group);
    return settings;
}

} // namespace

QVariant QtSettingsStore::value(const QString &keyPath, const QString &name) const {
    const std::optional<Key> key = locate(scope_, keyPath);
    if (!key || inspect(key->file) != FileState::Regular)
        return {};
    const auto settings = openKey(*key);
    if (settings->status() != QSettings::NoError || !settings->contains(name))
        return {};
    const QVariant v = settings->value(name);
    // INI reads an unquoted comma as a list; whoever wrote it meant the text.
    if (v.metaType().id() == QMetaType::QStringList)
        return v.toStringList().join(QLatin1String(", "));
    return v;
}

bool QtSettingsStore::setValue(const QString &keyPath, const QString &name, const QVariant &value) {
    return setValues(keyPath, {{name, value}});
}

bool QtSettingsStore::setValues(const QString &keyPath,
                                const QList<std::pair<QString, QVariant>> &values) {
    const std::optional<Key> key = locate(scope_, keyPath);
    // QSettings reads its lock file too when another writer seems to hold it.
    if (!key || inspect(key->file) == FileState::Unfit ||
        inspect(key->file + QLatin1String(".lock")) == FileState::Unfit)
        return false;
    const auto settings = openKey(*key);
    for (const auto &[name, value] : values) {
        if (!value.isValid())
            settings->remove(name);
        else if (value.metaType().id() == QMetaType::QString)
            settings->setValue(name, value);
        else
            settings->setValue(name, QVariant::fromValue<long>(value.toLongLong()));
    }
    settings->sync();
    return settings->status() == QSettings::NoError;
}

} // namespace quenbry
