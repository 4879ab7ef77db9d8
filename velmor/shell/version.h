#pragma once

#include <QString>

namespace shell {

// "major.minor.revision" with the minor in at least 2 digits and the revision in at least 4.
QString versionText(int major, int minor, int revision);

} // namespace shell
