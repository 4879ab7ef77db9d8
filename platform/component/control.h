#pragma once
// The component layer as a host sees it: a control is found by its programmatic identifier in the
// per-user component registry, created from its module on the host's window, and called late by
// dispatch identifier.

#include "platform/errors.h"

#include <QImage>
#include <QString>
#include <QVariant>
#include <memory>

class QWidget;

namespace platform::component {

// A failure that crosses the automation boundary, with its number and text.
class AutomationError : public RuntimeError {
public:
    using RuntimeError::RuntimeError;
    ~AutomationError() override; // anchors the type in this library, shared by host and modules
};

enum AutomationErrorNumber : int {
    kCannotCreateObject = 429, // class not registered, module gone, entry missing
    kMemberNotFound = 438,
    kWrongArgumentCount = 450,
    kEntryPointNotFound = 453,
};

// The standard text of an error number, followed by the detail when there is one:
// automationError(429, "QPXControl.QPXCtrl") -> "ActiveX コンポーネントはオブジェクトを作成できません。 (QPXControl.QPXCtrl)".
AutomationError automationError(int number, const QString& detail = {});

// A control as its host holds it.
class Control {
public:
    virtual ~Control() = default;
    // The control's surface, a child of the host's window.
    virtual QWidget* widget() = 0;
    // Calls the member with the dispatch identifier. Arguments are passed by reference (the callee
    // may change them); pictures travel as QImage, a null QImage being no picture; Booleans come
    // back as -1 / 0. Failures throw AutomationError.
    virtual QVariant invoke(int dispId, QVariantList& args) = 0;
};

// Registry -> module -> DllGetClassObject -> class factory -> a control on parent.
// Throws AutomationError (kCannotCreateObject) when any link of that chain is missing, and the
// control's own error when the control refuses to be created. Needs a QApplication and its thread.
std::unique_ptr<Control> createControl(const QString& progId, QWidget* parent);

// The toolbox image that the class registered (a null image when it has none).
QImage toolboxBitmap(const QString& progId);

} // namespace platform::component
