// One input, one output: pictures that once came out with pixels from memory nobody set give the
// same bytes however the allocator fills fresh memory (MALLOC_PERTURB_).
#include "tests/support/files.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QTemporaryDir>

namespace {

struct SameOutputTest : ::testing::Test {
    QTemporaryDir dir;

    // velmor-filter's output for the input, or what it said when it refused it.
    QByteArray filtered(const QString& input, int perturb, QString* refusal) const
    {
        const QString output = dir.filePath(QStringLiteral("out-%1.bmp").arg(perturb));
        QProcess p;
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert(QStringLiteral("TMPDIR"), dir.path());
        e.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
        // glibc's allocator fills fresh memory as MALLOC_PERTURB_ says, the sanitizers' as this does.
        e.insert(QStringLiteral("MALLOC_PERTURB_"), QString::number(perturb));
        e.insert(QStringLiteral("ASAN_OPTIONS"), e.value(QStringLiteral("ASAN_OPTIONS"))
                + QStringLiteral(":malloc_fill_byte=%1:max_malloc_fill_size=1073741824").arg(perturb));
        p.setProcessEnvironment(e);
        p.start(QStringLiteral(VELMOR_BIN_DIR "/velmor-filter"), {"-q", "-f", "sepia", "-o", output, input});
        EXPECT_TRUE(p.waitForFinished(60000));
        *refusal = p.exitCode() == 0 ? QString() : QString::fromUtf8(p.readAllStandardError());
        return testsupport::readFile(output);
    }
};

TEST_F(SameOutputTest, EveryRunOfTheSameInputWritesTheSameBytes)
{
    for (const char* name : {"tbbn2c16.png", "tbgn2c16.png", "tbwn0g16.png", "pal4rlecut.bmp", "pal8rlecut.bmp",
             "pal4rletrns.bmp", "pal8rletrns.bmp", "badrle.bmp", "badrle4.bmp", "badrle4bis.bmp", "badrle4ter.bmp",
             "badrlebis.bmp", "badrleter.bmp"}) {
        const QString input = QStringLiteral(VELMOR_SOURCE_DIR "/tests/platform/fixtures/") + QLatin1String(name);
        QString first, second;
        const QByteArray a = filtered(input, 1, &first);
        const QByteArray b = filtered(input, 254, &second);
        EXPECT_EQ(first, second) << name;
        EXPECT_TRUE(first.isEmpty()) << name << ": " << first.toStdString();
        EXPECT_EQ(a, b) << name;
    }
}

} // namespace
