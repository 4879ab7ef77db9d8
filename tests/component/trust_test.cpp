// Code another account could have put in place never runs here: registries, the modules they
// name, the archiver beside the control and what the registration tool accepts and writes.
#include "tests/component/registry_fixture.h"
#include "tests/support/otheraccount.h"

#include <QFileInfo>
#include <functional>
#include <sys/stat.h>

using namespace testsupport;
namespace pc = platform::component;

namespace {

const QString kPlantedClsid = QStringLiteral("{00000000-0000-0000-0000-0000000000F1}");
const QString kPlantedProgId = QStringLiteral("Test.Planted");

class TrustTest : public RegistryFixture {
protected:
    ScopedEnv marker {"VELMOR_PLANTED_MARKER", QFile::encodeName(root.filePath("ran"))};

    bool plantedCodeRan() const { return QFileInfo::exists(root.filePath("ran")); }

    // The planted library copied to root/<relative>, in folders made for it.
    QString plant(const QString& relative, const QString& library = QStringLiteral(VELMOR_PLANTED_MODULE)) const
    {
        const QString path = root.filePath(relative);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile::remove(path);
        EXPECT_TRUE(QFile::copy(library, path)) << path.toStdString();
        ::chmod(QFile::encodeName(path).constData(), 0755);
        return path;
    }
    static void chmodPath(const QString& path, mode_t mode) { ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), mode), 0); }
};

struct Placement {
    const char* what;
    std::function<void(TrustTest&, const QString& module)> spoil; // module is root/<folder>/lib.so
    const char* reason;
};

TEST_F(TrustTest, AModuleAnotherAccountCouldReplaceIsNeverLoaded)
{
    const Placement placements[] = {
        {"its folder is open to all", [](TrustTest& t, const QString& m) { t.chmodPath(QFileInfo(m).absolutePath(), 0777); },
            "他のユーザーも書き換えられます"},
        {"the file is open to all", [](TrustTest& t, const QString& m) { t.chmodPath(m, 0666); }, "他のユーザーも書き換えられます"},
        {"a group may write its folder", [](TrustTest& t, const QString& m) { t.chmodPath(QFileInfo(m).absolutePath(), 0775); },
            "他のユーザーも書き換えられます"},
    };
    int n = 0;
    for (const Placement& p : placements) {
        const QString module = plant(QStringLiteral("m%1/lib.so").arg(n++));
        p.spoil(*this, module);
        registerIn(pc::Scope::System, module, kPlantedProgId, kPlantedClsid);
        const pc::AutomationError e = errorOf([&] { pc::createControl(kPlantedProgId, &window); });
        EXPECT_EQ(e.number(), platform::kPermissionDenied) << p.what << ": " << e.text().toStdString();
        EXPECT_TRUE(e.text().contains(module)) << p.what << ": " << e.text().toStdString();
        EXPECT_TRUE(e.text().contains(QString::fromUtf8(p.reason))) << p.what << ": " << e.text().toStdString();
        EXPECT_FALSE(plantedCodeRan()) << p.what;
    }
}

TEST_F(TrustTest, ModulesAndRegistriesOfAnotherAccountAreRefusedByName)
{
    REQUIRE_OTHER_ACCOUNT(other);
    // Their module, and our module in their folder.
    const QString theirs = plant(QStringLiteral("theirs/lib.so"));
    giveTo(*other, QFile::encodeName(theirs));
    const QString inTheirFolder = plant(QStringLiteral("folder/lib.so"));
    giveTo(*other, QFile::encodeName(root.filePath("folder")));
    for (const QString& module : {theirs, inTheirFolder}) {
        registerIn(pc::Scope::User, module, kPlantedProgId, kPlantedClsid);
        const pc::AutomationError e = errorOf([&] { pc::createControl(kPlantedProgId, &window); });
        EXPECT_EQ(e.number(), platform::kPermissionDenied) << e.text().toStdString();
        EXPECT_TRUE(e.text().contains(QString::fromLatin1(kOtherAccountName))) << e.text().toStdString();
        EXPECT_FALSE(plantedCodeRan());
    }

    // A machine registry they own names a module of ours: it is not read at all.
    QFile::remove(pc::registryPath(pc::Scope::User));
    ASSERT_EQ(run(binPath("regsvr"), {"--system", binPath("libqpxctrl.so")}), 0);
    giveTo(*other, QFile::encodeName(pc::registryPath(pc::Scope::System)));
    const pc::AutomationError e = errorOf([&] { pc::createControl(kProgId, &window); });
    EXPECT_EQ(e.number(), platform::kPermissionDenied);
    EXPECT_TRUE(e.text().contains(pc::registryPath(pc::Scope::System))) << e.text().toStdString();
}

