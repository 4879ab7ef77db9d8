#pragma once
// The control's work files in its temporary folder: a file already at the work bitmap path is
// moved aside while a save runs and always put back; an archive is extracted into a fresh folder
// of its own, so that no member can replace or be mistaken for any other file there.

#include <QString>

namespace qpx {

// Moves an ordinary file at workBitmapPath to workBitmapPath + "_QPXTEMP" + yymmddhhnnss + ".bak"
// (never over an existing file). Until finish() succeeds, the destructor undoes the save: the
// work bitmap written for it is removed and the moved file renamed back.
class MovedAside {
public:
    explicit MovedAside(QString workBitmapPath);
    ~MovedAside();
    MovedAside(const MovedAside&) = delete;
    MovedAside& operator=(const MovedAside&) = delete;

    const QString& backupPath() const { return backup_; }
    // The work bitmap now exists and is ours to delete.
    void wroteWorkBitmap() { wrote_ = true; }
    // Deletes the work bitmap and puts the moved file back; throws when the file system refuses.
    void finish();

private:
    int restore() noexcept; // 0 or the errno of the failed step

    QString work_;
    QString backup_;
    bool wrote_ = false;
    bool done_ = false;
};

// A new folder, private to one extraction, inside the temporary folder; removed with all it holds.
class ExtractionFolder {
public:
    explicit ExtractionFolder(const QString& tempFolder);
    ~ExtractionFolder();
    ExtractionFolder(const ExtractionFolder&) = delete;
    ExtractionFolder& operator=(const ExtractionFolder&) = delete;

    // Ends with '/'.
    const QString& path() const { return path_; }
    // The ordinary file extracted under name, or else the only one whose name differs from it in
    // case alone (archives from case-blind systems); empty when there is none.
    QString find(const QString& name) const;

private:
    QString path_;
};

} // namespace qpx
