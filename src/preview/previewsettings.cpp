#include "previewsettings.h"

#include "platform/services.h"

namespace quenbry {

bool readRemoteContentAllowed(const SettingsStore &userStore) {
    bool number = false;
    const QVariant value = userStore.value(previewSettingsKeyPath, remoteContentValueName);
    return value.toLongLong(&number) == 1 && number;
}

bool writeRemoteContentAllowed(SettingsStore &userStore, bool allowed) {
    return userStore.setValue(previewSettingsKeyPath, remoteContentValueName,
                              QVariant(qint64(allowed ? 1 : 0)));
}

} // namespace quenbry
