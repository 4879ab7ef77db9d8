// Output buffer handling: never past the caller's size, never half a line when it can be
// helped, never half a UTF-8 character.
#include "unlha32/report.h"

#include <cstdio>
#include <cstring>

#include "unlha32/member_names.h"
#include "unlha32/unlha32.h"

namespace unlha {

std::string printable(std::string_view name)
{
    const std::string safe = safeFileName(name);
    if (isValidUtf8(safe) && safe.find('\\') == std::string::npos)
        return safe;
    // Bytes of no known charset. Characters that converted (Japanese, three or four bytes in
    // UTF-8) stay readable; every other byte past ASCII is escaped, so no stray pair of bytes
    // passes for a character.
    std::string shown;
    for (std::size_t i = 0; i < safe.size();) {
        const auto c = static_cast<unsigned char>(safe[i]);
        const std::size_t want = (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 1;
        if ((c < 0x80 && c != '\\') || (want > 1 && i + want <= safe.size() && isValidUtf8(std::string_view(safe).substr(i, want)))) {
            shown.append(safe, i, want);
            i += want;
            continue;
        }
        char esc[5];
        std::snprintf(esc, sizeof esc, "\\x%02X", c);
        shown += esc;
        ++i;
    }
    return shown;
}

void Report::line(std::string_view text)
{
    if (sink_) {
        std::string l(text);
        l += '\n';
        sink_(l);
        return;
    }
    text_.append(text);
    text_ += '\n';
}

namespace {

// A line that would crowd out the rest (a path of thousands of bytes) keeps its start and its
// end, where the reason stands, with "…" between them.
constexpr std::size_t kLongLine = 320;
constexpr std::size_t kKeptEachSide = 150;

std::size_t characterStart(const std::string& s, std::size_t at)
{
    while (at > 0 && at < s.size() && (static_cast<unsigned char>(s[at]) & 0xC0) == 0x80)
        --at;
    return at;
}

std::string withLongLinesShortened(const std::string& text)
{
    std::string out;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        const std::string line = text.substr(start, end - start);
        if (line.size() <= kLongLine) {
            out += line;
        } else {
            out += line.substr(0, characterStart(line, kKeptEachSide)) + "…";
            out += line.substr(characterStart(line, line.size() - kKeptEachSide));
        }
        if (end < text.size())
            out += '\n';
        start = end + 1;
    }
    return out;
}

} // namespace

void Report::copyTo(char* out, std::uint32_t size) const
{
    if (out == nullptr || size == 0)
        return;
    std::string shown = text_;
    if (shown.size() > size - 1)
        shown = withLongLinesShortened(shown);
    if (shown.size() > size - 1) {
        const std::string cut = std::string(UNLHA_REPORT_CUT) + "\n";
        std::size_t keep = 0;
        if (cut.size() <= size - 1) {
            const std::size_t room = size - 1 - cut.size();
            const std::size_t nl = room == 0 ? std::string::npos : shown.rfind('\n', room - 1);
            keep = nl == std::string::npos ? 0 : nl + 1;
            shown = shown.substr(0, keep) + cut;
        }
    }
    std::size_t n = std::min<std::size_t>(shown.size(), size - 1);
    if (n < shown.size())
        while (n > 0 && (static_cast<unsigned char>(shown[n]) & 0xC0) == 0x80)
            --n; // shown[n] continues a character that would be cut
    std::memcpy(out, shown.data(), n);
    out[n] = '\0';
}

} // namespace unlha
