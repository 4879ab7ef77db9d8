// velmor-filter takes every name as the bytes it is given: a name that is no UTF-8 is written,
// read and reported as itself, never as the name Qt would make of it (U+FFFD), which is a file of
// its own.
#include "tests/support/files.h"
#include "tests/support/pictures.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct Result {
    int exitCode = -1;
    QByteArray err;
};

struct NamesTest : ::testing::Test {
    QTemporaryDir dir;
    QByteArray root = QFile::encodeName(dir.path()) + '/';

    void SetUp() override
    {
        ASSERT_EQ(run("exec \"$VELMOR_BIN/regsvr\" \"$VELMOR_BIN/libqpxctrl.so\" >/dev/null").exitCode, 0);
        QImage img(9, 5, QImage::Format_RGB32);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 9; ++x)
                img.setPixel(x, y, qRgb(x * 25, y * 50, 90));
        picture = testsupport::encoded(img, "PNG");
    }
    void TearDown() override
    {
        // QTemporaryDir cannot name what it did not read as UTF-8.
        run("rm -rf ./*");
    }

    QByteArray picture;

    // A shell line in the test's folder; names are written in it with printf's octal escapes.
    Result run(const QByteArray& script) const
    {
        QProcess p;
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
        e.insert(QStringLiteral("TMPDIR"), dir.path());
        e.insert(QStringLiteral("VELMOR_BIN"), QStringLiteral(VELMOR_BIN_DIR));
        p.setProcessEnvironment(e);
        p.setWorkingDirectory(dir.path());
        p.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QString::fromLatin1(script)});
        if (!p.waitForFinished(60000))
            return {};
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardError()};
    }
    void write(const QByteArray& name, const QByteArray& bytes) const
    {
        const int fd = ::open((root + name).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0) << name.toHex().constData();
        ASSERT_EQ(::write(fd, bytes.constData(), std::size_t(bytes.size())), bytes.size());
        ::close(fd);
    }
    QByteArray read(const QByteArray& name) const
    {
        QFile f;
        const int fd = ::open((root + name).constData(), O_RDONLY);
        if (fd < 0 || !f.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
            return {};
        return f.readAll();
    }
};

TEST_F(NamesTest, AnOutputNamedInBytesIsThatFileAndNoOther)
{
    write("in.png", picture);
    ASSERT_EQ(run("exec \"$VELMOR_BIN/velmor-filter\" -q -o in-copy.bmp in.png").exitCode, 0);
    const QByteArray expected = read("in-copy.bmp");
    for (const char* extension : {".bmp", ".qpx", ".png", ".jpg"}) {
        const QByteArray ext(extension);
        write("\xef\xbf\xbd" + ext, "someone else's file");
        const Result r = run("exec \"$VELMOR_BIN/velmor-filter\" -q -o \"$(printf '\\377')" + ext + "\" in.png");
        EXPECT_EQ(r.exitCode, 0) << r.err.constData();
        EXPECT_EQ(read("\xef\xbf\xbd" + ext), "someone else's file") << extension;
        if (ext == ".bmp")
            EXPECT_EQ(read("\xff.bmp"), expected);
        else if (ext == ".qpx")
            EXPECT_GT(read("\xff.qpx").size(), 22); // a header and the bitmap
        else
            EXPECT_EQ(QImage::fromData(read("\xff" + ext)).size(), QSize(9, 5)) << extension;
    }
    // And read back: the QPX file by its own name, through the control.
    const Result back = run("exec \"$VELMOR_BIN/velmor-filter\" -q -o back.bmp \"$(printf '\\377').qpx\"");
    EXPECT_EQ(back.exitCode, 0) << back.err.constData();
    EXPECT_FALSE(read("back.bmp").isEmpty());
}

TEST_F(NamesTest, InputsAndFoldersNamedInBytesAreFoundAndNamedAsThemselves)
{
    ASSERT_EQ(::mkdir((root + "\xfe").constData(), 0755), 0);
    write("\xfe/\xff.png", picture);
    ASSERT_EQ(::mkdir((root + "out\xfd").constData(), 0755), 0);
    const Result r = run("exec \"$VELMOR_BIN/velmor-filter\" -q -d \"out$(printf '\\375')\" -t qpx \"$(printf '\\376/\\377').png\"");
    EXPECT_EQ(r.exitCode, 0) << r.err.constData();
    struct stat st {};
    EXPECT_EQ(::stat((root + "out\xfd/\xff.qpx").constData(), &st), 0);

    // A failure names the file with its bytes shown, not as a replacement character.
    const Result missing = run("exec \"$VELMOR_BIN/velmor-filter\" -q -o x.bmp \"$(printf 'gone\\377').png\"");
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(missing.err.contains("gone\\xFF.png")) << missing.err.constData();
    EXPECT_FALSE(missing.err.contains("\xef\xbf\xbd")) << missing.err.constData();
}

} // namespace
