#include "ownersettings.h"

#include "buildinfo.h"
#include <QCoreApplication>

namespace quenbry {

namespace {

// The translation context of the texts below.
struct Text {
    Q_DECLARE_TR_FUNCTIONS(OwnerSettings)
};

// The stores keep strings as they were given; one that came with its terminator reads the
// same as one without.
QString withoutTerminator(QString text) {
    if (text.endsWith(QChar(0)))
        text.chop(1);
    return text;
}

bool isString(const QVariant &v) {
    return v.metaType().id() == QMetaType::QString;
}

} // namespace

QString readDisplayText(const SettingsStore &store, const QString &keyPath, const QString &name,
                        Dialogs &dialogs, QWidget *messageOwner) {
    const QVariant v = store.value(keyPath, name);
    if (!v.isValid()) {
        dialogs.message(messageOwner, Text::tr("Error in modReadRegSZ"),
                        QString::fromLatin1(applicationTitle), MessageButtons::Ok,
                        MessageIcon::None);
        return {};
    }
    return isString(v) ? withoutTerminator(v.toString()) : QString();
}

Owner readOwner(const SettingsStore &userStore, Dialogs &dialogs) {
    Owner owner;
    owner.name = readDisplayText(userStore, ownerKeyPath, QStringLiteral("name"), dialogs);
    owner.organisation = readDisplayText(userStore, ownerKeyPath, QStringLiteral("org"), dialogs);
    return owner;
}

bool registerOwner(SettingsStore &userStore, const Owner &owner) {
    const bool name = userStore.setValue(ownerKeyPath, QStringLiteral("name"), owner.name);
    const bool organisation =
        userStore.setValue(ownerKeyPath, QStringLiteral("org"), owner.organisation);
    return name && organisation;
}

void registerFirstOwner(SettingsStore &userStore, const SettingsStore &machineStore,
                        const QString &accountName) {
    const QString name = QStringLiteral("name"), organisation = QStringLiteral("org");
    if (userStore.value(ownerKeyPath, name).isValid() ||
        userStore.value(ownerKeyPath, organisation).isValid())
        return;
    const Owner owner{readKeyValue(machineStore, ownerKeyPath, name).value_or(accountName),
                      readKeyValue(machineStore, ownerKeyPath, organisation).value_or(QString())};
    // A store that cannot be written says so when the splash reads it.
    registerOwner(userStore, owner);
}

std::optional<QString> readKeyValue(const SettingsStore &store, const QString &keyPath,
                                    const QString &name) {
    const QVariant v = store.value(keyPath, name);
    if (!v.isValid())
        return std::nullopt;
    return isString(v) ? withoutTerminator(v.toString()) : QString();
}

} // namespace quenbry
