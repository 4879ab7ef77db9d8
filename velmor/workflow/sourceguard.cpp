#include "velmor/workflow/sourceguard.h"

#include "platform/nativepath.h"

#include <optional>
#include <sys/stat.h>

namespace workflow {

std::optional<SourceFile> identifySourceFile(const QString& path)
{
    struct stat st {};
    if (::stat(platform::toNativePath(path).constData(), &st) != 0)
        return std::nullopt;
    return SourceFile {st.st_dev, st.st_ino};
}

bool mayWriteOverSource(const std::optional<SourceFile>& source, const QString& destination, bool qpx,
    const QString& written, const ReplaceQuestion& ask)
{
    const auto target = identifySourceFile(destination);
    if (!source || !target || source->device != target->device || source->inode != target->inode)
        return true;
    const QString name = platform::shownPath(destination.mid(destination.lastIndexOf(QLatin1Char('/')) + 1));
    return ask(qpx ? QStringLiteral("%1 は開いている元画像です。作成すると、この QPX ファイルの画像は作成した画像で置き換えられ、元の画像は失われます。\n\n置き換えますか?").arg(name)
                   : QStringLiteral("%1 は開いている元画像です。作成すると、元画像はフィルタをかけた%2で置き換えられ、元の画像は失われます。\n\n置き換えますか?").arg(name, written));
}

} // namespace workflow
