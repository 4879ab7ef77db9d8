#pragma once
// The component registry: what a module's registration writes and what a host reads to find a
// class. Two settings files: the user's own under the configuration folder ($XDG_CONFIG_HOME or
// ~/.config) and the machine-wide one that the package fills at install
// ($VELMOR_SYSTEM_REGISTRY, else the path compiled in). Hosts read the user's first: a class the
// user registered wins over the machine's.

#include <QList>
#include <QString>
#include <optional>

namespace platform::component {

struct InterfaceRegistration {
    QString iid;  // "{...}"
    QString name; // "_QPXCtrl"
};

// Everything a control module registers about its one class.
struct ClassRegistration {
    QString clsid;
    QString progId;
    QString description;
    QString modulePath; // absolute path of the in-process server
    QString threadingModel;
    bool control = false;
    int toolboxBitmap = 0; // resource number, 0 for none
    quint32 miscStatus = 0;
    QString version; // the module's file version, "1.0.0.0"
    QString typeLibId;
    QString typeLibName;
    QString typeLibVersion; // "3.0"
    QString typeLibHelp;
    QList<InterfaceRegistration> interfaces;
};

enum class Scope { User, System };

// The registry file: <config>/velmor-components/registry.ini for the user, the machine-wide
// file for System.
QString registryPath(Scope scope = Scope::User);

// Where registerClass and unregisterClass write in this process (the user's registry unless the
// registration tool was asked for the machine's). A module's registration exports follow it.
void setRegistrationScope(Scope scope);
Scope registrationScope();

// Writes the class, its programmatic identifier, type library and interfaces. Throws
// AutomationError when the file cannot be written.
void registerClass(const ClassRegistration& registration);
// Removes what registerClass wrote for the same identifiers; missing entries are no error.
void unregisterClass(const ClassRegistration& registration);

// Host side look-ups, the user's registry first, then the machine's; nothing when neither has
// the entry. A class is read whole from the one registry that holds it. A registry file that
// another account could have written (platform/trust.h) is never read: the look-up that reaches
// it throws AutomationError (kPermissionDenied) naming the file and the reason.
std::optional<QString> classIdOf(const QString& progId);
std::optional<ClassRegistration> lookUpClass(const QString& clsid);

// Why hosts would refuse the registry file, for a tool that has just written it; nothing when
// they read it.
std::optional<QString> registryProblem(Scope scope);

} // namespace platform::component
