#pragma once
// The picture session: the opened source as a pixel grid and the rendered output bitmap, with what
// that output was rendered from. Whether the output is fresh is worked out from those records,
// never kept as a flag of its own, so no command can forget to update it.

#include "velmor/engine/sourcepixels.h"
#include "velmor/workflow/sourceguard.h"

#include <QString>
#include <cstdint>
#include <optional>

namespace workflow {

// The output bitmap and the source and filter choice it was rendered for.
struct OutputBitmap {
    QString path; // empty while there is none
    std::uint64_t source = 0;
    std::uint64_t choice = 0;
};

class Session {
public:
    // Pixels of the current source picture; empty before the first open.
    const engine::SourcePixels& SourcePixels() const { return pixels_; }
    bool hasSource() const { return !pixels_.empty(); }
    // The file the current source was opened from; nothing before the first or when it is gone.
    const std::optional<SourceFile>& OpenedFile() const { return openedFile_; }
    // The rendered output bitmap; empty when there is none.
    const QString& OutputTempPath() const { return output_.path; }
    // The output bitmap holds the current source under the current filter choice.
    bool PreviewFresh() const;

    // A newly opened source replaces the current one.
    void sourceOpened(engine::SourcePixels pixels, std::optional<SourceFile> file);
    // An option clicked or a custom colour confirmed: a new choice, even one that gives the colour
    // of the output again.
    void filterChosen();
    // The preview view was emptied: the output is no longer the one shown, whatever it came from.
    void previewCleared();
    // A render for the current source and choice finished at path. Returns the earlier output's
    // path when it is another file (no one reads that file any more), else nothing.
    QString outputRendered(const QString& path);
    // The output was written where the user asked: the session has none any more. Returns its path.
    QString takeOutput();

private:
    engine::SourcePixels pixels_;
    std::optional<SourceFile> openedFile_;
    OutputBitmap output_;
    // Serials of the current source and choice; 0 stands for none.
    std::uint64_t source_ = 1;
    std::uint64_t choice_ = 1;
};

} // namespace workflow
