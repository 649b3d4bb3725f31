#include "recentpages.h"

#include "platform/services.h"

#include <QFileInfo>

namespace quenbry {

RecentPages::RecentPages(SettingsStore &store)
    : store_(store) {
    reload();
}

void RecentPages::reload() {
    paths_.clear();
    for (int i = 0; i < kMaxPages; ++i) {
        const QVariant value = store_.value(keyPath, QString::number(i + 1));
        // Only strings are paths; a list edited by hand may have gaps or repeats.
        stored_[i] = value.metaType().id() == QMetaType::QString ? value.toString() : QString();
        if (!stored_[i].isEmpty() && !paths_.contains(stored_[i]))
            paths_ << stored_[i];
    }
}

void RecentPages::add(const QString &path) {
    const QString absolute = QFileInfo(path).absoluteFilePath();
    // A name whose bytes are not UTF-8 would come back from the settings file as another name.
    if (!absolute.isValidUtf16())
        return;
    reload();
    QStringList paths = paths_;
    paths.removeAll(absolute);
    paths.prepend(absolute);
    store(paths.mid(0, kMaxPages));
}

void RecentPages::remove(const QString &path) {
    reload();
    QStringList paths = paths_;
    // As the list holds it, which may be a name the user wrote in the settings file.
    paths.removeAll(path);
    paths.removeAll(QFileInfo(path).absoluteFilePath());
    store(paths);
}

void RecentPages::clear() {
    reload();
    store({});
}

void RecentPages::store(const QStringList &paths) {
    // Only the values that change are written, in one write of the settings file.
    QList<std::pair<QString, QVariant>> changed;
    for (int i = 0; i < kMaxPages; ++i) {
        const QString path = paths.value(i);
        if (path != stored_[i])
            changed.append({QString::number(i + 1), path.isEmpty() ? QVariant() : path});
    }
    if (!changed.isEmpty() && store_.setValues(keyPath, changed)) {
        for (int i = 0; i < kMaxPages; ++i)
            stored_[i] = paths.value(i);
    }
    paths_ = paths;
}

} // namespace quenbry
