#pragma once
// Opening a picture without the Browse dialog: a file named on the command line or dropped onto
// the window from a file manager goes through Browse itself, with the dialog answered by that
// file, so the routing by extension, the messages and the window's state are Browse's own.

#include "velmor/shell/commondialog.h"

#include <memory>
#include <optional>

class frmMain;

namespace shell {

// A dialog back end in front of another: a path handed to preset() answers the next open dialog
// as if the user had chosen it there. Every other dialog goes to the inner back end.
class PresetDialogs : public DialogBackend {
public:
    explicit PresetDialogs(std::shared_ptr<DialogBackend> inner) : inner_(std::move(inner)) { }
    void preset(const QString& path) { preset_ = path; }
    void clear() { preset_.reset(); }

    std::optional<QString> showFile(QWidget* parent, const FileDialogRequest& request) override;
    std::optional<engine::ColorValue> showColor(QWidget* parent, const ColorDialogRequest& request) override;

private:
    std::shared_ptr<DialogBackend> inner_;
    std::optional<QString> preset_;
};

// Opens path in the window as Browse does once its dialog returns that path (made absolute, as
// a dialog returns it). Nothing happens while Browse is unavailable (a render runs).
void openAsBrowse(frmMain& window, PresetDialogs& dialogs, const QString& path);

// Files dropped onto the window open through openAsBrowse; only one local file is accepted, and
// nothing while a render runs.
void acceptFileDrops(frmMain& window, std::shared_ptr<PresetDialogs> dialogs);

} // namespace shell
