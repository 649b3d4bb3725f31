#pragma once
// The values the program reads from the settings stores: the owner's name and organisation
// (per-user), shown by the splash, and single values of the machine-wide store for System
// Info. Registering the owner writes the per-user pair.

#include "platform/services.h"

#include <optional>

class QWidget;

namespace quenbry {

inline const QString ownerKeyPath = QStringLiteral("Software\\QUENBRY\\QUENBRY HTML Editor");

// The text of a string value, for display. A value of another kind (a number) gives "" and no
// message; a missing or unreadable value (or key, or store) gives "" after the message "Error
// in modReadRegSZ", one per value. A terminating NUL is not part of the text.
QString readDisplayText(const SettingsStore &store, const QString &keyPath, const QString &name,
                        Dialogs &dialogs, QWidget *messageOwner = nullptr);

struct Owner {
    QString name;
    QString organisation;
};
// The owner's name, then organisation, each as readDisplayText reads it.
Owner readOwner(const SettingsStore &userStore, Dialogs &dialogs);
// Writes both values of the owner; false when the store cannot be written.
bool registerOwner(SettingsStore &userStore, const Owner &owner);
// A first start's registration, as an installer makes it: when the user's store holds neither
// value, registers the machine-wide store's values where an administrator preset them, and
// otherwise accountName and an empty organisation. A store that holds either is left alone.
void registerFirstOwner(SettingsStore &userStore, const SettingsStore &machineStore,
                        const QString &accountName);

// A value of the machine-wide kind: nothing when it (or its key) cannot be read; its text
// without a terminating NUL when it is a string; "" when it is of another kind.
std::optional<QString> readKeyValue(const SettingsStore &store, const QString &keyPath,
                                    const QString &name);

} // namespace quenbry
