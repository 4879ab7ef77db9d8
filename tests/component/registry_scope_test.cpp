// The user's registry and the machine's: which one a host reads, what the registration tool writes
// where, and how broken machine-wide entries fail.
#include "platform/component/regcommand.h"
#include "tests/component/registry_fixture.h"

#include <QFileInfo>
#include <QCoreApplication>
#include <QSettings>

using namespace testsupport;
namespace pc = platform::component;

namespace {

const QString kClsid = QStringLiteral("{00000000-0000-0000-0000-0000000000D1}");
const QString kTestProgId = QStringLiteral("Test.Scoped");

class RegistryScopeTest : public RegistryFixture {
protected:
    static void registerIn(pc::Scope scope, const QString& modulePath, const QString& progId = kTestProgId,
        const QString& clsid = kClsid)
    {
        RegistryFixture::registerIn(scope, modulePath, progId, clsid);
    }
    bool holdsQpx(pc::Scope scope) const
    {
        return QSettings(pc::registryPath(scope), QSettings::IniFormat).contains(QStringLiteral("ProgID/") + kProgId + "/CLSID");
    }
};

TEST_F(RegistryScopeTest, TheUsersEntryWinsOverTheMachinesAndEitherAloneIsFound)
{
    const struct {
        const char* name;
        bool user;
        bool machine;
        const char* found; // module path found, nullptr for none
    } cases[] = {
        {"neither", false, false, nullptr},
        {"machine only", false, true, "/machine/mod.so"},
        {"user only", true, false, "/user/mod.so"},
        {"both", true, true, "/user/mod.so"},
    };
    for (const auto& c : cases) {
        QFile::remove(pc::registryPath(pc::Scope::User));
        QFile::remove(pc::registryPath(pc::Scope::System));
        if (c.user)
            registerIn(pc::Scope::User, "/user/mod.so");
        if (c.machine)
            registerIn(pc::Scope::System, "/machine/mod.so");
        const std::optional<QString> clsid = pc::classIdOf(kTestProgId);
        const std::optional<pc::ClassRegistration> r = clsid ? pc::lookUpClass(*clsid) : std::nullopt;
        if (!c.found) {
            EXPECT_FALSE(clsid) << c.name;
            continue;
        }
        ASSERT_TRUE(r) << c.name;
        EXPECT_EQ(r->modulePath, QString::fromLatin1(c.found)) << c.name;
        EXPECT_EQ(r->typeLibVersion, "1.0") << c.name; // read whole from the same file
    }
}

TEST_F(RegistryScopeTest, AnIdentifierTheUserMapsElsewhereStillFindsTheMachinesClass)
{
    // The user's program identifier names a class only the machine registers.
    registerIn(pc::Scope::System, "/machine/mod.so");
    QSettings user(pc::registryPath(pc::Scope::User), QSettings::IniFormat);
    user.setValue("ProgID/Test.Alias/CLSID", kClsid);
    user.sync();
    const std::optional<QString> clsid = pc::classIdOf("Test.Alias");
    ASSERT_TRUE(clsid);
    const std::optional<pc::ClassRegistration> r = pc::lookUpClass(*clsid);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->modulePath, "/machine/mod.so");
}

TEST_F(RegistryScopeTest, AMachineWideRegistrationServesAnAccountThatRegisteredNothing)
{
    ASSERT_EQ(run(binPath("regsvr"), {"--system", binPath("libqpxctrl.so")}), 0);
    EXPECT_TRUE(holdsQpx(pc::Scope::System));
    EXPECT_FALSE(QFileInfo::exists(pc::registryPath(pc::Scope::User)));
    EXPECT_NE(pc::createControl(kProgId, &window), nullptr);

    // The user's own registration and its removal leave the machine's untouched.
    ASSERT_EQ(run(binPath("regsvr"), {binPath("libqpxctrl.so")}), 0);
    ASSERT_EQ(run(binPath("regsvr"), {"-u", binPath("libqpxctrl.so")}), 0);
    EXPECT_FALSE(holdsQpx(pc::Scope::User));
    EXPECT_TRUE(holdsQpx(pc::Scope::System));

    ASSERT_EQ(run(binPath("regsvr"), {"--system", "-u", binPath("libqpxctrl.so")}), 0);
    EXPECT_FALSE(holdsQpx(pc::Scope::System));
    const pc::AutomationError e = errorOf([&] { pc::createControl(kProgId, &window); });
    EXPECT_EQ(e.number(), pc::kCannotCreateObject);
}

