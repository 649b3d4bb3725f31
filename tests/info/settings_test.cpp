// The settings stores as files on disk: where they are, what reads back of which kind, what a
// person editing them by hand gets, and the owner's registration by the program itself.
#include "info/ownersettings.h"
#include "platform/qtservices.h"
#include "testsupport/scriptedservices.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace quenbry;

namespace {

const QString ownerFile = QStringLiteral("/QUENBRY/QUENBRY HTML Editor.ini");

struct SettingsFiles : ::testing::Test {
    QTemporaryDir user, machine;
    EventLog log;
    ScriptedDialogs dialogs{log};

    void SetUp() override {
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, user.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::SystemScope, machine.path());
        QDir(machine.path()).mkpath(QStringLiteral("QUENBRY"));
    }
    QString display(const SettingsStore &store, const char *name) {
        return readDisplayText(store, ownerKeyPath, QString::fromLatin1(name), dialogs);
    }
};

} // namespace

TEST_F(SettingsFiles, ValuesReadBackAsTheKindTheyWereWrittenAndTheUsersAreTheirOwn) {
    QtSettingsStore userStore(QSettings::UserScope);
    const std::tuple<const char *, QVariant, QString> values[] = {
        {"name", "Ada Lovelace", "Ada Lovelace"},
        {"org", QString(), ""},
        {"comma", "Acme, Inc.", "Acme, Inc."},
        {"at", "@Int(5)", "@Int(5)"},
        {"terminated", QString("Ada") + QChar(0), "Ada"},
        {"number", qint64(42), ""},
    };
    for (const auto &[name, value, shown] : values)
        ASSERT_TRUE(userStore.setValue(ownerKeyPath, name, value)) << name;
    // Read as a later run reads it: from disk, not from this process's cache of the file.
    ASSERT_TRUE(QFile::copy(user.path() + ownerFile, machine.path() + ownerFile));
    const QtSettingsStore machineStore(QSettings::SystemScope);
    for (const auto &[name, value, shown] : values) {
        EXPECT_EQ(display(machineStore, name), shown) << name;
        EXPECT_EQ(machineStore.value(ownerKeyPath, name).toString(), value.toString()) << name;
    }
    EXPECT_TRUE(log.events.empty());
    // The user's store is the user's alone, as the registry's current-user root is.
    ASSERT_TRUE(userStore.setValue(ownerKeyPath, "name", {}));
    EXPECT_EQ(display(userStore, "name"), "");
    EXPECT_EQ(log.events.size(), 1u);
}

TEST_F(SettingsFiles, AFileEditedByHandReadsAsItShows) {
    QDir(machine.path()).mkpath(QStringLiteral("Microsoft"));
    QFile file(machine.path() + "/Microsoft/Shared Tools.ini");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[MSINFO]\nPATH=/usr/bin/hardinfo, the GTK one\n");
    file.close();
    EXPECT_EQ(readKeyValue(QtSettingsStore(QSettings::SystemScope),
                           "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", "PATH"),
              "/usr/bin/hardinfo, the GTK one");
}

// Run without any display: the registration must not need one.
TEST_F(SettingsFiles, RegisteringTheOwnerWritesBothValuesAndOpensNoWindow) {
    QProcess quenbry;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *var : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(var);
    env.insert("XDG_CONFIG_HOME", user.path());
    quenbry.setProcessEnvironment(env);
    quenbry.start(QStringLiteral(QUENBRY), {"--register-owner", "Zoë Ådahl", ""});
    ASSERT_TRUE(quenbry.waitForFinished(30000));
    EXPECT_EQ(quenbry.exitCode(), 0) << quenbry.readAllStandardError().toStdString();
    const QtSettingsStore store(QSettings::UserScope);
    EXPECT_EQ(display(store, "name"), "Zoë Ådahl");
    EXPECT_EQ(display(store, "org"), "");
    EXPECT_TRUE(log.events.empty());
}
