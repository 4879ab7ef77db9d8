#pragma once
// Member names between the archive and the disk. LHA has no charset field: MS-DOS, Windows and
// Human68k writers store their code page (932, Shift-JIS, on the Japanese systems where LHA was
// at home), Unix writers their locale's bytes, today UTF-8. Names are kept as UTF-8 here.

#include <optional>
#include <string>
#include <string_view>

namespace unlha {

bool isValidUtf8(std::string_view s);

// CP932 bytes as UTF-8. A byte that does not begin a valid CP932 character stays as it is.
std::string decodeCp932(std::string_view bytes);

// The CP932 bytes of a UTF-8 text when every character has a CP932 form that reads back as the
// same character; nothing otherwise.
std::optional<std::string> encodeCp932(std::string_view utf8);

// A name stored in UTF-16LE (extensions 0x44 and 0x45 of Windows writers) as UTF-8. In a folder
// name the unit 0xFFFF separates the folders and becomes '/'. A surrogate without its partner
// becomes U+FFFD; NUL units at the end are no part of the name.
std::string fromUtf16le(std::string_view bytes, bool folder);

// LHa for UNIX stores a symbolic link as one path "link|target": the part before the first '|'
// is the link's own path, the rest the target it names. False when there is no '|'.
bool splitLinkPath(std::string_view stored, std::string& path, std::string& target);

// Splits a stored path on '\' and '/' into its folder ('/'-separated) and last component.
// shiftJisBytes: the path is still in Shift-JIS bytes, where 0x5C may be a character's second
// byte and is then no separator.
void splitStoredPath(std::string_view path, bool shiftJisBytes, std::string& folder, std::string& name);

// MS-DOS writers store names in upper case; a name with no lower-case letter is shown in lower
// case, as Unix LHA tools have always done.
std::string lowerIfAllUpper(std::string_view name);

// The name as it goes to disk and into the report: control bytes (ESC, CR, LF, DEL ...) become '_'.
std::string safeFileName(std::string_view name);

} // namespace unlha
