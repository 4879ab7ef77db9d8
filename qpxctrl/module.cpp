// The module's exports: registration, the class factory and the late-bound members of QPXCtrl.
#include "platform/component/registry.h"
#include "platform/component/server.h"
#include "platform/nativepath.h"
#include "platform/qpx/identity.h"
#include "qpxctrl/qpxctrl.h"

#include <QPointer>
#include <atomic>
#include <cstdlib>
#include <dlfcn.h>

#define QPX_EXPORT extern "C" __attribute__((visibility("default")))

namespace pc = platform::component;

QPX_EXPORT pc::HResult DllRegisterServer();

namespace {

std::atomic<int> gLiveControls {0};
std::atomic<int> gServerLocks {0};

QString modulePath()
{
    Dl_info info {};
    if (::dladdr(reinterpret_cast<void*>(&DllRegisterServer), &info) == 0 || !info.dli_fname)
        return {};
    char* real = ::realpath(info.dli_fname, nullptr);
    if (!real)
        return {};
    const QString path = platform::fromNativePath(real);
    std::free(real);
    return path;
}

pc::ClassRegistration registration()
{
    pc::ClassRegistration r;
    r.clsid = QString::fromLatin1(qpx::kClassId);
    r.progId = QString::fromLatin1(qpx::kProgId);
    r.description = QStringLiteral("QPXCtrl");
    r.modulePath = modulePath();
    r.threadingModel = QStringLiteral("Apartment");
    r.control = true;
    r.toolboxBitmap = qpx::kToolboxBitmap;
    r.miscStatus = qpx::kMiscStatus;
    r.version = QString::fromLatin1(qpx::kFileVersion);
    r.typeLibId = QString::fromLatin1(qpx::kTypeLibId);
    r.typeLibName = QString::fromLatin1(qpx::kTypeLibName);
    r.typeLibVersion = QString::fromLatin1(qpx::kTypeLibVersion);
    r.typeLibHelp = QStringLiteral("QPXファイル読み書きコントロール");
    r.interfaces = {{QString::fromLatin1(qpx::kDefaultInterfaceId), QStringLiteral("_QPXCtrl")},
        {QString::fromLatin1(qpx::kEventInterfaceId), QStringLiteral("__QPXCtrl")}};
    return r;
}

QImage pictureArgument(const QVariant& v)
{
    if (!v.isValid() || v.isNull())
        return {};
    if (v.metaType() != QMetaType::fromType<QImage>())
        throw pc::automationError(platform::kTypeMismatch, QStringLiteral("(画像が必要です)"));
    return v.value<QImage>();
}

QString textArgument(const QVariant& v)
{
    if (v.metaType() == QMetaType::fromType<QImage>() || !v.canConvert<QString>())
        throw pc::automationError(platform::kTypeMismatch, QStringLiteral("(ファイル名が必要です)"));
    return v.toString();
}

// What a host holds: the control's widget, which the host's window may destroy first.
class QPXCtrlObject final : public pc::Control {
public:
    QPXCtrlObject(QWidget* parent, qpx::QPXCtrl::Mode mode) : ctrl_(new qpx::QPXCtrl(parent, mode)) { ++gLiveControls; }
    ~QPXCtrlObject() override
    {
        delete ctrl_.data();
        --gLiveControls;
    }

    QWidget* widget() override { return ctrl_.data(); }

    QVariant invoke(int dispId, QVariantList& args) override
    {
        switch (dispId) {
        case qpx::kDispSaveQPX:
            pc::requireArgumentCount(args, 2);
            return pc::automationBool(control().SaveQPX(pictureArgument(args[0]), textArgument(args[1])));
        case qpx::kDispOpenQPX:
            pc::requireArgumentCount(args, 1);
            return QVariant::fromValue(control().OpenQPX(textArgument(args[0])));
        default:
            throw pc::automationError(pc::kMemberNotFound, QStringLiteral("(0x%1)").arg(static_cast<quint32>(dispId), 8, 16, QLatin1Char('0')));
        }
    }

private:
    qpx::QPXCtrl& control()
    {
        if (!ctrl_)
            throw pc::automationError(424, QStringLiteral("QPXCtrl はウィンドウと共に破棄されました。"));
        return *ctrl_;
    }

    QPointer<qpx::QPXCtrl> ctrl_;
};

class Factory final : public pc::ClassFactory {
public:
    pc::Control* createInstance(QWidget* parent) override
    {
        return new QPXCtrlObject(parent, qpx::QPXCtrl::Mode::Run);
    }
    void lockServer(bool lock) override { gServerLocks += lock ? 1 : -1; }
};

Factory gFactory;

} // namespace

QPX_EXPORT pc::HResult DllRegisterServer()
{
    try {
        pc::registerClass(registration());
        return pc::kOk;
    } catch (...) {
        return pc::kRegistrationFailed;
    }
}

QPX_EXPORT pc::HResult DllUnregisterServer()
{
    try {
        pc::unregisterClass(registration());
        return pc::kOk;
    } catch (...) {
        return pc::kRegistrationFailed;
    }
}

QPX_EXPORT pc::HResult DllGetClassObject(const char* clsid, const char* iid, void** factory)
{
    if (!factory)
        return pc::kInvalidArg;
    *factory = nullptr;
    if (!clsid || QString::fromLatin1(clsid).compare(QLatin1String(qpx::kClassId), Qt::CaseInsensitive) != 0)
        return pc::kClassNotAvailable;
    if (!iid || QString::fromLatin1(iid).compare(QLatin1String(pc::kIClassFactory), Qt::CaseInsensitive) != 0)
        return pc::kNoInterface;
    *factory = static_cast<pc::ClassFactory*>(&gFactory);
    return pc::kOk;
}

QPX_EXPORT pc::HResult DllCanUnloadNow()
{
    return gLiveControls == 0 && gServerLocks == 0 ? pc::kOk : pc::kFalse;
}
