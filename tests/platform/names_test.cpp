#include "platform/clock.h"
#include "platform/tempnames.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <set>

namespace {

struct PinnedClock : ::testing::Test {
    void SetUp() override
    {
        platform::setClockForTesting([] { return QDateTime(QDate(2026, 12, 6), QTime(8, 15, 2)); });
        platform::resetRandomForTesting();
    }
    void TearDown() override { platform::setClockForTesting({}); }
};

TEST_F(PinnedClock, StampsUseTheLocalTimeDigitForDigit)
{
    EXPECT_EQ(platform::stamp14(), QStringLiteral("20261206081502"));
    EXPECT_EQ(platform::stamp12(), QStringLiteral("261206081502"));
}

TEST_F(PinnedClock, GeneratorRepeatsItsSequenceAndStaysInRange)
{
    std::vector<float> first;
    for (int i = 0; i < 1000; ++i)
        first.push_back(platform::nextRandom());
    platform::resetRandomForTesting();
    std::set<int> numbers;
    for (int i = 0; i < 1000; ++i) {
        const float r = platform::nextRandom();
        EXPECT_EQ(r, first[i]);
        EXPECT_GE(r, 0.0f);
        EXPECT_LT(r, 1.0f);
    }
    for (int i = 0; i < 5000; ++i)
        numbers.insert(platform::nextNameNumber());
    EXPECT_EQ(*numbers.begin(), 1);
    EXPECT_EQ(*numbers.rbegin(), 99);
    EXPECT_EQ(numbers.size(), 99u);
}

TEST_F(PinnedClock, NamesJoinFolderPrefixTimeAndThreeDigitNumber)
{
    const QString name = platform::makeTempName(QStringLiteral("/t/"), QStringLiteral("VelmorPrev"));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^/t/VelmorPrev20261206081502_0\\d\\d\\.bmp$")).match(name).hasMatch())
        << name.toStdString();
}

TEST_F(PinnedClock, ATakenNameDrawsTheNextNumber)
{
    QTemporaryDir dir;
    const QString folder = dir.path() + QLatin1Char('/');
    const QString firstChoice = platform::makeTempName(folder, QStringLiteral("Velmor"));
    platform::resetRandomForTesting();
    QFile taken(firstChoice);
    ASSERT_TRUE(taken.open(QIODevice::WriteOnly));
    taken.write("keep");
    taken.close();

    platform::TempFile file(folder, QStringLiteral("Velmor"));
    EXPECT_NE(file.path(), firstChoice);
    EXPECT_TRUE(QFile::exists(file.path()));
    file.remove();
    EXPECT_FALSE(QFile::exists(file.path()));
    QFile kept(firstChoice);
    kept.open(QIODevice::ReadOnly);
    EXPECT_EQ(kept.readAll(), QByteArray("keep"));
}

} // namespace
