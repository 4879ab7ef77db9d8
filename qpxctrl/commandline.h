#pragma once
// The archiver command lines: "a ARCHIVE WORKBITMAP -a1 -n0" adds the work bitmap to the archive
// under its bare name, "l ARCHIVE" lists the members with their sizes, and
// "e ARCHIVE -n0 FOLDER/ [MEMBER]" extracts the member (without one, every member) into the folder.

#include <QString>

namespace qpx {

// A path as one argument of a command line: in double quotes when it holds a space, a tab or a
// quote (doubled inside them), or begins with '-' (which would read as a switch). Its bytes go to
// the archiver as they are, UTF-8 or not. A path holding a line break cannot be passed: error 5.
QString CommandLinePath(const QString& path);

QString SaveCommandLine(const QString& archivePath, const QString& workBitmapPath);
QString ListCommandLine(const QString& archivePath);
QString OpenCommandLine(const QString& archivePath, const QString& folder, const QString& member = {});

} // namespace qpx
