#pragma once
// Runs every file of a fuzz target's corpus through the session it fuzzes, as an ordinary test.

#include <QDir>
#include <QFile>
#include <cstdint>
#include <gtest/gtest.h>
#include <string>

template <typename Session> void runEachFile(const char *folder, Session session) {
    const QDir dir(QString::fromLocal8Bit(folder));
    const QStringList names = dir.entryList(QDir::Files);
    ASSERT_FALSE(names.isEmpty()) << folder;
    for (const QString &name : names) {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
        const QByteArray bytes = file.readAll();
        const std::string fault = session(reinterpret_cast<const std::uint8_t *>(bytes.constData()),
                                          size_t(bytes.size()));
        EXPECT_EQ(fault, "") << name.toStdString();
    }
}
