#include "window_fixture.h"

#include "platform/tempfolder.h"
#include "velmor/shell/version.h"

#include <QFile>

namespace {

using Startup = WindowFixture;

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

TEST_F(Startup, AnUnusableSettingsStoreOrTemporaryFolderEndsTheProgramWithAMessage)
{
    QFile blocker(dir.path() + QStringLiteral("/plain-file"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    struct Case {
        const char* what;
        std::function<void(shell::Services&)> spoil;
        const char* said;
    };
    const Case cases[] = {
        {"settings below a file", [&](shell::Services& s) { s.settingsFile = blocker.fileName() + QStringLiteral("/Velmor.ini"); },
            "設定を保存できません"},
        {"temporary folder below a file", [&](shell::Services& s) {
             s.tempFolder = [&] {
                 qputenv("TMPDIR", blocker.fileName().toLocal8Bit());
                 const QString folder = platform::privateTempFolder();
                 return folder;
             };
         },
            "一時フォルダ"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        messages.clear();
        shell::Services s = services();
        c.spoil(s);
        frmMain w(s);
        EXPECT_FALSE(w.Form_Load());
        qunsetenv("TMPDIR");
        ASSERT_EQ(messages.size(), 1);
        EXPECT_TRUE(messages[0].contains(QString::fromUtf8(c.said))) << messages[0].toStdString();
        EXPECT_TRUE(messages[0].contains(QStringLiteral("終了"))) << messages[0].toStdString();
    }
}

TEST(VersionText, MinorInTwoDigitsAndRevisionInFour)
{
    EXPECT_EQ(shell::versionText(1, 0, 0), QStringLiteral("1.00.0000"));
    EXPECT_EQ(shell::versionText(2, 15, 37), QStringLiteral("2.15.0037"));
    EXPECT_EQ(shell::versionText(10, 123, 45678), QStringLiteral("10.123.45678"));
}

} // namespace
