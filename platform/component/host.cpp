// Creating a control by its programmatic identifier, and the host's side of every call to it.
#include "platform/component/control.h"
#include "platform/component/registry.h"
#include "platform/component/server.h"

#include "platform/nativepath.h"
#include "platform/trust.h"

#include <QApplication>
#include <QThread>
#include <dlfcn.h>

namespace platform::component {
namespace {

constexpr int kInternalError = 51;

// Modules stay loaded for the life of the process: a control's widget, its resources and the
// type information of its errors may outlive any one control, so unloading is never safe.
// A module runs as this account, so one that another account could have replaced is never
// loaded (platform/trust.h); what is loaded is the very file that was checked, links resolved.
void* loadModule(const ClassRegistration& r)
{
    const QString& path = r.modulePath;
    if (!path.startsWith(QLatin1Char('/')))
        throw automationError(kCannotCreateObject,
            QStringLiteral("クラス %1 のモジュールのパスが不正です: %2").arg(r.clsid, platform::shownPath(path)));
    const platform::TrustVerdict verdict = platform::checkTrustedFile(path);
    if (verdict.missing)
        throw automationError(kCannotCreateObject, QStringLiteral("モジュール %1 が見つかりません。").arg(platform::shownPath(path)));
    if (!verdict.trusted)
        throw AutomationError(platform::kPermissionDenied,
            platform::untrustedMessage(QStringLiteral("モジュール"), path, verdict.reason));
    void* handle = ::dlopen(platform::toNativePath(verdict.resolved).constData(), RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        throw automationError(kCannotCreateObject,
            QStringLiteral("モジュール %1 を読み込めません: %2").arg(platform::shownPath(path), QString::fromLocal8Bit(::dlerror())));
    return handle;
}

ClassRegistration registeredClass(const QString& progId)
{
    const std::optional<QString> clsid = classIdOf(progId);
    if (!clsid)
        throw automationError(kCannotCreateObject, QStringLiteral("クラスが登録されていません: %1").arg(progId));
    std::optional<ClassRegistration> r = lookUpClass(*clsid);
    if (!r)
        throw automationError(kCannotCreateObject,
            QStringLiteral("クラス %1 (%2) のモジュールが登録されていません。").arg(progId, *clsid));
    return *r;
}

// What the host holds: the module's control, with every failure of a call turned into an
// AutomationError so that no other exception type crosses back into the host.
class HostedControl final : public Control {
public:
    explicit HostedControl(Control* inner) : inner_(inner) { }
    ~HostedControl() override { delete inner_; }
    HostedControl(const HostedControl&) = delete;
    HostedControl& operator=(const HostedControl&) = delete;

    QWidget* widget() override { return inner_->widget(); }

    QVariant invoke(int dispId, QVariantList& args) override
    {
        try {
            return inner_->invoke(dispId, args);
        } catch (const AutomationError&) {
            throw;
        } catch (const RuntimeError& e) {
            throw AutomationError(e.number(), e.text());
        } catch (const std::bad_alloc&) {
            throw automationError(kOutOfMemory);
        } catch (const std::exception& e) {
            throw AutomationError(kInternalError, QString::fromLocal8Bit(e.what()));
        }
    }

private:
    Control* inner_;
};

} // namespace

std::unique_ptr<Control> createControl(const QString& progId, QWidget* parent)
{
    // Controls are widgets: they need a widget application, on its thread (apartment threading).
    const QCoreApplication* app = QCoreApplication::instance();
    if (!qobject_cast<const QApplication*>(app) || QThread::currentThread() != app->thread())
        throw automationError(kCannotCreateObject,
            QStringLiteral("コントロールはウィンドウを持つアプリケーションのメイン スレッドでのみ作成できます: %1").arg(progId));

    const ClassRegistration r = registeredClass(progId);
    void* module = loadModule(r);
    auto getClassObject = reinterpret_cast<DllGetClassObjectFn>(::dlsym(module, "DllGetClassObject"));
    if (!getClassObject)
        throw automationError(kCannotCreateObject,
            QStringLiteral("モジュール %1 に DllGetClassObject がありません。").arg(r.modulePath));

    void* object = nullptr;
    const QByteArray clsid = r.clsid.toLatin1();
    if (getClassObject(clsid.constData(), kIClassFactory, &object) != kOk || !object)
        throw automationError(kCannotCreateObject,
            QStringLiteral("モジュール %1 はクラス %2 を提供していません。").arg(r.modulePath, r.clsid));

    auto* factory = static_cast<ClassFactory*>(object);
    factory->lockServer(true);
    Control* inner = nullptr;
    try {
        inner = factory->createInstance(parent);
    } catch (const RuntimeError& e) {
        factory->lockServer(false);
        throw AutomationError(e.number(), e.text());
    } catch (...) {
        factory->lockServer(false);
        throw;
    }
    factory->lockServer(false);
    if (!inner)
        throw automationError(kCannotCreateObject, QStringLiteral("クラス %1 はコントロールを作成しませんでした。").arg(progId));
    return std::make_unique<HostedControl>(inner);
}

QImage toolboxBitmap(const QString& progId)
{
    const ClassRegistration r = registeredClass(progId);
    if (r.toolboxBitmap == 0)
        return {};
    loadModule(r); // its resources register themselves when it loads
    return QImage(QStringLiteral(":/%1/%2").arg(r.clsid).arg(r.toolboxBitmap));
}

} // namespace platform::component
