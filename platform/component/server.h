#pragma once
// The component layer as a control module sees it: the four exports every module provides, the
// class factory that DllGetClassObject hands out, and the helpers a control's members use.

#include "platform/component/control.h"

#include <cstdint>

namespace platform::component {

// Results of the exports, as the component world has always spelled them.
using HResult = std::int32_t;
constexpr HResult kOk = 0;
constexpr HResult kFalse = 1;
constexpr HResult kClassNotAvailable = static_cast<HResult>(0x80040111u);
constexpr HResult kNoInterface = static_cast<HResult>(0x80004002u);
constexpr HResult kInvalidArg = static_cast<HResult>(0x80070057u);
constexpr HResult kRegistrationFailed = static_cast<HResult>(0x80040201u); // class could not be (un)registered

// The one interface a module's DllGetClassObject is asked for.
inline constexpr char kIClassFactory[] = "{00000001-0000-0000-C000-000000000046}";

// Makes controls of one class. The module owns its factory; a host never deletes it.
class ClassFactory {
public:
    // Creates a control whose surface is a child of parent. Throws RuntimeError when the control
    // cannot be created (the host sees it as an AutomationError of the same number).
    virtual Control* createInstance(QWidget* parent) = 0;
    // Keeps the module in memory while a host holds the factory.
    virtual void lockServer(bool lock) = 0;

protected:
    ~ClassFactory() = default;
};

extern "C" {
using DllRegisterServerFn = HResult (*)();
using DllUnregisterServerFn = HResult (*)();
// clsid and iid as "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}"; *factory receives a ClassFactory*.
using DllGetClassObjectFn = HResult (*)(const char* clsid, const char* iid, void** factory);
using DllCanUnloadNowFn = HResult (*)();
}

// For a control's invoke: the member needs exactly count arguments (otherwise error 450).
void requireArgumentCount(const QVariantList& args, int count);
// Automation Booleans.
inline QVariant automationBool(bool value) { return QVariant(value ? -1 : 0); }

} // namespace platform::component
