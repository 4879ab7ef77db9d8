#pragma once
// A main window on the offscreen platform with every outside service replaced: scripted dialogs,
// recorded messages and help requests, a settings file, a temporary folder and a screen of the
// test's own, 15 twips to the pixel, and a yield that handles events at every yield point.

#include "velmor/shell/frmmain.h"
#include "tests/support/scripteddialogs.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <memory>

struct WindowFixture : ::testing::Test {
    QTemporaryDir dir;
    QString tempFolder = dir.path() + QStringLiteral("/temp/");
    QString settingsFile = dir.path() + QStringLiteral("/settings/Velmor.ini");
    QString programFolder = dir.path() + QStringLiteral("/bin");
    std::shared_ptr<dialogs::ScriptedDialogs> dialogs = std::make_shared<dialogs::ScriptedDialogs>();
    QStringList messages;
    QStringList helpOpened;
    std::unique_ptr<frmMain> window;
    // The screen the window lies on, less panels: larger than any window unless a test says so.
    QRect screenArea{0, 0, 1 << 20, 1 << 20};

    WindowFixture() { QDir().mkpath(tempFolder); }

    shell::Services services()
    {
        shell::Services s;
        s.dialogs = dialogs;
        s.showMessage = [this](QWidget*, const QString& text) { messages << text; };
        s.openHelp = [this](const QString& path) { helpOpened << path; };
        s.tempFolder = [this] { return tempFolder; };
        s.settingsFile = settingsFile;
        s.programFolder = programFolder;
        s.availableArea = [this](const QWidget*) { return screenArea; };
        s.twipsPerPixel = 15;
        s.yieldSlice = std::chrono::nanoseconds(0);
        return s;
    }

    frmMain& open()
    {
        window = std::make_unique<frmMain>(services());
        EXPECT_TRUE(window->Form_Load()) << messages.join(QLatin1Char('\n')).toStdString();
        return *window;
    }

    QString stored(const QString& key) const { return QSettings(settingsFile, QSettings::IniFormat).value(key).toString(); }
    void store(const QString& key, const QString& value) const
    {
        QSettings s(settingsFile, QSettings::IniFormat);
        s.setValue(key, value);
    }
    QStringList tempFiles() const { return QDir(tempFolder).entryList(QDir::Files | QDir::Hidden); }

    // A source as Browse leaves it: a grey bitmap of the given size opened by the window, so that
    // the picture is in picSrc, its pixels in the grid and the commands enabled for it.
    void loadSource(int width, int height, std::uint8_t value = 100)
    {
        QImage picture(width, height, QImage::Format_RGB32);
        picture.fill(qRgb(value, value, value));
        const QString path = dir.path() + QStringLiteral("/source-%1x%2.bmp").arg(width).arg(height);
        ASSERT_TRUE(picture.save(path, "BMP"));
        window->openPicture(path);
        ASSERT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('\n')).toStdString();
    }

    // An output rendered for the current source and filter choice, as a preview leaves it.
    void makePreviewFresh()
    {
        window->cmdPrev->click();
        ASSERT_TRUE(window->session().PreviewFresh());
    }

    // What no command leaves on demand, planted in the window (the fixture is its friend): a
    // temporary folder that refuses files, a source bitmap that a failed open could not delete.
    void useTempFolder(const QString& folder) { window->tempFolder_ = folder; }
    void leaveSourceTemp(const QString& path) { window->session_.sourceTempLeft(path); }

    void TearDown() override { EXPECT_EQ(dialogs->unexpected, 0) << "a dialog was shown with no answer queued"; }
};
