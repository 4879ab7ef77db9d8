#pragma once
// Whether a file may be trusted with this account's code: a component registry, a control module,
// the archiver library. As ssh and sudo decide it: the file and every folder above it belong to
// root or to this account and no one else may write them, so that no other account can replace
// what gets loaded. A folder that others may write is acceptable only with the sticky bit (as
// /tmp has it), since then no one else can replace or rename the entry below it, which must
// itself belong to root or to this account.

#include <QString>

namespace platform {

struct TrustVerdict {
    bool trusted = false;
    QString resolved; // the path with every link resolved: what to open or load, when trusted
    QString reason;   // why not, in Japanese, naming the file or folder at fault
    bool missing = false; // the file does not exist (reason says so)
};

// Checks an ordinary file (a FIFO, device or folder is refused unopened, so nothing blocks).
TrustVerdict checkTrustedFile(const QString& path);

// "モジュール /x/y.so は読み込みません: <reason>": what to tell the user.
QString untrustedMessage(const QString& what, const QString& path, const QString& reason);

} // namespace platform
