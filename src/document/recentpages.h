#pragma once
// The pages the user opened or saved lately, newest first, kept in the per-user settings store
// so that they outlast the run and are shared by every instance of the editor.

#include <QStringList>
#include <array>

namespace quenbry {

class SettingsStore;

class RecentPages {
public:
    static constexpr int kMaxPages = 9;
    // Values "1" to "9" of this key, each a full path.
    static inline const QString keyPath =
        QStringLiteral("Software\\QUENBRY\\QUENBRY HTML Editor\\Recent");

    explicit RecentPages(SettingsStore &store);

    const QStringList &paths() const { return paths_; }
    // Reads the list again: another instance may have changed it meanwhile.
    void reload();
    // The file goes to the front, by its absolute path.
    void add(const QString &path);
    void remove(const QString &path);
    void clear();

private:
    void store(const QStringList &paths);

    SettingsStore &store_;
    QStringList paths_;
    // The values "1" to "9" as last read or written; "" for one that is not a string.
    std::array<QString, kMaxPages> stored_;
};

} // namespace quenbry
