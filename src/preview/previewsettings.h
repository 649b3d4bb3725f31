#pragma once
// The preview's per-user preference: whether pages in the pane may load remote content. Off
// unless the user turned it on.

#include <QString>

namespace quenbry {

class SettingsStore;

inline const QString previewSettingsKeyPath =
    QStringLiteral("Software\\QUENBRY\\QUENBRY HTML Editor\\Preferences");
inline const QString remoteContentValueName = QStringLiteral("PreviewRemoteContent");

// True only for the value 1; a missing, unreadable or other value leaves remote content off.
bool readRemoteContentAllowed(const SettingsStore &userStore);
// Stores 1 or 0; false when the store cannot be written.
bool writeRemoteContentAllowed(SettingsStore &userStore, bool allowed);

} // namespace quenbry
