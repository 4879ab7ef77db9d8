#pragma once
// cdlFile: the open, save and colour dialogs. Each answers the choice, or nothing when the user
// cancelled. Where the dialog comes from is a back end: Qt's own dialogs in the program, a
// scripted one in tests, so that no test ever waits on a real dialog.

#include "velmor/engine/colorvalues.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

class QFileDialog;
class QWidget;

namespace dialogs {

enum DialogFlags : int {
    cdlCCRGBInit = 0x1,
    cdlCCFullOpen = 0x2,
    cdlOFNOverwritePrompt = 0x2,
    cdlOFNHideReadOnly = 0x4,
    cdlOFNFileMustExist = 0x1000,
    cdlOFNExplorer = 0x80000,
    cdlOFNLongNames = 0x200000,
};

struct FileDialogRequest {
    bool save = false;
    QString title;
    QString filter;
    QString defaultExt;
    int flags = 0;
    QString fileName; // where the dialog opens: the path chosen last
    QString initDir;  // where it opens when no path was chosen yet
};

struct ColorDialogRequest {
    QString title;
    engine::ColorValue color = 0;
    int flags = 0;
};

class DialogBackend {
public:
    virtual ~DialogBackend() = default;
    // The chosen path, or nothing when the user cancelled.
    virtual std::optional<QString> showFile(QWidget* parent, const FileDialogRequest& request) = 0;
    virtual std::optional<engine::ColorValue> showColor(QWidget* parent, const ColorDialogRequest& request) = 0;
};

// Qt's own dialogs (never the desktop's native ones, so that they speak Japanese everywhere).
std::shared_ptr<DialogBackend> qtDialogBackend();

// The "description|patterns|..." filter text as Qt name filters. Patterns are matched without
// regard to case, as users of picture files expect, and "*.*" matches every file.
QStringList nameFiltersFor(const QString& filter);

// The extension a save dialog adds to a name typed without one, while the filter entry at index
// is chosen: that entry's first pattern when it names one extension ("*.qpx" gives "qpx"), else
// defaultExt (as for "*.*").
QString suffixForFilter(const QString& filter, int index, const QString& defaultExt);

// The name a save dialog shows after the user chose the filter entry at index: its extension
// becomes that entry's when it was one of the filter's own (or Qt's rendering of a pattern), so a
// proposed "koi_ｾﾋﾟｱ.bmp" becomes "koi_ｾﾋﾟｱ.jpg" under JPEG. Other names, and entries without an
// extension of their own, leave it as it is.
QString nameForChosenEntry(const QString& filter, int index, const QString& name);

// Qt's file dialog set up as the request asks, ready to be shown.
std::unique_ptr<QFileDialog> makeFileDialog(QWidget* parent, const FileDialogRequest& request);

// What one file dialog asks: each caller says it all, so nothing of one dialog reaches the next.
struct FileChoice {
    QString title;
    QString filter;
    QString defaultExt;
    int flags = 0;
    // A save dialog's proposed file name, in the folder of the path chosen last; empty: that path.
    QString proposedName = {};
};

class CommonDialog {
public:
    CommonDialog(QWidget* parent, std::shared_ptr<DialogBackend> backend)
        : parent_(parent), backend_(std::move(backend))
    {
    }

    // Where a file dialog opens while FileName is still empty.
    QString InitDir;
    // Kept between dialogs, so each file dialog opens at the path chosen last.
    QString FileName;

    // The chosen path, which FileName becomes; nothing when the user cancelled.
    std::optional<QString> ShowOpen(const FileChoice& choice) { return showFile(false, choice); }
    std::optional<QString> ShowSave(const FileChoice& choice) { return showFile(true, choice); }
    // The chosen colour; nothing when the user cancelled.
    std::optional<engine::ColorValue> ShowColor(const QString& title, engine::ColorValue initial, int flags)
    {
        return backend_->showColor(parent_, {title, initial, flags});
    }

    DialogBackend& backend() { return *backend_; }

private:
    std::optional<QString> showFile(bool save, const FileChoice& c)
    {
        auto chosen = backend_->showFile(parent_, {save, c.title, c.filter, c.defaultExt, c.flags, startName(c), InitDir});
        if (chosen)
            FileName = *chosen;
        return chosen;
    }

    QString startName(const FileChoice& c) const;

    QWidget* parent_;
    std::shared_ptr<DialogBackend> backend_;
};

} // namespace dialogs
