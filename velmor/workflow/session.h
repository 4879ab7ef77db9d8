#pragma once
// The picture session: the opened source as a pixel grid, the filter colour the user chose, and
// the rendered output bitmap with the source and colour it was rendered for. Whether the output is
// fresh is worked out by comparing those values, never kept as a flag, so no caller can forget to
// update it. Only the workflow's commands change a session; a window holds one and reads it.

#include "platform/formats/metadata.h"
#include "velmor/engine/colorvalues.h"
#include "velmor/engine/filters.h"
#include "velmor/engine/sourcepixels.h"
#include "velmor/workflow/sourceguard.h"

#include <QString>
#include <memory>
#include <optional>

namespace workflow {

// What one render is asked for: a grid, which stays alive and unchanged while the render holds it
// whatever is opened meanwhile, and the filter colour.
struct RenderJob {
    std::shared_ptr<const engine::SourcePixels> pixels;
    engine::ColorValue filterColor = 0;
};

class Session {
public:
    // Pixels of the current source picture; empty before the first open.
    const engine::SourcePixels& SourcePixels() const { return *source_; }
    bool hasSource() const { return !source_->empty(); }
    // The file the current source was opened from; nothing before the first or when it is gone.
    const std::optional<SourceFile>& OpenedFile() const { return openedFile_; }
    // The path it was opened by; empty before the first open.
    const QString& SourcePath() const { return sourcePath_; }
    // The photo's metadata from that file, which Create carries into the pictures it writes.
    const formats::PhotoMetadata& SourceMetadata() const { return sourceMetadata_; }
    // The colour of the filter chosen last; monochrome, as the window opens, until a choice.
    engine::ColorValue FilterColor() const { return filterColor_; }
    // The rendered output bitmap; empty when there is none.
    const QString& OutputTempPath() const { return output_.path; }
    // The output bitmap holds the current source under the filter chosen last.
    bool PreviewFresh() const;
    // A temporary source bitmap that a failed open could not delete; empty when there is none.
    // Closing the session tries again.
    const QString& SourceTempPath() const { return sourceTempPath_; }
    // A render of the current source with the chosen filter.
    RenderJob renderJob() const { return {source_, filterColor_}; }

    // A newly opened source replaces the current one.
    void sourceOpened(engine::SourcePixels pixels, std::optional<SourceFile> file, QString path = {},
        formats::PhotoMetadata metadata = {});
    // The user chose a filter. Every choice, even of the colour the output already has, asks for a
    // new render: the next Create renders anew.
    void filterChosen(engine::ColorValue colour);
    // The preview view was emptied: the output is no longer the one shown, whatever it came from.
    void previewCleared();
    // The job was rendered into the bitmap at path. Returns the earlier output's path when it is
    // another file (no one reads that file any more), else nothing.
    QString outputRendered(const QString& path, const RenderJob& job);
    // The output was written where the user asked or is being deleted: the session has none any
    // more. Returns its path.
    QString takeOutput();
    // A failed open left its temporary source bitmap at path.
    void sourceTempLeft(const QString& path) { sourceTempPath_ = path; }
    // Returns the leftover source bitmap's path; the session names none any more.
    QString takeSourceTemp();

private:
    // The output bitmap and what it was rendered for.
    struct Output {
        QString path; // empty while there is none
        // The grid it was rendered from; expired once that source is replaced.
        std::weak_ptr<const engine::SourcePixels> source;
        // Its filter colour, until the user chooses a filter again.
        std::optional<engine::ColorValue> filterColor;
    };

    std::shared_ptr<const engine::SourcePixels> source_ = std::make_shared<const engine::SourcePixels>();
    std::optional<SourceFile> openedFile_;
    QString sourcePath_;
    formats::PhotoMetadata sourceMetadata_;
    engine::ColorValue filterColor_ = engine::kFixedFilterColors[0];
    Output output_;
    QString sourceTempPath_;
};

} // namespace workflow
