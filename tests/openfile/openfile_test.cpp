// A file named on the command line or dropped onto the window opens exactly as Browse opens it.
#include "platform/nativepath.h"
#include "tests/shell/window_fixture.h"
#include "tests/support/files.h"
#include "tests/support/pictures.h"
#include "velmor/shell/openfile.h"
#include "velmor/shell/startargs.h"

#include <QCoreApplication>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct OpenFile : WindowFixture {
    frmMain& openWithPreset()
    {
        window = std::make_unique<frmMain>(services());
        EXPECT_TRUE(window->Form_Load());
        shell::acceptFileDrops(*window);
        return *window;
    }
    QString picture(const QString& name) const
    {
        QImage img(6, 4, QImage::Format_RGB32);
        img.fill(qRgb(10, 120, 200));
        const QString path = dir.filePath(name);
        testsupport::writeFile(path, testsupport::encoded(img, "PNG"));
        return path;
    }
    // What the window says and shows after opening path one way or the other.
    struct Outcome {
        QStringList messages;
        QString field;
        CommandState state;
    };
    Outcome outcome()
    {
        Outcome o {messages, window->txtFile->text(), window->commandState()};
        messages.clear();
        return o;
    }
    // Sends a drag of urls to the window: whether it was accepted, then the drop itself.
    bool drag(const QList<QUrl>& urls, bool drop)
    {
        QMimeData data;
        data.setUrls(urls);
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window.get(), &enter);
        const bool accepted = enter.isAccepted();
        if (drop) {
            QDropEvent event(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(window.get(), &event);
            QCoreApplication::processEvents();
        }
        return accepted;
    }
};

TEST_F(OpenFile, AFileNamedOpensAsIfChosenInTheDialog)
{
    frmMain& w = openWithPreset();
    const QString path = picture(QStringLiteral("sea.png"));
    QDir::setCurrent(dir.path());
    shell::openAsBrowse(w, QStringLiteral("sea.png")); // relative, as typed
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
    EXPECT_EQ(w.txtFile->text(), path);
    EXPECT_EQ(w.commandState(), CommandState::SourceLoaded);
    EXPECT_EQ(w.picSrc->size(), QSize(6, 4));
    EXPECT_TRUE(dialogs->fileRequests.empty()) << "no dialog was shown";

    // The next Browse asks the user, at the path opened last.
    dialogs->files.push_back(std::nullopt);
    w.cmdBrws->click();
    ASSERT_EQ(dialogs->fileRequests.size(), 1u);
    EXPECT_EQ(dialogs->fileRequests.back().fileName, path);
}

TEST_F(OpenFile, FailuresGiveBrowsesOwnMessagesAndKeepTheSource)
{
    frmMain& w = openWithPreset();
    const QString good = picture(QStringLiteral("good.png"));
    testsupport::writeFile(dir.filePath("notes.bmp"), "just text");
    testsupport::writeFile(dir.filePath("empty.qpx"), "");
    for (const QString& bad : {dir.filePath("notes.bmp"), dir.filePath("missing.jpg"), dir.filePath("empty.qpx")}) {
        SCOPED_TRACE(bad.toStdString());
        shell::openAsBrowse(w, good);
        ASSERT_TRUE(messages.isEmpty());
        dialogs->files.push_back(bad);
        w.cmdBrws->click();
        const Outcome viaBrowse = outcome();
        shell::openAsBrowse(w, bad);
        const Outcome viaName = outcome();
        ASSERT_EQ(viaBrowse.messages.size(), 1);
        EXPECT_EQ(viaName.messages, viaBrowse.messages);
        EXPECT_EQ(viaName.field, good);
        EXPECT_EQ(viaName.state, CommandState::SourceLoaded);
    }
}

