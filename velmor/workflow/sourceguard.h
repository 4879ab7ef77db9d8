#pragma once
// Create never writes over the picture the source was opened from unasked: the save dialog's own
// overwrite prompt does not say that the photo itself would become the filtered picture.

#include <QString>
#include <functional>
#include <optional>
#include <sys/types.h>

namespace workflow {

// The file a source was opened from, by the file itself, so that a renamed or linked source is
// still recognised.
struct SourceFile {
    dev_t device = 0;
    ino_t inode = 0;
};

// Asks the user; true lets the write go ahead.
using ReplaceQuestion = std::function<bool(const QString& text)>;

// The file at path; nothing when there is none.
std::optional<SourceFile> identifySourceFile(const QString& path);

// True when writing destination replaces no source file (by any name: links count), or when the
// user agreed when asked. The question names what the source would become, written ("ビットマップ",
// " JPEG 画像"); a QPX destination says its picture would be replaced instead.
bool mayWriteOverSource(const std::optional<SourceFile>& source, const QString& destination, bool qpx,
    const QString& written, const ReplaceQuestion& ask);

} // namespace workflow
