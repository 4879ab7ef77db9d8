#pragma once
// Opening a picture without the Browse dialog: a file named on the command line or dropped onto
// the window from a file manager opens as Browse opens the file its dialog returns, so the routing
// by extension, the messages and the window's state are Browse's own.

#include <QString>

class frmMain;

namespace shell {

// Opens path in the window as Browse does once its dialog returns that path (made absolute, as
// a dialog returns it, and proposed by the next open dialog). Nothing happens while Browse is
// unavailable (a render runs).
void openAsBrowse(frmMain& window, const QString& path);

// Files dropped onto the window open through openAsBrowse; only one local file is accepted, and
// nothing while a render runs.
void acceptFileDrops(frmMain& window);

} // namespace shell
