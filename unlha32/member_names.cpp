// iconv's CP932 table (glibc's, on every Debian system) does the conversions; the rules around it
// (raw bytes kept, round trip required) are ours.
#include "unlha32/member_names.h"

#include <cerrno>
#include <cstdint>
#include <iconv.h>
#include <memory>
#include <vector>

namespace unlha {
namespace {

struct Converter {
    explicit Converter(const char* to, const char* from) : cd(::iconv_open(to, from)) {}
    ~Converter()
    {
        if (cd != reinterpret_cast<iconv_t>(-1))
            ::iconv_close(cd);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool ok() const { return cd != reinterpret_cast<iconv_t>(-1); }

    // Converts as far as it can; returns false when it stopped at bytes it cannot take, with
    // `in` and `left` pointing at them.
    bool run(char*& in, std::size_t& left, std::string& out)
    {
        char buf[256];
        while (left > 0) {
            char* o = buf;
            std::size_t room = sizeof buf;
            const std::size_t r = ::iconv(cd, &in, &left, &o, &room);
            out.append(buf, static_cast<std::size_t>(o - buf));
            if (r == static_cast<std::size_t>(-1) && errno != E2BIG)
                return false;
        }
        return true;
    }

    iconv_t cd;
};

bool isShiftJisLead(std::uint8_t c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

} // namespace

bool isValidUtf8(std::string_view s)
{
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<std::uint8_t>(s[i]);
        const int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
        if (extra < 0 || i + extra >= s.size())
            return false;
        for (int k = 1; k <= extra; ++k)
            if ((static_cast<std::uint8_t>(s[i + k]) & 0xC0) != 0x80)
                return false;
        i += 1 + extra;
    }
    return true;
}

std::string decodeCp932(std::string_view bytes)
{
    Converter conv("UTF-8", "CP932");
    if (!conv.ok())
        return std::string(bytes);
    std::string input(bytes);
    std::string out;
    char* in = input.data();
    std::size_t left = input.size();
    while (!conv.run(in, left, out)) {
        out += *in; // not CP932: the byte stays raw
        ++in;
        --left;
        ::iconv(conv.cd, nullptr, nullptr, nullptr, nullptr);
    }
    return out;
}

std::optional<std::string> encodeCp932(std::string_view utf8)
{
    if (!isValidUtf8(utf8))
        return std::nullopt;
    Converter conv("CP932", "UTF-8");
    if (!conv.ok())
        return std::nullopt;
    std::string input(utf8);
    std::string out;
    char* in = input.data();
    std::size_t left = input.size();
    if (!conv.run(in, left, out))
        return std::nullopt;
    if (decodeCp932(out) != utf8)
        return std::nullopt; // e.g. a character that CP932 folds into another one
    return out;
}

std::string fromUtf16le(std::string_view bytes, bool folder)
{
    std::vector<std::uint32_t> units;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
        units.push_back(static_cast<std::uint8_t>(bytes[i]) | static_cast<std::uint8_t>(bytes[i + 1]) << 8);
    while (!units.empty() && units.back() == 0)
        units.pop_back();
    std::string out;
    auto put = [&](std::uint32_t c) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | c >> 6);
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | c >> 12);
            out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | c >> 18);
            out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
            out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    };
    for (std::size_t i = 0; i < units.size(); ++i) {
        const std::uint32_t u = units[i];
        if (folder && u == 0xFFFF) {
            out += '/';
        } else if (u >= 0xD800 && u < 0xDC00 && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] < 0xE000) {
            put(0x10000 + ((u - 0xD800) << 10) + (units[i + 1] - 0xDC00));
            ++i;
        } else if (u >= 0xD800 && u < 0xE000) {
            put(0xFFFD);
        } else {
            put(u);
        }
    }
    return out;
}

bool splitLinkPath(std::string_view stored, std::string& path, std::string& target)
{
    const std::size_t bar = stored.find('|');
    if (bar == std::string_view::npos)
        return false;
    path = stored.substr(0, bar);
    target = stored.substr(bar + 1);
    return true;
}

void splitStoredPath(std::string_view path, bool shiftJisBytes, std::string& folder, std::string& name)
{
    std::size_t lastSep = std::string_view::npos;
    for (std::size_t i = 0; i < path.size(); ++i) {
        const auto c = static_cast<std::uint8_t>(path[i]);
        if (shiftJisBytes && isShiftJisLead(c)) {
            ++i; // the second byte may be 0x5C
            continue;
        }
        if (c == '\\' || c == '/')
            lastSep = i;
    }
    if (lastSep == std::string_view::npos) {
        folder.clear();
        name = path;
        return;
    }
    folder = path.substr(0, lastSep);
    for (std::size_t i = 0; i < folder.size(); ++i) {
        const auto c = static_cast<std::uint8_t>(folder[i]);
        if (shiftJisBytes && isShiftJisLead(c))
            ++i;
        else if (c == '\\')
            folder[i] = '/';
    }
    name = path.substr(lastSep + 1);
}

std::string lowerIfAllUpper(std::string_view name)
{
    std::string out(name);
    for (char c : out)
        if (c >= 'a' && c <= 'z')
            return out;
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

std::string safeFileName(std::string_view name)
{
    std::string out(name);
    for (char& c : out)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = '_';
    return out;
}

} // namespace unlha
