#pragma once
// Which names are QPX files: the one rule that hosts and the control share.

#include <QLatin1String>
#include <QString>

namespace qpx {

// A name whose last four characters are ".QPX", in any case, names a QPX file; its content is
// never looked at. Hosts ask it of a path as it stands, the control of a name without its
// trailing spaces.
inline bool isQpxName(const QString& name)
{
    return name.right(4).compare(QLatin1String(".QPX"), Qt::CaseInsensitive) == 0;
}

} // namespace qpx
