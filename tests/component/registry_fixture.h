#pragma once
// A private user registry, machine registry and temporary folder for tests of the component layer,
// a window to place controls on, and classes registered straight into either registry.

#include "platform/component/registry.h"
#include "tests/qpxctrl/qpxhost.h"

namespace testsupport {

class RegistryFixture : public ::testing::Test {
protected:
    QTemporaryDir root;
    ScopedEnv config {"XDG_CONFIG_HOME", QFile::encodeName(root.filePath("config"))};
    ScopedEnv system {"VELMOR_SYSTEM_REGISTRY", QFile::encodeName(root.filePath("system/registry.ini"))};
    ScopedEnv tmp {"TMPDIR", QFile::encodeName(root.filePath("tmp"))};
    QWidget window;

    void SetUp() override { ASSERT_TRUE(QDir().mkpath(root.filePath("tmp"))); }
    void TearDown() override { platform::component::setRegistrationScope(platform::component::Scope::User); }

    // A class of progId and clsid whose module is modulePath, in the registry of scope.
    static void registerIn(platform::component::Scope scope, const QString& modulePath, const QString& progId,
        const QString& clsid)
    {
        platform::component::ClassRegistration r;
        r.clsid = clsid;
        r.progId = progId;
        r.modulePath = modulePath;
        r.typeLibId = QStringLiteral("{00000000-0000-0000-0000-0000000000D2}");
        r.typeLibVersion = QStringLiteral("1.0");
        platform::component::setRegistrationScope(scope);
        platform::component::registerClass(r);
        platform::component::setRegistrationScope(platform::component::Scope::User);
    }
};

} // namespace testsupport
