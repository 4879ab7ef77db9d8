// The control as a component: registration, creation by identifier, dispatch and its failures.
#include "platform/component/registry.h"
#include "qpxctrl/qpxctrl.h"
#include "qpxhost.h"

#include <QFileInfo>

using namespace testsupport;
using platform::component::AutomationError;
namespace pc = platform::component;

namespace {

using ShellTest = QpxHostTest;

TEST_F(ShellTest, RegistrationRecordsTheClassForAnyHost)
{
    const std::optional<QString> clsid = pc::classIdOf(kProgId);
    ASSERT_TRUE(clsid);
    const std::optional<pc::ClassRegistration> r = pc::lookUpClass(*clsid);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->progId, kProgId);
    EXPECT_EQ(r->modulePath, QFileInfo(binPath("libqpxctrl.so")).canonicalFilePath());
    EXPECT_EQ(r->threadingModel, "Apartment");
    EXPECT_TRUE(r->control);
    EXPECT_EQ(r->toolboxBitmap, 30000);
    EXPECT_EQ(r->miscStatus, 0x20591u);
    EXPECT_EQ(r->version, "1.0.0.0");
    EXPECT_EQ(r->typeLibName, "QPXControl");
    EXPECT_EQ(r->typeLibVersion, "3.0");
    QStringList interfaces;
    for (const auto& i : r->interfaces)
        interfaces << i.name;
    interfaces.sort();
    EXPECT_EQ(interfaces, (QStringList {"_QPXCtrl", "__QPXCtrl"}));
    EXPECT_TRUE(pc::registryPath().startsWith(root.filePath("config")));

    const QImage toolbox = pc::toolboxBitmap(kProgId);
    EXPECT_EQ(toolbox.size(), QSize(16, 15));
}

TEST_F(ShellTest, TheControlIsAnInvisibleChildOfTheHostsWindowWithItsOwnTemporaryFolder)
{
    auto qpx = create();
    ASSERT_TRUE(qpx->widget());
    EXPECT_EQ(qpx->widget()->parentWidget(), &window);
    window.show();
    EXPECT_FALSE(qpx->widget()->isVisible());
    EXPECT_TRUE(QFileInfo(tempFolder()).isDir()); // made at creation
}

TEST_F(ShellTest, CreationFailsClearlyWhenAnyLinkIsMissing)
{
    // A class whose module is gone, one whose module has no class factory, and one the module
    // does not provide.
    pc::ClassRegistration gone;
    gone.clsid = "{00000000-0000-0000-0000-00000000000A}";
    gone.progId = "Test.Gone";
    gone.modulePath = root.filePath("gone/libqpxctrl.so");
    pc::ClassRegistration noFactory = gone;
    noFactory.clsid = "{00000000-0000-0000-0000-00000000000B}";
    noFactory.progId = "Test.NoFactory";
    noFactory.modulePath = binPath("libvelmor_platform.so");
    pc::ClassRegistration otherClass = gone;
    otherClass.clsid = "{00000000-0000-0000-0000-00000000000C}";
    otherClass.progId = "Test.OtherClass";
    otherClass.modulePath = binPath("libqpxctrl.so");
    for (const auto& r : {gone, noFactory, otherClass})
        pc::registerClass(r);

    for (const char* progId : {"Test.Gone", "Test.NoFactory", "Test.OtherClass", "Nobody.Registered"}) {
        const AutomationError e = errorOf([&] { pc::createControl(QString::fromLatin1(progId), &window); });
        EXPECT_EQ(e.number(), pc::kCannotCreateObject) << progId;
        EXPECT_TRUE(e.text().startsWith(QStringLiteral("ActiveX コンポーネントはオブジェクトを作成できません。"))) << progId;
    }
}

TEST_F(ShellTest, AfterUnregisteringCreationFailsClearly)
{
    create(); // loaded once in this process, which must not matter
    ASSERT_EQ(run(binPath("regsvr"), {"-u", binPath("libqpxctrl.so")}), 0);
    const AutomationError e = errorOf([&] { create(); });
    EXPECT_EQ(e.number(), pc::kCannotCreateObject);
    EXPECT_TRUE(e.text().contains(kProgId)) << e.text().toStdString();
}

TEST_F(ShellTest, RegsvrRefusesWhatItCannotRegister)
{
    EXPECT_EQ(run(binPath("regsvr"), {}), 1);
    EXPECT_EQ(run(binPath("regsvr"), {root.filePath("missing.so")}), 3);
    EXPECT_EQ(run(binPath("regsvr"), {binPath("libvelmor_platform.so")}), 4);
}

