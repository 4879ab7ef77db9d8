#include "velmor/workflow/session.h"

#include <utility>

namespace workflow {

bool Session::PreviewFresh() const
{
    return !output_.path.isEmpty() && output_.source == source_ && output_.choice == choice_;
}

void Session::sourceOpened(engine::SourcePixels pixels, std::optional<SourceFile> file)
{
    pixels_ = std::move(pixels);
    openedFile_ = file;
    ++source_;
}

void Session::filterChosen()
{
    ++choice_;
}

void Session::previewCleared()
{
    output_.source = 0;
    output_.choice = 0;
}

QString Session::outputRendered(const QString& path)
{
    QString previous = std::exchange(output_, OutputBitmap{path, source_, choice_}).path;
    return previous == path ? QString() : previous;
}

QString Session::takeOutput()
{
    return std::exchange(output_, OutputBitmap{}).path;
}

} // namespace workflow
