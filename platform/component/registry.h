#pragma once
// The per-user component registry: what a module's registration writes and what a host reads to
// find a class. One settings file under the user's configuration folder ($XDG_CONFIG_HOME or
// ~/.config), so tests can point it at a private folder.

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

// The registry file: <config>/velmor-components/registry.ini.
QString registryPath();

// Writes the class, its programmatic identifier, type library and interfaces. Throws
// AutomationError when the file cannot be written.
void registerClass(const ClassRegistration& registration);
// Removes what registerClass wrote for the same identifiers; missing entries are no error.
void unregisterClass(const ClassRegistration& registration);

// Host side look-ups; nothing when the entry is missing.
std::optional<QString> classIdOf(const QString& progId);
std::optional<ClassRegistration> lookUpClass(const QString& clsid);

} // namespace platform::component
