#include "velmor/workflow/session.h"

#include <utility>

namespace workflow {

bool Session::PreviewFresh() const
{
    return !output_.path.isEmpty() && output_.filterColor == filterColor_ && output_.source.lock() == source_;
}

void Session::sourceOpened(engine::SourcePixels pixels, std::optional<SourceFile> file, QString path,
    formats::PhotoMetadata metadata)
{
    source_ = std::make_shared<const engine::SourcePixels>(std::move(pixels));
    openedFile_ = file;
    sourcePath_ = std::move(path);
    sourceMetadata_ = std::move(metadata);
}

void Session::filterChosen(engine::ColorValue colour)
{
    filterColor_ = colour;
    output_.filterColor.reset();
}

void Session::previewCleared()
{
    output_.source.reset();
    output_.filterColor.reset();
}

QString Session::outputRendered(const QString& path, const RenderJob& job)
{
    QString previous = std::exchange(output_, Output{path, job.pixels, job.filterColor}).path;
    return previous == path ? QString() : previous;
}

QString Session::takeOutput()
{
    return std::exchange(output_, Output{}).path;
}

QString Session::takeSourceTemp()
{
    return std::exchange(sourceTempPath_, QString());
}

} // namespace workflow