TEST_F(ShellTest, LateCallsCheckTheMemberAndItsArguments)
{
    auto qpx = create();
    const struct {
        int dispId;
        QVariantList args;
        int number;
    } cases[] = {
        {0x60030002, {pics("sea.QPX")}, pc::kMemberNotFound},
        {0, {}, pc::kMemberNotFound},
        {kSaveQPX, {QVariant::fromValue(testPicture())}, pc::kWrongArgumentCount},
        {kSaveQPX, {QVariant::fromValue(testPicture()), pics("sea.QPX"), 1}, pc::kWrongArgumentCount},
        {kOpenQPX, {}, pc::kWrongArgumentCount},
        {kSaveQPX, {pics("a.QPX"), pics("sea.QPX")}, platform::kTypeMismatch},
        {kOpenQPX, {QVariant::fromValue(testPicture())}, platform::kTypeMismatch},
    };
    for (auto c : cases)
        EXPECT_EQ(errorOf([&] { qpx->invoke(c.dispId, c.args); }).number(), c.number) << std::hex << c.dispId;
    EXPECT_TRUE(tempEntries().isEmpty());
}

TEST_F(ShellTest, ATemporaryFolderThatCannotBeMadeRefusesCreation)
{
    writeFile(root.filePath("plainfile"), "x");
    ScopedEnv badTmp("TMPDIR", QFile::encodeName(root.filePath("plainfile")));
    EXPECT_EQ(errorOf([&] { create(); }).number(), platform::kInvalidArgument);
}

TEST_F(ShellTest, AHeadlessHostTakesTheMessagesAsErrors)
{
    pc::setMessageBoxHandler(pc::raiseMessageAsError);
    auto qpx = create();
    const AutomationError refused = errorOf([&] { save(*qpx, testPicture(), pics("sea.bmp")); });
    EXPECT_EQ(refused.text(), QStringLiteral("ﾌｧｲﾙ名の拡張子がQPXではありません。"));
    const AutomationError missing = errorOf([&] { open(*qpx, pics("none.QPX")); });
    EXPECT_EQ(missing.number(), platform::kFileNotFound);
    EXPECT_EQ(missing.text(), QStringLiteral("指定のQPXﾌｧｲﾙはありません。"));
}

TEST_F(ShellTest, AControlOutlivingItsWindowFailsItsCallsWithoutCrashing)
{
    auto host = std::make_unique<QWidget>();
    auto qpx = pc::createControl(kProgId, host.get());
    host.reset();
    EXPECT_EQ(qpx->widget(), nullptr);
    EXPECT_NE(errorOf([&] { open(*qpx, pics("sea.QPX")); }).number(), 0);
}

TEST(QPXCtrlClass, ShowsItsBadgeAtDesignTimeAndKeepsTheLastPictureOpened)
{
    QTemporaryDir root;
    ScopedEnv tmp("TMPDIR", QFile::encodeName(root.path()));
    platform::component::setMessageBoxHandler(pc::raiseMessageAsError);

    qpx::QPXCtrl design(nullptr, qpx::QPXCtrl::Mode::Design);
    EXPECT_EQ(design.size(), QSize(32, 32));
    const QImage face = design.grab().toImage();
    EXPECT_NE(face.pixelColor(16, 16), face.pixelColor(0, 0)); // a badge on the background
    EXPECT_EQ(design.TempFolder(), root.path() + QStringLiteral("/velmor-%1/").arg(::getuid()));

    qpx::QPXCtrl ctrl(nullptr);
    ASSERT_TRUE(ctrl.SaveQPX(testPicture(1), root.filePath("one.QPX")));
    ASSERT_TRUE(ctrl.SaveQPX(testPicture(2), root.filePath("two.QPX")));
    const QImage first = ctrl.OpenQPX(root.filePath("one.QPX"));
    const QImage second = ctrl.OpenQPX(root.filePath("two.QPX"));
    EXPECT_EQ(ctrl.picDmy().picture().cacheKey(), second.cacheKey()); // shared with the caller
    EXPECT_TRUE(samePixels(first, testPicture(1)));
    EXPECT_TRUE(samePixels(second, testPicture(2)));
    platform::component::setMessageBoxHandler({});
}

} // namespace