TEST_F(OpenFile, DropsOfOneLocalFileOpenAndOthersAreRefused)
{
    frmMain& w = openWithPreset();
    EXPECT_TRUE(w.acceptDrops());
    const QString a = picture(QStringLiteral("a.png"));
    const QString b = picture(QStringLiteral("b.png"));
    EXPECT_FALSE(drag({QUrl::fromLocalFile(a), QUrl::fromLocalFile(b)}, false));
    EXPECT_FALSE(drag({QUrl(QStringLiteral("https://example.org/a.png"))}, false));
    EXPECT_FALSE(drag({}, false));
    EXPECT_TRUE(w.txtFile->text().isEmpty());

    EXPECT_TRUE(drag({QUrl::fromLocalFile(a)}, true));
    EXPECT_EQ(w.txtFile->text(), a);
    EXPECT_EQ(w.commandState(), CommandState::SourceLoaded);
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(OpenFile, NothingOpensWhileARenderRuns)
{
    frmMain& w = openWithPreset();
    const QString a = picture(QStringLiteral("a.png"));
    w.setActivity(Activity::Rendering);
    EXPECT_FALSE(drag({QUrl::fromLocalFile(a)}, true));
    shell::openAsBrowse(w, a);
    EXPECT_TRUE(w.txtFile->text().isEmpty());
    EXPECT_TRUE(messages.isEmpty());
    w.setActivity(Activity::Idle);
}

// A name that is no UTF-8 opens that very file however it arrives: on the command line, dropped,
// or from the dialog; and Create writes that very name. Qt alone would make "\xff" and
// "\xef\xbf\xbd" one name (U+FFFD), each file here a picture of its own size.
TEST_F(OpenFile, NamesInBytesOpenAndAreWrittenAsThemselves)
{
    frmMain& w = openWithPreset();
    const QByteArray root = QFile::encodeName(dir.path()) + '/';
    auto place = [&](const QByteArray& name, int width) {
        QImage img(width, 2, QImage::Format_RGB32);
        img.fill(qRgb(10, 120, 200));
        const QByteArray bytes = testsupport::encoded(img, "PNG");
        const int fd = ::open((root + name).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_EQ(::write(fd, bytes.constData(), std::size_t(bytes.size())), bytes.size());
        ::close(fd);
    };
    place("\xff.png", 5);
    place("\xef\xbf\xbd.png", 3);
    const QString raw = platform::fromNativePath(root + "\xff.png");

    QByteArray argument = root + "\xff.png";
    char* argv[] = {const_cast<char*>("velmor"), argument.data(), nullptr};
    QString named;
    EXPECT_EQ(shell::answerStartArguments(2, argv, &named), -1);
    EXPECT_EQ(named, raw);

    for (const char* way : {"named", "dropped", "chosen"}) {
        shell::openAsBrowse(w, platform::fromNativePath(root + "\xef\xbf\xbd.png"));
        ASSERT_EQ(w.picSrc->size(), QSize(3, 2)) << way;
        if (QByteArray(way) == "named") {
            shell::openAsBrowse(w, named);
        } else if (QByteArray(way) == "dropped") {
            EXPECT_TRUE(drag({QUrl::fromEncoded("file://" + (root + "\xff.png").toPercentEncoding("/"))}, true));
        } else {
            dialogs->files.push_back(raw);
            w.cmdBrws->click();
        }
        EXPECT_TRUE(messages.isEmpty()) << way << ": " << messages.join('\n').toStdString();
        EXPECT_EQ(w.picSrc->size(), QSize(5, 2)) << way;
        EXPECT_EQ(w.txtFile->text(), dir.path() + QStringLiteral("/\\xFF.png")) << way;
    }

    const QByteArray keep = "someone else's file";
    const int fd = ::open((root + "\xef\xbf\xbd-out.bmp").constData(), O_WRONLY | O_CREAT, 0644);
    ASSERT_EQ(::write(fd, keep.constData(), std::size_t(keep.size())), keep.size());
    ::close(fd);
    dialogs->files.push_back(platform::fromNativePath(root + "\xff-out.bmp"));
    w.cmdMake->click();
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
    struct stat st {};
    EXPECT_EQ(::stat((root + "\xff-out.bmp").constData(), &st), 0);
    EXPECT_EQ(st.st_size, 54 + 16 * 2); // 5 x 2 pixels, rows padded to 16 bytes
    EXPECT_EQ(::stat((root + "\xef\xbf\xbd-out.bmp").constData(), &st), 0);
    EXPECT_EQ(st.st_size, keep.size());
    for (const char* name : {"\xff.png", "\xef\xbf\xbd.png", "\xff-out.bmp", "\xef\xbf\xbd-out.bmp"})
        ::unlink((root + name).constData()); // QTemporaryDir cannot name them
}

TEST(StartArguments, TheCommandLineTakesOneFileAndQtsOwnOptions)
{
    const struct {
        QStringList args;
        const char* file;
        bool help, version, error;
    } cases[] = {
        {{}, "", false, false, false},
        {{"sea.qpx"}, "sea.qpx", false, false, false},
        {{"--help"}, "", true, false, false},
        {{"--version"}, "", false, true, false},
        {{"-platform", "offscreen", "sea.png"}, "sea.png", false, false, false},
        {{"--style=fusion", "-reverse", "sea.png"}, "sea.png", false, false, false},
        {{"--", "-odd.png"}, "-odd.png", false, false, false},
        {{"-x"}, "", false, false, true},
        {{"a.png", "b.png"}, "a.png", false, false, true},
    };
    for (const auto& c : cases) {
        const shell::StartArguments a = shell::parseStartArguments(c.args);
        const std::string what = c.args.join(' ').toStdString();
        EXPECT_EQ(a.error.isEmpty(), !c.error) << what;
        if (c.error)
            continue;
        EXPECT_EQ(a.file, QString::fromLatin1(c.file)) << what;
        EXPECT_EQ(a.help, c.help) << what;
        EXPECT_EQ(a.version, c.version) << what;
    }
}

} // namespace
