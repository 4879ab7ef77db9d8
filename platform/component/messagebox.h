#pragma once
// The message boxes of controls go through one seam, so that tests see them without a modal and a
// headless host can take them as errors. It lives in the shared component library, so a host sets
// it once for every module it loads.

#include <QString>
#include <functional>

class QWidget;

namespace platform::component {

enum MessageBoxStyle : int {
    kOkOnly = 0,
    kExclamation = 48, // exclamation icon, OK button only
};

struct MessageBoxRequest {
    QWidget* parent = nullptr;
    QString text;
    QString title;
    int style = kOkOnly;
    // The error a host that shows no message boxes receives instead.
    int errorNumber = 0;
};

using MessageBoxHandler = std::function<void(const MessageBoxRequest&)>;

// Replaces the handler for the whole process; an empty handler restores the default, which shows a
// modal QMessageBox in a widget application and raises the message as an error anywhere else.
void setMessageBoxHandler(MessageBoxHandler handler);

// What a control calls: hands the request to the current handler (which may throw).
void messageBox(const MessageBoxRequest& request);

// A handler for headless hosts: throws AutomationError(request.errorNumber, request.text).
[[noreturn]] void raiseMessageAsError(const MessageBoxRequest& request);

} // namespace platform::component
