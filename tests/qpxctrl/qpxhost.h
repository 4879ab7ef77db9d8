#pragma once
// A host for the control as tests see it: a private configuration folder with the control
// registered by the regsvr command, a private temporary folder, a window to place the control
// on, and the control's message boxes recorded instead of shown.

#include "platform/component/control.h"
#include "platform/component/messagebox.h"
#include "tests/support/files.h"

#include <gtest/gtest.h>

#include <ostream>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QWidget>
#include <unistd.h>
#include <vector>

// Readable failure output for texts.
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace testsupport {

inline const QString kProgId = QStringLiteral("QPXControl.QPXCtrl");
inline constexpr int kSaveQPX = 0x60030000;
inline constexpr int kOpenQPX = 0x60030001;

inline QString binPath(const char* name)
{
    return QStringLiteral(VELMOR_BIN_DIR "/") + QLatin1String(name);
}

// Runs one of the built commands (or a system one); returns its exit code, -1 if it did not run.
inline int run(const QString& program, const QStringList& args, QByteArray* output = nullptr)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    if (!p.waitForFinished(60000))
        return -1;
    if (output)
        *output = p.readAll();
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

// Sets an environment variable for the life of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const QByteArray& value) : name_(name), had_(qEnvironmentVariableIsSet(name)), old_(qgetenv(name))
    {
        qputenv(name, value);
    }
    ~ScopedEnv()
    {
        if (had_)
            qputenv(name_, old_);
        else
            qunsetenv(name_);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    bool had_;
    QByteArray old_;
};

class QpxHostTest : public ::testing::Test {
protected:
    QTemporaryDir root;
    ScopedEnv config {"XDG_CONFIG_HOME", QFile::encodeName(root.filePath("config"))};
    ScopedEnv tmp {"TMPDIR", QFile::encodeName(root.filePath("tmp"))};
    QWidget window;
    std::vector<platform::component::MessageBoxRequest> messages;

    void SetUp() override
    {
        ASSERT_TRUE(root.isValid());
        ASSERT_TRUE(QDir().mkpath(root.filePath("tmp")));
        ASSERT_TRUE(QDir().mkpath(root.filePath("pics")));
        ASSERT_EQ(run(binPath("regsvr"), {binPath("libqpxctrl.so")}), 0);
        platform::component::setMessageBoxHandler([this](const auto& m) { messages.push_back(m); });
    }
    void TearDown() override { platform::component::setMessageBoxHandler({}); }

    QString pics(const QString& name) const { return root.filePath("pics/") + name; }
    QString tempFolder() const { return root.filePath("tmp/velmor-%1/").arg(::getuid()); }
    QStringList tempEntries() const
    {
        return QDir(tempFolder()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    }

    std::unique_ptr<platform::component::Control> create()
    {
        return platform::component::createControl(kProgId, &window);
    }
    static QVariant save(platform::component::Control& c, const QImage& picture, const QString& name)
    {
        QVariantList args {QVariant::fromValue(picture), name};
        return c.invoke(kSaveQPX, args);
    }
    static QImage open(platform::component::Control& c, const QString& name)
    {
        QVariantList args {name};
        return c.invoke(kOpenQPX, args).value<QImage>();
    }
};

// The error an automation call raises, or 0.
template <typename F>
platform::component::AutomationError errorOf(F&& f)
{
    try {
        f();
    } catch (const platform::component::AutomationError& e) {
        return e;
    }
    return platform::component::AutomationError(0, {});
}

// A small picture whose every pixel differs, with a width that needs row padding.
inline QImage testPicture(int seed = 0)
{
    QImage img(7, 5, QImage::Format_RGB32);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            img.setPixel(x, y, qRgb((x * 37 + seed) & 255, (y * 51 + seed * 3) & 255, (x * y * 13 + 7) & 255));
    return img;
}

inline bool samePixels(const QImage& a, const QImage& b)
{
    return a.size() == b.size() && a.convertToFormat(QImage::Format_RGB32) == b.convertToFormat(QImage::Format_RGB32);
}

} // namespace testsupport
