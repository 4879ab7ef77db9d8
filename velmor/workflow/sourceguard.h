#pragma once
// Create never writes over the picture the source was opened from unasked: the save dialog's own
// overwrite prompt does not say that the photo itself would become a filtered bitmap.

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

// Asks the user; true lets the write go ahead. The default is a modal Yes/No box with No first.
using ReplaceQuestion = std::function<bool(const QString& text)>;
// Replaces the question for the whole process (tests answer it); empty restores the default.
void setReplaceQuestion(ReplaceQuestion question);

// The file at path; nothing when there is none.
std::optional<SourceFile> identifySourceFile(const QString& path);

// True when writing destination replaces no source file (by any name: links count), or when the
// user agreed to replace it. A QPX destination says its picture would be replaced instead.
bool mayWriteOverSource(const std::optional<SourceFile>& source, const QString& destination, bool qpx);

} // namespace workflow
