#include "velmor/cli/samefile.h"

#include "platform/nativepath.h"

#include <sys/stat.h>

namespace cli {

InputFiles::InputFiles(const QStringList& inputs)
{
    for (const QString& input : inputs) {
        struct stat st {};
        if (::stat(platform::toNativePath(input).constData(), &st) == 0)
            inputs_.push_back({st.st_dev, st.st_ino, input});
    }
}

QString InputFiles::sameAs(const QString& output) const
{
    struct stat st {};
    if (::stat(platform::toNativePath(output).constData(), &st) != 0)
        return {};
    for (const Identity& input : inputs_)
        if (input.device == st.st_dev && input.inode == st.st_ino)
            return input.name;
    return {};
}

} // namespace cli
