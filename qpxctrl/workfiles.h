#pragma once
// The control's work files: every save and every open gets a fresh folder of its own inside the
// temporary folder, so that two calls with one base name, in one process or several, never touch
// each other's files, and no archive member can replace or be mistaken for any other file there.

#include <QString>

namespace qpx {

// A new folder inside the temporary folder, named "QPXSAVE_" or "QPXOPEN_", the creating
// process's id and start time ("<pid>.<start time>"), then "_" and six random characters; the
// process part lets a later sweep tell a folder whose process is gone (or whose id was reused)
// from one still in use. Removed with all it holds on every way out.
class WorkFolder {
public:
    enum class Purpose { Save, Open };

    WorkFolder(const QString& tempFolder, Purpose purpose);
    ~WorkFolder();
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;

    // Ends with '/'.
    const QString& path() const { return path_; }
    // The ordinary file under name, or else the only one whose name differs from it in case alone
    // (archives from case-blind systems); empty when there is none.
    QString find(const QString& name) const;
    // The folder's one ordinary file, empty unless there is exactly one.
    QString onlyFile() const;

private:
    QString path_;
    int fd_ = -1; // the folder, open from the start
};

// "QPXSAVE_<pid>.<start time>_" or "QPXOPEN_<pid>.<start time>_" for this process.
QString workFolderPrefix(WorkFolder::Purpose purpose);

} // namespace qpx
