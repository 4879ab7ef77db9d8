#pragma once
// What the main window asks of the world outside it. Each empty member takes the real service;
// tests fill them in, so that no test waits on a dialog or message box or touches the user's
// settings, temporary folder or help viewer.

#include "velmor/dialogs/commondialog.h"

#include <QRect>
#include <QString>
#include <chrono>
#include <functional>
#include <memory>

class QWidget;

namespace shell {

struct Services {
    std::shared_ptr<dialogs::DialogBackend> dialogs;                     // Qt's dialogs
    std::function<void(QWidget*, const QString&)> showMessage;   // a modal Japanese message box
    std::function<void(const QString&)> openHelp;                // the desktop's viewer for the file
    std::function<QString()> tempFolder;                         // platform::privateTempFolder
    QString settingsFile;                                        // the per-user settings store
    QString programFolder;                                       // the running program's folder
    std::function<QRect(const QWidget*)> availableArea;          // the window's screen, less panels
    float twipsPerPixel = 0;                                     // 1440 / the screen's logical DPI
    std::chrono::nanoseconds yieldSlice = std::chrono::milliseconds(10);
};

// The message box the program shows: exclamation icon, OK, the window's caption as title.
void showMessageBox(QWidget* parent, const QString& text);

// Create's question before it writes over the opened source: a modal Yes/No box with No first,
// unless the process has its own answer (tests give one). True lets the write go ahead.
bool askReplaceSource(const QString& text);
// Sets the process's own answer; empty restores the box.
void setReplaceQuestion(std::function<bool(const QString& text)> question);

} // namespace shell
