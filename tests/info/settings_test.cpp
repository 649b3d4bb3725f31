// The settings stores as files on disk: where the owner's registration puts them, what reads
// back of which kind, what a person editing them by hand gets, and what stands in a file's
// place when it is not a file.
#include "info/ownersettings.h"
#include "info/systeminfo.h"
#include "platform/qtservices.h"
#include "testsupport/scriptedservices.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <atomic>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace quenbry;

namespace {

const QString ownerFile = QStringLiteral("/QUENBRY/QUENBRY HTML Editor.ini");

// Notices a reader waiting on any of the named pipes, and lets it go on: a writer's open that
// does not wait succeeds only while a reader has the pipe open.
class PipeWatch {
public:
    explicit PipeWatch(QStringList pipes)
        : thread_([this, pipes] {
            for (; !stop_; std::this_thread::sleep_for(std::chrono::milliseconds(1)))
                for (const QString &pipe : pipes)
                    if (const int fd = ::open(QFile::encodeName(pipe), O_WRONLY | O_NONBLOCK);
                        fd >= 0) {
                        opened_ = true;
                        ::close(fd);
                    }
        }) {}
    // True when something opened a pipe meanwhile.
    bool finish() {
        stop_ = true;
        thread_.join();
        return opened_;
    }

private:
    std::atomic<bool> stop_ = false, opened_ = false;
    std::thread thread_;
};

struct SettingsFiles : ::testing::Test {
    QTemporaryDir user, machine;
    EventLog log;
    ScriptedDialogs dialogs{log};

    const QByteArray home = qgetenv("XDG_CONFIG_HOME"), dirs = qgetenv("XDG_CONFIG_DIRS");

    void SetUp() override {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(user.path()));
        qputenv("XDG_CONFIG_DIRS", QFile::encodeName(machine.path()) + ":/etc/xdg");
        QDir(machine.path()).mkpath(QStringLiteral("QUENBRY"));
    }
    void TearDown() override {
        qputenv("XDG_CONFIG_HOME", home);
        qputenv("XDG_CONFIG_DIRS", dirs);
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
    QList<std::pair<QString, QVariant>> written;
    for (const auto &[name, value, shown] : values)
        written.append({QString::fromLatin1(name), value});
    ASSERT_TRUE(userStore.setValues(ownerKeyPath, written));
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

// A named pipe, a folder or a file too large to be settings in the place of the owner's file
// and of System Info's two: each reads as a missing store (the splash's two messages, System
// Info's), without waiting for a writer that never comes, and a registration leaves it alone.
TEST_F(SettingsFiles, WhatIsNotAFileReadsAsAMissingStore) {
    const QString files[] = {
        user.path() + ownerFile, machine.path() + QStringLiteral("/Microsoft/Shared Tools.ini"),
        machine.path() + QStringLiteral("/Microsoft/Shared Tools Location.ini")};
    ASSERT_TRUE(QDir(machine.path()).mkpath(QStringLiteral("Microsoft")) &&
                QDir(user.path()).mkpath(QStringLiteral("QUENBRY")));
    std::vector<std::pair<const char *, std::function<bool(const QByteArray &)>>> plants;
    plants.emplace_back("a named pipe", [](const QByteArray &f) { return !::mkfifo(f, 0644); });
    plants.emplace_back("a folder", [](const QByteArray &f) { return !::mkdir(f, 0755); });
    plants.emplace_back("17 MiB", [](const QByteArray &f) {
        return !::close(::creat(f, 0644)) && !::truncate(f, 17 << 20);
    });
    const QtSettingsStore userStore(QSettings::UserScope), machineStore(QSettings::SystemScope);
    ScriptedShell shell(log);
    for (const auto &[what, plant] : plants) {
        struct stat planted[3]{};
        for (int i = 0; i < 3; ++i)
            ASSERT_TRUE(plant(QFile::encodeName(files[i])) &&
                        ::stat(QFile::encodeName(files[i]), &planted[i]) == 0)
                << what;
        dialogs.messages.clear();
        PipeWatch watch(S_ISFIFO(planted[0].st_mode)
                            ? QStringList(std::begin(files), std::end(files))
                            : QStringList());
        readOwner(userStore, dialogs);
        EXPECT_FALSE(startSystemInfo(machineStore, shell, dialogs, nullptr)) << what;
        QtSettingsStore writable(QSettings::UserScope);
        EXPECT_FALSE(registerOwner(writable, {"Ada", "Engines"})) << what;
        EXPECT_FALSE(watch.finish()) << what << " was opened";

        std::vector<QString> texts;
        for (const auto &m : dialogs.messages)
            texts.push_back(m.text);
        EXPECT_EQ(texts, (std::vector<QString>{"Error in modReadRegSZ", "Error in modReadRegSZ",
                                               "System Information Is Unavailable At This Time"}))
            << what;
        for (int i = 0; i < 3; ++i) {
            struct stat now {};
            EXPECT_TRUE(::stat(QFile::encodeName(files[i]), &now) == 0 &&
                        now.st_ino == planted[i].st_ino && now.st_size == planted[i].st_size)
                << what;
            ASSERT_EQ(::remove(QFile::encodeName(files[i])), 0);
        }
    }
}

// A first start registers an owner only into a store that holds neither value: the machine's
// preset values where they exist, otherwise the account's name and no organisation.
TEST(FirstOwner, RegisteredOnlyWhereTheUserStoreHasNeither) {
    const QVariant no;
    // The user's name and organisation, the machine's, then what the user's store holds.
    const QVariant cases[][6] = {
        {no, no, no, no, "Ada Lovelace", ""},
        {no, no, "Preset", no, "Preset", ""},
        {no, no, no, "Preset Org", "Ada Lovelace", "Preset Org"},
        {"Kept", no, "Preset", "Preset Org", "Kept", no},
        {no, qint64(7), no, no, no, qint64(7)},
    };
    for (const auto &c : cases) {
        ScriptedSettingsStore stores[2];
        for (int i = 0; i < 4; ++i)
            if (c[i].isValid())
                stores[i / 2].setValue(ownerKeyPath, i % 2 ? "org" : "name", c[i]);
        registerFirstOwner(stores[0], stores[1], "Ada Lovelace");
        EXPECT_EQ(stores[0].value(ownerKeyPath, "name"), c[4]) << c[0].toString().toStdString();
        EXPECT_EQ(stores[0].value(ownerKeyPath, "org"), c[5]) << c[1].toString().toStdString();
    }
}
