// The settings stores as files on disk: where the owner's registration puts them, what reads
// back of which kind, and what a person editing them by hand gets.
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

// Registration runs without any display. What it and the store write reads back from disk,
// as a later run reads it, each value as the kind it was written.
TEST_F(SettingsFiles, ValuesReadBackFromDiskAsTheKindTheyWereWritten) {
    QProcess quenbry;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *var : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(var);
    env.insert("XDG_CONFIG_HOME", user.path());
    quenbry.setProcessEnvironment(env);
    quenbry.start(QStringLiteral(QUENBRY), {"--register-owner", "Zoë Ådahl", ""});
    ASSERT_TRUE(quenbry.waitForFinished(30000));
    EXPECT_EQ(quenbry.exitCode(), 0) << quenbry.readAllStandardError().toStdString();

    QtSettingsStore userStore(QSettings::UserScope);
    const std::tuple<const char *, QVariant, QString> values[] = {
        {"comma", "Acme, Inc.", "Acme, Inc."},
        {"terminated", QString("Ada") + QChar(0), "Ada"},
        {"number", qint64(42), ""},
    };
    for (const auto &[name, value, shown] : values)
        ASSERT_TRUE(userStore.setValue(ownerKeyPath, name, value)) << name;
    // A fresh file, not this process's cache of the user's; and a line added by hand.
    ASSERT_TRUE(QFile::copy(user.path() + ownerFile, machine.path() + ownerFile));
    QFile copy(machine.path() + ownerFile);
    ASSERT_TRUE(copy.open(QIODevice::Append) && copy.write("byhand=Acme, Inc.\n") > 0);
    copy.close();
    const QtSettingsStore machineStore(QSettings::SystemScope);
    EXPECT_EQ(display(machineStore, "name"), "Zoë Ådahl");
    EXPECT_EQ(display(machineStore, "org"), "");
    EXPECT_EQ(display(machineStore, "byhand"), "Acme, Inc.");
    for (const auto &[name, value, shown] : values)
        EXPECT_EQ(display(machineStore, name), shown) << name;
    EXPECT_TRUE(log.events.empty());
    // The user's store is the user's alone, as the registry's current-user root is.
    ASSERT_TRUE(userStore.setValue(ownerKeyPath, "name", {}));
    EXPECT_EQ(display(userStore, "name"), "");
    EXPECT_EQ(log.events.size(), 1u);
}
