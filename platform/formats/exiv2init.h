#pragma once
// exiv2 is used from several threads at once (velmor-filter's workers): its XMP toolkit is set up
// once with a lock of ours, and its own log, which would print to stderr, is silenced.

namespace formats {

void useExiv2();

} // namespace formats
