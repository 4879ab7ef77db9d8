#pragma once
// What the window benchmarks share: a scratch folder with the window's temporary folder in it,
// the window's services over it, the QPX control registered there, and seconds on a timer.

#include "platform/component/control.h"
#include "tests/support/scripteddialogs.h"
#include "velmor/shell/services.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <memory>

namespace bench {

struct WindowScratch {
    QTemporaryDir dir;
    QString temp = dir.path() + QStringLiteral("/temp/");

    WindowScratch() { QDir().mkpath(temp); }

    shell::Services services(const std::shared_ptr<dialogs::ScriptedDialogs>& dialogs)
    {
        shell::Services s;
        s.dialogs = dialogs;
        s.tempFolder = [this] { return temp; };
        s.settingsFile = dir.path() + QStringLiteral("/Velmor.ini");
        s.showMessage = [](QWidget*, const QString& text) { qWarning("%s", qPrintable(text)); };
        return s;
    }

    // The control beside the benchmark, registered for this run only.
    void registerQpxControl() const
    {
        qputenv("XDG_CONFIG_HOME", (dir.path() + QStringLiteral("/config")).toLocal8Bit());
        QProcess::execute(QStringLiteral("%1/regsvr").arg(QCoreApplication::applicationDirPath()),
            {QStringLiteral("%1/libqpxctrl.so").arg(QCoreApplication::applicationDirPath())});
    }
};

inline double seconds(const QElapsedTimer& t) { return double(t.nsecsElapsed()) / 1e9; }

} // namespace bench
