#pragma once
// The two archiver command lines: "a ARCHIVE WORKBITMAP -a1 -n0" adds the work bitmap to the
// archive under its bare name, "e ARCHIVE -n0 FOLDER/" extracts every member into the folder.

#include <QString>

namespace qpx {

// A path as one argument of a command line: in double quotes when it holds a space or a tab.
// A path holding a double quote or a line break cannot be passed: error 5.
QString CommandLinePath(const QString& path);

QString SaveCommandLine(const QString& archivePath, const QString& workBitmapPath);
QString OpenCommandLine(const QString& archivePath, const QString& folder);

} // namespace qpx
