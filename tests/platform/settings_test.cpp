// The settings store reads and writes its file, and never waits on one that is no file.
#include "platform/errors.h"
#include "platform/settings.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <sys/stat.h>

namespace {

TEST(SettingsStore, AFifoInPlaceOfTheFileReadsAsEmptyAndRefusesWritesWithoutWaiting)
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("Velmor.conf"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    platform::SettingsStore store(fifo); // would block here if it were opened
    EXPECT_EQ(store.GetSetting(QStringLiteral("Setting"), QStringLiteral("CustomFilter"), QStringLiteral("00000000")),
        QStringLiteral("00000000"));
    try {
        store.SaveSetting(QStringLiteral("Setting"), QStringLiteral("CustomFilter"), QStringLiteral("00C0C040"));
        FAIL() << "a FIFO took a setting";
    } catch (const platform::RuntimeError& e) {
        EXPECT_TRUE(e.text().contains(fifo)) << e.text().toStdString();
        EXPECT_TRUE(e.text().contains(QStringLiteral("通常のファイルではありません"))) << e.text().toStdString();
    }

    const QString plain = dir.filePath(QStringLiteral("plain.conf"));
    platform::SettingsStore(plain).SaveSetting(QStringLiteral("Setting"), QStringLiteral("CustomFilter"), QStringLiteral("00C0C040"));
    EXPECT_EQ(platform::SettingsStore(plain).GetSetting(QStringLiteral("Setting"), QStringLiteral("CustomFilter"), {}),
        QStringLiteral("00C0C040"));
}

} // namespace
