#include "platform/component/messagebox.h"

#include "platform/component/control.h"

#include <QApplication>
#include <QMessageBox>
#include <mutex>

namespace platform::component {
namespace {

std::mutex gMutex;
MessageBoxHandler gHandler;

void showModal(const MessageBoxRequest& r)
{
    // A process without a widget application has no screen to ask on.
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        raiseMessageAsError(r);
    QMessageBox box(r.style == kExclamation ? QMessageBox::Warning : QMessageBox::NoIcon, r.title, r.text,
        QMessageBox::Ok, r.parent);
    box.exec();
}

} // namespace

void setMessageBoxHandler(MessageBoxHandler handler)
{
    std::lock_guard lock(gMutex);
    gHandler = std::move(handler);
}

void messageBox(const MessageBoxRequest& request)
{
    MessageBoxHandler handler;
    {
        std::lock_guard lock(gMutex);
        handler = gHandler;
    }
    if (handler)
        handler(request);
    else
        showModal(request);
}

void raiseMessageAsError(const MessageBoxRequest& request)
{
    throw AutomationError(request.errorNumber, request.text);
}

} // namespace platform::component
