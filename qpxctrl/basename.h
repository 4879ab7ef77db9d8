#pragma once
// How a QPX path names the bitmap inside it: the archive /pics/sea.QPX holds the member sea.bmp,
// and both saving and opening work on TempFolder + "sea.bmp".

#include <QString>

namespace qpx {

// The characters between the last '/' and the last '.' of path. A path without a '.' after its
// last '/' has no base name: RuntimeError 5 (invalid argument).
QString PathToBaseName(const QString& path);

// tempFolder (ending with '/') + base name + ".bmp", joined as they stand.
QString WorkBitmapPath(const QString& tempFolder, const QString& strName);

// True when the name, without its leading and trailing spaces, ends in ".QPX" in any case.
bool HasQpxExtension(const QString& strName);

// The archive's file as the archiver is to be given it: without trailing spaces (which the name
// check lets through), and with "./" before a relative name that would read as a switch.
QString ArchivePath(const QString& strName);

} // namespace qpx
