#pragma once
// The binding to the archiver library libunlha32.so: loaded by name at the first archiver call
// (the control module's own folder first, then the usual library search), its entry "Unlha" kept
// for later calls. Nothing is loaded when a control is created, and never a file that another
// account could replace (platform/trust.h): that is error 70, naming the file and why.

#include "unlha32/unlha32.h"

#include <QString>
#include <cstdint>

namespace qpx {

// The archiver's output buffer: 1023 spaces and a NUL.
inline constexpr std::uint32_t kOutputBufferSize = 1024;

struct ArchiverReport {
    int result = UNLHA_OK; // one of the archiver's result codes
    QString output; // the archiver's own short report, trimmed
};

// Tests point the binding at another library (a path, or a name for the usual search) with this
// environment variable; it is read at every call, before the kept entry is used.
inline constexpr char kArchiverOverride[] = "VELMOR_UNLHA32_LIBRARY";

// Runs one command line. A library that cannot be loaded is error 53, a missing entry error 453.
// The two command lines of a save and an open use the 1024-byte buffer; a listing needs more.
ArchiverReport CallArchiver(const QString& commandLine, std::uint32_t bufferSize = kOutputBufferSize);

// Asks the archiver's call that runs now (on another thread) to stop; it then returns
// UNLHA_ERR_CANCELLED with nothing half-written left. Does nothing when the library offers no such
// entry (UnlhaCancelRunning) or has not been loaded.
void CancelRunningArchiver();

} // namespace qpx
