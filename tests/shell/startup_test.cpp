#include "window_fixture.h"

#include "platform/tempfolder.h"
#include "tests/support/otheraccount.h"
#include "velmor/shell/version.h"

#include <QFile>
#include <QTemporaryDir>
#include <sys/stat.h>

namespace {

struct Startup : WindowFixture {
    // The window's services with the real temporary folder, as $TMPDIR below tmpdir gives it.
    shell::Services servicesIn(const QString& tmpdir)
    {
        shell::Services s = services();
        s.tempFolder = [tmpdir] {
            qputenv("TMPDIR", QFile::encodeName(tmpdir));
            return platform::privateTempFolder();
        };
        return s;
    }
};

TEST_F(Startup, FirstStartRecordsVersionAndFolderButNoCustomColour)
{
    frmMain& w = open();
    EXPECT_EQ(stored(QStringLiteral("UpdateInfo/CurrentVersion")), QStringLiteral("1.00.0000"));
    EXPECT_EQ(stored(QStringLiteral("UpdateInfo/ApplicationPath")), programFolder);
    EXPECT_FALSE(QSettings(settingsFile, QSettings::IniFormat).contains(QStringLiteral("Setting/CustomFilter")));
    EXPECT_EQ(w.CustomColor(), 0);
    EXPECT_EQ(w.picFilt[5]->backColor(), 0);
    EXPECT_EQ(w.TempFolder(), tempFolder);
    EXPECT_FALSE(w.layoutBase().Loading);
    EXPECT_FALSE(w.session().PreviewFresh());
    EXPECT_EQ(w.layoutBase().BaseSourceWidth, 3720.0f);
    EXPECT_EQ(w.layoutBase().BaseSourceHeight, 2820.0f);
    EXPECT_EQ(w.layoutBase().BasePreviewLeft, 4215.0f);

    // A later start from elsewhere rewrites both entries.
    window.reset();
    programFolder = dir.path() + QStringLiteral("/elsewhere");
    open();
    EXPECT_EQ(stored(QStringLiteral("UpdateInfo/ApplicationPath")), programFolder);
}

TEST_F(Startup, StoredCustomColourIsOnTheSwatchBeforeTheWindowIsShown)
{
    struct Case {
        const char* stored;
        engine::ColorValue colour;
    };
    // One to eight hexadecimal digits are a colour; anything else gives black; all stay as stored.
    const Case cases[] = {{"00C0C040", 0x00C0C040}, {"00c0c040", 0x00C0C040}, {"ff", 0xFF}, {"", 0},
        {"GGGGGGGG", 0}, {"000000FF0", 0}, {"00 0C040", 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        store(QStringLiteral("Setting/CustomFilter"), QString::fromLatin1(c.stored));
        frmMain& w = open();
        EXPECT_FALSE(w.isVisible());
        EXPECT_EQ(w.CustomColor(), c.colour);
        EXPECT_EQ(w.picFilt[5]->backColor(), c.colour);
        EXPECT_EQ(stored(QStringLiteral("Setting/CustomFilter")), QString::fromLatin1(c.stored));
    }
}

// Nothing the window does needs its two start-up entries: settings it cannot write stop nothing.
TEST_F(Startup, SettingsThatCannotBeWrittenDoNotStopTheWindow)
{
    QFile blocker(dir.path() + QStringLiteral("/plain-file"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    shell::Services s = services();
    s.settingsFile = blocker.fileName() + QStringLiteral("/Velmor.ini");
    frmMain w(s);
    EXPECT_TRUE(w.Form_Load());
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
    EXPECT_EQ(w.commandState(), CommandState::NoSource);
}

// A temporary folder name that another account took stops nothing either; only no folder at all
// ends the program, with the reason.
TEST_F(Startup, OnlyNoTemporaryFolderAtAllEndsTheProgramWithAMessage)
{
    QFile blocker(dir.path() + QStringLiteral("/plain-file"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    qunsetenv("XDG_RUNTIME_DIR");
    frmMain w(servicesIn(blocker.fileName()));
    EXPECT_FALSE(w.Form_Load());
    qunsetenv("TMPDIR");
    if (!runtime.isEmpty())
        qputenv("XDG_RUNTIME_DIR", runtime);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains(QStringLiteral("一時フォルダ"))) << messages[0].toStdString();
    EXPECT_TRUE(messages[0].contains(QStringLiteral("終了"))) << messages[0].toStdString();
}

TEST_F(Startup, AFolderAnotherAccountTookFirstStopsNothing)
{
    REQUIRE_OTHER_ACCOUNT(other);
    QTemporaryDir shared;
    ::chmod(QFile::encodeName(shared.path()).constData(), 01777); // as /tmp is
    const std::string taken = QFile::encodeName(shared.path()).toStdString() + "/velmor-" + std::to_string(::getuid());
    ASSERT_EQ(testsupport::runAs(*other, "mkdir -m 700 '" + taken + "'"), 0);
    frmMain w(servicesIn(shared.path()));
    EXPECT_TRUE(w.Form_Load());
    qunsetenv("TMPDIR");
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
    EXPECT_FALSE(w.TempFolder().startsWith(QString::fromStdString(taken) + QLatin1Char('/')));
}

TEST(VersionText, MinorInTwoDigitsAndRevisionInFour)
{
    EXPECT_EQ(shell::versionText(1, 0, 0), QStringLiteral("1.00.0000"));
    EXPECT_EQ(shell::versionText(2, 15, 37), QStringLiteral("2.15.0037"));
    EXPECT_EQ(shell::versionText(10, 123, 45678), QStringLiteral("10.123.45678"));
}

} // namespace
