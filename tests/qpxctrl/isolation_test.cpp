// Saves and opens never meet another call's files: saves of one base name at once each store their
// own picture, an open extracts its picture alone and only when it fits, and the existence test
// takes what a link names while refusing folders, FIFOs and devices clearly.
#include "platform/picture.h"
#include "qpxctrl/archiver.h"
#include "qpxhost.h"

#include <QElapsedTimer>
#include <QThread>
#include <sys/stat.h>
#include <vector>

using namespace testsupport;
using platform::component::AutomationError;

namespace {

// A level-0 member header whose sizes say anything, over a few bytes of data: the archive
// declares a member far larger than it holds, as a hostile one may.
QByteArray declaredMember(const QByteArray& name, quint32 declared, const QByteArray& data)
{
    QByteArray h;
    h += char(0);
    h += char(0);
    h += "-lh5-";
    auto put32 = [&](quint32 v) {
        for (int i = 0; i < 4; ++i)
            h += char((v >> (8 * i)) & 0xFF);
    };
    put32(quint32(data.size()));
    put32(declared);
    put32(0x5A9B6000); // an MS-DOS time in 2025
    h += char(0x20);
    h += char(0); // level 0
    h += char(name.size());
    h += name;
    h += QByteArray(2, '\0'); // CRC of the data: never reached
    h[0] = char(h.size() - 2);
    unsigned sum = 0;
    for (qsizetype i = 2; i < h.size(); ++i)
        sum += quint8(h[i]);
    h[1] = char(sum & 0xFF);
    return h + data;
}

// The archive with another member after its last one (its end mark moved behind it).
QByteArray withExtraMember(QByteArray archive, const QByteArray& member)
{
    if (archive.endsWith('\0'))
        archive.chop(1);
    return archive + member + QByteArray(1, '\0');
}

struct IsolationTest : QpxHostTest {
    QProcess* startFilter(const QString& input, const QString& output, const QProcessEnvironment& env)
    {
        auto* p = new QProcess;
        p->setProcessEnvironment(env);
        p->setProcessChannelMode(QProcess::MergedChannels);
        p->start(binPath("velmor-filter"), {"-q", "-f", "sepia", "-o", output, input});
        return p;
    }
    static bool finished(QProcess* p, QByteArray* output)
    {
        const bool ok = p->waitForFinished(60000) && p->exitStatus() == QProcess::NormalExit && p->exitCode() == 0;
        *output = p->readAll();
        delete p;
        return ok;
    }
    static bool waitFor(const QString& path)
    {
        QElapsedTimer t;
        t.start();
        while (!QFile::exists(path) && t.elapsed() < 60000)
            QThread::msleep(5);
        return QFile::exists(path);
    }
    std::vector<QString> inputs;
    std::vector<QImage> expected; // what velmor-filter's sepia makes of each input
    // Inputs that differ, each to be saved as camera<i>/IMG_0001.qpx.
    void prepareInputs(int count)
    {
        for (int i = 0; i < count; ++i) {
            QDir().mkpath(pics(QStringLiteral("camera%1").arg(i)));
            inputs.push_back(pics(QStringLiteral("in%1.bmp").arg(i)));
            ASSERT_TRUE(testPicture(i * 25).scaled(640, 480).save(inputs.back(), "BMP"));
            const QString ref = pics(QStringLiteral("ref%1.bmp").arg(i));
            ASSERT_EQ(run(binPath("velmor-filter"), {"-q", "-f", "sepia", "-o", ref, inputs.back()}), 0);
            expected.push_back(platform::loadPicture(ref));
        }
    }
    static QString outputOf(int i) { return QStringLiteral("camera%1/IMG_0001.qpx").arg(i); }
    QProcess* startSave(int i, const QProcessEnvironment& env)
    {
        return startFilter(inputs[std::size_t(i)], pics(outputOf(i)), env);
    }
    bool holdsItsOwnPicture(int i)
    {
        auto qpx = create();
        return samePixels(open(*qpx, pics(outputOf(i))), expected[std::size_t(i)]);
    }
};

// Both saves wait between writing their work bitmaps and handing them to the archiver, the moment
// one shared work bitmap path would be taken over; then each goes on in turn.
TEST_F(IsolationTest, ASaveHeldMidwayKeepsItsOwnPictureWhileAnotherOfTheSameNameRuns)
{
    prepareInputs(2);
    const QString doors = root.filePath("doors");
    QDir().mkpath(doors);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("VELMOR_UNLHA32_LIBRARY", VELMOR_HOLD_ARCHIVER);
    env.insert("VELMOR_TEST_REAL_UNLHA32", binPath("libunlha32.so"));
    env.insert("VELMOR_TEST_HOLD_DIR", doors);

    QProcess* first = startSave(0, env);
    const QString firstDoor = doors + QStringLiteral("/%1").arg(first->processId());
    ASSERT_TRUE(waitFor(firstDoor + ".held"));
    QProcess* second = startSave(1, env);
    const QString secondDoor = doors + QStringLiteral("/%1").arg(second->processId());
    ASSERT_TRUE(waitFor(secondDoor + ".held"));
    // The first goes on while the second waits with its own work bitmap written.
    writeFile(firstDoor + ".go", "");
    QByteArray output;
    EXPECT_TRUE(finished(first, &output)) << output.toStdString();
    writeFile(secondDoor + ".go", "");
    EXPECT_TRUE(finished(second, &output)) << output.toStdString();

    EXPECT_TRUE(holdsItsOwnPicture(0));
    EXPECT_TRUE(holdsItsOwnPicture(1));
    EXPECT_TRUE(tempEntries().isEmpty()) << tempEntries().join(' ').toStdString();
}

TEST_F(IsolationTest, TenSavesOfOneNameAtOnceIntoTenFoldersEachHoldTheirOwnPicture)
{
    constexpr int kSaves = 10;
    prepareInputs(kSaves);
    for (int round = 0; round < 2; ++round) {
        std::vector<QProcess*> running;
        for (int i = 0; i < kSaves; ++i)
            running.push_back(startSave(i, QProcessEnvironment::systemEnvironment()));
        for (int i = 0; i < kSaves; ++i) {
            QByteArray output;
            EXPECT_TRUE(finished(running[std::size_t(i)], &output)) << round << "/" << i << ": " << output.toStdString();
            EXPECT_TRUE(holdsItsOwnPicture(i)) << round << "/" << i;
        }
    }
    EXPECT_TRUE(tempEntries().isEmpty()) << tempEntries().join(' ').toStdString();
}

TEST_F(IsolationTest, APictureDeclaredLargerThanAnyLoadableBitmapIsRefusedBeforeAnyByteIsWritten)
{
    auto qpx = create();
    writeFile(pics("huge.qpx"), declaredMember("huge.bmp", 0xFFFFFFFFu, "junk") + QByteArray(1, '\0'));
    const AutomationError e = errorOf([&] { open(*qpx, pics("huge.qpx")); });
    EXPECT_EQ(e.number(), platform::kOverflow) << e.text().toStdString();
    EXPECT_TRUE(e.text().contains("huge.bmp")) << e.text().toStdString();
    EXPECT_TRUE(tempEntries().isEmpty()) << tempEntries().join(' ').toStdString();
}

// Another member costs nothing: a huge (here: declared huge, and undecodable) member beside the
// picture is neither written nor even decoded.
TEST_F(IsolationTest, OnlyThePictureIsExtracted)
{
    auto qpx = create();
    ASSERT_EQ(save(*qpx, testPicture(), pics("sea.QPX")), QVariant(-1));
    const QByteArray extra = declaredMember("movie.mp4", 0xF0000000u, "not lh5 data");
    writeFile(pics("sea.QPX"), withExtraMember(readFile(pics("sea.QPX")), extra));
    QDir().mkpath(pics("probe"));
    const int named = qpx::CallArchiver(QStringLiteral("e %1 -n0 %2/ sea.bmp").arg(pics("sea.QPX"), pics("probe"))).result;
    if (named == UNLHA_ERR_USAGE)
        GTEST_SKIP() << "the archiver extracts no single member";

    EXPECT_TRUE(samePixels(open(*qpx, pics("sea.QPX")), testPicture()));
    EXPECT_TRUE(tempEntries().isEmpty()) << tempEntries().join(' ').toStdString();
}

TEST_F(IsolationTest, TheExistenceTestFollowsLinksAndRefusesWhatIsNoFileByName)
{
    auto qpx = create();
    ASSERT_EQ(save(*qpx, testPicture(), pics("sea.QPX")), QVariant(-1));
    ASSERT_TRUE(QFile::link(pics("sea.QPX"), pics("linked.QPX")));
    ASSERT_TRUE(QFile::link(pics("linked.QPX"), pics("twice.qpx")));
    EXPECT_TRUE(samePixels(open(*qpx, pics("linked.QPX")), testPicture()));
    EXPECT_TRUE(samePixels(open(*qpx, pics("twice.qpx")), testPicture()));
    EXPECT_TRUE(messages.empty());

    ASSERT_TRUE(QDir().mkpath(pics("folder.qpx")));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pics("pipe.qpx")).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/null"), pics("device.qpx")));
    ASSERT_TRUE(QFile::link(pics("gone.qpx"), pics("dangling.qpx")));
    const struct {
        const char* name;
        const char* text; // nullptr: the name followed by "はファイルではありません。"
    } cases[] = {
        {"folder.qpx", nullptr},
        {"pipe.qpx", nullptr},
        {"device.qpx", nullptr},
        {"dangling.qpx", "指定のQPXﾌｧｲﾙはありません。"},
        {"gone.qpx", "指定のQPXﾌｧｲﾙはありません。"},
    };
    ScopedEnv noArchiver("VELMOR_UNLHA32_LIBRARY", "/nonexistent/libunlha32.so"); // never called
    for (const auto& c : cases) {
        messages.clear();
        const QString path = pics(QString::fromUtf8(c.name));
        EXPECT_TRUE(open(*qpx, path).isNull()) << c.name;
        ASSERT_EQ(messages.size(), 1u) << c.name;
        EXPECT_EQ(messages[0].text, c.text ? QString::fromUtf8(c.text) : path + QStringLiteral(" はファイルではありません。"));
        EXPECT_EQ(messages[0].title, QStringLiteral("QPXControl"));
        EXPECT_EQ(messages[0].style, 48);
    }
    EXPECT_TRUE(tempEntries().isEmpty()) << tempEntries().join(' ').toStdString();
}

// The listing the control reads comes from the real archiver: a change to its layout shows here.
TEST_F(IsolationTest, TheArchiversRealListingIsReadWhole)
{
    QDir().mkpath(pics("src"));
    QStringList files;
    for (int i = 0; i < 300; ++i) { // a listing longer than the 1024-byte buffer
        files << pics(QStringLiteral("src/member number %1.txt").arg(i));
        writeFile(files.back(), QByteArray(i, 'x'));
    }
    ASSERT_TRUE(testPicture().save(pics("src/sea.bmp"), "BMP"));
    files << pics("src/sea.bmp");
    ASSERT_EQ(run(binPath("unlha"), QStringList {"a", pics("many.qpx")} + files), 0);
    ASSERT_TRUE(QFile::rename(pics("many.qpx"), pics("renamed.qpx")));
    auto qpx = create();
    EXPECT_TRUE(samePixels(open(*qpx, pics("renamed.qpx")), testPicture())); // the only bitmap of 301
    EXPECT_TRUE(tempEntries().isEmpty()) << tempEntries().join(' ').toStdString();
}

} // namespace
