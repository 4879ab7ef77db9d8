#include "platform/component/registry.h"

#include "platform/component/control.h"
#include "platform/nativepath.h"
#include "platform/trust.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <memory>
#include <sys/stat.h>

namespace platform::component {
namespace {

Scope gScope = Scope::User;

const QString kRegistryFile = QStringLiteral("コンポーネントの登録ファイル");

// The file for writing, as registration tools always wrote it.
QSettings openRegistry(Scope scope)
{
    return QSettings(registryPath(scope), QSettings::IniFormat);
}

// The file for a look-up, read afresh every time so that a registration made by another process
// is seen; nothing when there is none. A file another account could have written names modules
// that would run as this account: it is refused whole.
std::unique_ptr<QSettings> readRegistry(Scope scope)
{
    const QString path = registryPath(scope);
    const platform::TrustVerdict verdict = platform::checkTrustedFile(path);
    if (verdict.missing)
        return nullptr;
    if (!verdict.trusted)
        throw AutomationError(kPermissionDenied, platform::untrustedMessage(kRegistryFile, path, verdict.reason));
    return std::make_unique<QSettings>(verdict.resolved, QSettings::IniFormat);
}

constexpr Scope kLookUpOrder[] = {Scope::User, Scope::System};

// Registration leaves the file readable by all and writable by its owner alone, whatever the
// umask of the tool that wrote it: hosts refuse any other.
void protect(const QString& file)
{
    const QByteArray native = platform::toNativePath(file);
    ::chmod(native.constData(), 0644);
    const QByteArray folder = platform::toNativePath(QFileInfo(file).absolutePath());
    struct stat st {};
    if (::lstat(folder.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid())
        ::chmod(folder.constData(), 0755);
}

void syncOrThrow(QSettings& settings)
{
    settings.sync();
    if (settings.status() != QSettings::NoError)
        throw AutomationError(kFileAccessError,
            QStringLiteral("コンポーネントの登録ファイル %1 に書き込めません。").arg(settings.fileName()));
    protect(settings.fileName());
}

QString classKey(const QString& clsid) { return QStringLiteral("CLSID/") + clsid; }
QString progIdKey(const QString& progId) { return QStringLiteral("ProgID/") + progId; }
QString typeLibKey(const ClassRegistration& r) { return QStringLiteral("TypeLib/%1/%2").arg(r.typeLibId, r.typeLibVersion); }
QString interfaceKey(const QString& iid) { return QStringLiteral("Interface/") + iid; }

ClassRegistration readClass(QSettings& settings, const QString& clsid)
{
    settings.beginGroup(classKey(clsid));
    ClassRegistration r;
    r.clsid = clsid;
    r.description = settings.value("Name").toString();
    r.progId = settings.value("ProgID").toString();
    r.modulePath = settings.value("InprocServer32").toString();
    r.threadingModel = settings.value("ThreadingModel").toString();
    r.control = settings.value("Control", false).toBool();
    const QString toolbox = settings.value("ToolboxBitmap32").toString();
    r.toolboxBitmap = toolbox.section(QLatin1Char(','), -1).trimmed().toInt();
    r.miscStatus = settings.value("MiscStatus").toString().toUInt(nullptr, 0);
    r.version = settings.value("Version").toString();
    r.typeLibId = settings.value("TypeLib").toString();
    r.typeLibVersion = settings.value("TypeLibVersion").toString();
    settings.endGroup();

    settings.beginGroup(typeLibKey(r));
    r.typeLibName = settings.value("Name").toString();
    r.typeLibHelp = settings.value("Help").toString();
    settings.endGroup();

    settings.beginGroup(QStringLiteral("Interface"));
    for (const QString& iid : settings.childGroups()) {
        if (settings.value(iid + QStringLiteral("/TypeLib")).toString() == r.typeLibId)
            r.interfaces.append({iid, settings.value(iid + QStringLiteral("/Name")).toString()});
    }
    settings.endGroup();
    return r;
}

} // namespace

QString registryPath(Scope scope)
{
    if (scope == Scope::System) {
        const QString overridden = qEnvironmentVariable("VELMOR_SYSTEM_REGISTRY");
        return overridden.isEmpty() ? QStringLiteral(VELMOR_SYSTEM_REGISTRY) : overridden;
    }
    // GenericConfigLocation follows XDG_CONFIG_HOME and falls back to ~/.config.
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/velmor-components/registry.ini");
}

void setRegistrationScope(Scope scope) { gScope = scope; }
Scope registrationScope() { return gScope; }

void registerClass(const ClassRegistration& r)
{
    QDir().mkpath(QFileInfo(registryPath(gScope)).absolutePath());
    QSettings settings = openRegistry(gScope);

    settings.beginGroup(classKey(r.clsid));
    settings.remove(QString()); // a class registered again starts clean
    settings.setValue("Name", r.description);
    settings.setValue("ProgID", r.progId);
    settings.setValue("InprocServer32", r.modulePath);
    settings.setValue("ThreadingModel", r.threadingModel);
    if (r.control)
        settings.setValue("Control", true);
    if (r.toolboxBitmap != 0)
        settings.setValue("ToolboxBitmap32", QStringLiteral("%1, %2").arg(r.modulePath).arg(r.toolboxBitmap));
    settings.setValue("MiscStatus", QStringLiteral("0x%1").arg(r.miscStatus, 0, 16));
    settings.setValue("Version", r.version);
    settings.setValue("TypeLib", r.typeLibId);
    settings.setValue("TypeLibVersion", r.typeLibVersion);
    settings.endGroup();

    settings.setValue(progIdKey(r.progId) + QStringLiteral("/CLSID"), r.clsid);

    settings.beginGroup(typeLibKey(r));
    settings.setValue("Name", r.typeLibName);
    settings.setValue("Help", r.typeLibHelp);
    settings.setValue("Path", r.modulePath);
    settings.endGroup();

    for (const InterfaceRegistration& i : r.interfaces) {
        settings.beginGroup(interfaceKey(i.iid));
        settings.setValue("Name", i.name);
        settings.setValue("TypeLib", r.typeLibId);
        settings.setValue("TypeLibVersion", r.typeLibVersion);
        settings.endGroup();
    }
    syncOrThrow(settings);
}

void unregisterClass(const ClassRegistration& r)
{
    if (!QFileInfo::exists(registryPath(gScope)))
        return;
    QSettings settings = openRegistry(gScope);
    settings.remove(classKey(r.clsid));
    settings.remove(progIdKey(r.progId));
    settings.remove(typeLibKey(r));
    settings.beginGroup(QStringLiteral("TypeLib/") + r.typeLibId);
    const bool typeLibEmpty = settings.childGroups().isEmpty();
    settings.endGroup();
    if (typeLibEmpty)
        settings.remove(QStringLiteral("TypeLib/") + r.typeLibId);
    for (const InterfaceRegistration& i : r.interfaces)
        settings.remove(interfaceKey(i.iid));
    syncOrThrow(settings);
}

std::optional<QString> classIdOf(const QString& progId)
{
    if (progId.isEmpty() || progId.contains(QLatin1Char('/')))
        return std::nullopt;
    for (Scope scope : kLookUpOrder) {
        const std::unique_ptr<QSettings> settings = readRegistry(scope);
        const QString clsid = settings ? settings->value(progIdKey(progId) + QStringLiteral("/CLSID")).toString() : QString();
        if (!clsid.isEmpty())
            return clsid;
    }
    return std::nullopt;
}

std::optional<ClassRegistration> lookUpClass(const QString& clsid)
{
    if (clsid.isEmpty() || clsid.contains(QLatin1Char('/')))
        return std::nullopt;
    for (Scope scope : kLookUpOrder) {
        const std::unique_ptr<QSettings> settings = readRegistry(scope);
        if (settings && settings->contains(classKey(clsid) + QStringLiteral("/InprocServer32")))
            return readClass(*settings, clsid);
    }
    return std::nullopt;
}

std::optional<QString> registryProblem(Scope scope)
{
    const QString path = registryPath(scope);
    const platform::TrustVerdict verdict = platform::checkTrustedFile(path);
    if (verdict.trusted || verdict.missing)
        return std::nullopt;
    return platform::untrustedMessage(kRegistryFile, path, verdict.reason);
}

} // namespace platform::component