TEST_F(RegistryScopeTest, BrokenMachineWideEntriesFailAsAutomationErrors)
{
    writeFile(root.filePath("notalibrary.so"), "not an ELF file\n");
    const struct {
        const char* progId;
        QString module;
    } cases[] = {
        {"Test.Missing", root.filePath("gone/libqpxctrl.so")},
        {"Test.NotALibrary", root.filePath("notalibrary.so")},
        {"Test.Relative", QStringLiteral("libqpxctrl.so")},
        {"Test.NoFactory", binPath("libvelmor_component.so")},
    };
    int n = 0;
    for (const auto& c : cases)
        registerIn(pc::Scope::System, c.module, c.progId, QStringLiteral("{00000000-0000-0000-0000-0000000000E%1}").arg(n++));
    for (const auto& c : cases) {
        const pc::AutomationError e = errorOf([&] { pc::createControl(QString::fromLatin1(c.progId), &window); });
        EXPECT_EQ(e.number(), pc::kCannotCreateObject) << c.progId;
        EXPECT_TRUE(e.text().contains(c.module)) << e.text().toStdString();
    }
}

TEST_F(RegistryScopeTest, AnUnwritableMachineRegistryIsReportedAndLeavesTheUsersAlone)
{
    writeFile(root.filePath("plainfile"), "x");
    ScopedEnv blocked("VELMOR_SYSTEM_REGISTRY", QFile::encodeName(root.filePath("plainfile/registry.ini")));
    QByteArray output;
    EXPECT_EQ(run(binPath("regsvr"), {"--system", binPath("libqpxctrl.so")}, &output), 5) << output.constData();
    EXPECT_TRUE(QString::fromLocal8Bit(output).contains(root.filePath("plainfile/registry.ini"))) << output.constData();
    EXPECT_FALSE(QFileInfo::exists(pc::registryPath(pc::Scope::User)));
}

TEST_F(RegistryScopeTest, TheToolExplainsItsUsageInOneLine)
{
    for (const QStringList& args : {QStringList {}, QStringList {"--bogus", "x.so"}, QStringList {"a.so", "b.so"}}) {
        QByteArray output;
        EXPECT_EQ(run(binPath("regsvr"), args, &output), 1) << args.join(' ').toStdString();
        EXPECT_EQ(output.count('\n'), 1) << output.constData();
        EXPECT_TRUE(output.contains("詳しくは --help")) << output.constData();
    }
    QByteArray output;
    EXPECT_EQ(run(binPath("regsvr"), {"--version"}, &output), 0);
    EXPECT_TRUE(output.startsWith("velmor-regsvr 1.0.0")) << output.constData();
}

TEST_F(RegistryScopeTest, TheRegistrationAdviceNamesACommandThatRunsAsWritten)
{
    const QString bin = QStringLiteral(VELMOR_BIN_DIR);
    const QString module = bin + "/libqpxctrl.so";
    ASSERT_EQ(QCoreApplication::applicationDirPath(), QFileInfo(bin).canonicalFilePath());
    QDir().mkpath(root.filePath("installed"));
    QFile::link(bin + "/regsvr", root.filePath("installed/velmor-regsvr"));
    QDir().mkpath(root.filePath("other"));
    QFile::link("/bin/true", root.filePath("other/velmor-regsvr"));
    const struct {
        const char* path;
        QString advice;
    } cases[] = {
        {"/nonexistent", bin + "/regsvr " + module},
        {"installed", "velmor-regsvr " + module},
        {"other", bin + "/regsvr " + module}, // someone else's tool of that name
    };
    for (const auto& c : cases) {
        const QString path = QString::fromLatin1(c.path).startsWith('/') ? QString::fromLatin1(c.path) : root.filePath(c.path);
        ScopedEnv onPath("PATH", QFile::encodeName(path));
        EXPECT_EQ(pc::registrationCommand("libqpxctrl.so"), c.advice) << c.path;
    }
}

} // namespace