// The attack as it was found: the machine registry written under umask 000, then rewritten by
// another account to name its own library, which root's next run would load.
TEST_F(TrustTest, TheMachineRegistryIsWrittenForOwnersOnlyAndAnOpenOneIsNotRead)
{
    QByteArray output;
    ASSERT_EQ(run(QStringLiteral("/bin/sh"), {"-c", "umask 000; exec \"$0\" --system \"$1\"", binPath("regsvr"), binPath("libqpxctrl.so")},
                  &output),
        0)
        << output.constData();
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(pc::registryPath(pc::Scope::System)).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0644u);
    ASSERT_EQ(::stat(QFile::encodeName(root.filePath("system")).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0755u);

    // Had it been left open, the planted library it was rewritten to name would not run.
    const QString planted = plant(QStringLiteral("home/lib.so"));
    registerIn(pc::Scope::System, planted, kPlantedProgId, kPlantedClsid);
    chmodPath(pc::registryPath(pc::Scope::System), 0666);
    const pc::AutomationError e = errorOf([&] { pc::createControl(kPlantedProgId, &window); });
    EXPECT_EQ(e.number(), platform::kPermissionDenied);
    EXPECT_TRUE(e.text().contains(pc::registryPath(pc::Scope::System))) << e.text().toStdString();
    EXPECT_FALSE(plantedCodeRan());

    // Registering again closes it.
    ASSERT_EQ(run(binPath("regsvr"), {"--system", binPath("libqpxctrl.so")}, &output), 0) << output.constData();
    ASSERT_EQ(::stat(QFile::encodeName(pc::registryPath(pc::Scope::System)).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0644u);
}

TEST_F(TrustTest, TheRegistrationToolRefusesAModuleItWouldNotLoad)
{
    const QString planted = plant(QStringLiteral("open/lib.so"));
    chmodPath(root.filePath("open"), 0777);
    for (const QStringList& args : {QStringList {planted}, QStringList {"--system", planted}}) {
        QByteArray output;
        EXPECT_EQ(run(binPath("regsvr"), args, &output), 3) << output.constData();
        EXPECT_TRUE(QString::fromUtf8(output).contains(root.filePath("open"))) << output.constData();
        EXPECT_FALSE(plantedCodeRan());
    }
    EXPECT_FALSE(QFileInfo::exists(pc::registryPath(pc::Scope::User)));
    EXPECT_FALSE(QFileInfo::exists(pc::registryPath(pc::Scope::System)));
}

TEST_F(TrustTest, AFifoNamedAsTheModuleIsRefusedWithoutWaiting)
{
    const QString fifo = root.filePath("fifo.so");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
    registerIn(pc::Scope::User, fifo, kPlantedProgId, kPlantedClsid);
    const pc::AutomationError e = errorOf([&] { pc::createControl(kPlantedProgId, &window); });
    EXPECT_NE(e.number(), 0);
    EXPECT_TRUE(e.text().contains(QStringLiteral("通常のファイルではありません"))) << e.text().toStdString();

    QByteArray output;
    EXPECT_EQ(run(binPath("regsvr"), {fifo}, &output), 3) << output.constData();
}

// The control loads the archiver from its own folder, which the registry check has vouched for;
// a library there that another account could replace is not loaded either.
TEST_F(TrustTest, AnArchiverBesideTheControlThatOthersCouldReplaceIsNotLoaded)
{
    const QString control = plant(QStringLiteral("control/libqpxctrl.so"), binPath("libqpxctrl.so"));
    const QString archiver = plant(QStringLiteral("control/libunlha32.so"));
    chmodPath(archiver, 0666);
    ScopedEnv noOverride("VELMOR_UNLHA32_LIBRARY", "");
    QByteArray output;
    ASSERT_EQ(run(binPath("regsvr"), {control}, &output), 0) << output.constData();
    auto qpx = pc::createControl(kProgId, &window);
    ASSERT_NE(qpx, nullptr);
    writeFile(root.filePath("sea.QPX"), "anything");
    platform::component::setMessageBoxHandler([](const auto&) {});
    const pc::AutomationError e = errorOf([&] {
        QVariantList args {root.filePath("sea.QPX")};
        qpx->invoke(kOpenQPX, args);
    });
    platform::component::setMessageBoxHandler({});
    EXPECT_EQ(e.number(), platform::kPermissionDenied) << e.text().toStdString();
    EXPECT_TRUE(e.text().contains(archiver)) << e.text().toStdString();
    EXPECT_FALSE(plantedCodeRan());
}

} // namespace
