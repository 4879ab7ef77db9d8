// Output buffer handling: never past the caller's size, never half a UTF-8 character.
#include "unlha32/report.h"

#include <cstring>

namespace unlha {

std::string printable(std::string_view name)
{
    std::string shown(name);
    for (auto& c : shown)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = '?';
    return shown;
}

void Report::line(std::string_view text)
{
    text_.append(text);
    text_ += '\n';
}

void Report::copyTo(char* out, std::uint32_t size) const
{
    if (out == nullptr || size == 0)
        return;
    std::size_t n = std::min<std::size_t>(text_.size(), size - 1);
    if (n < text_.size())
        while (n > 0 && (static_cast<unsigned char>(text_[n]) & 0xC0) == 0x80)
            --n; // text_[n] continues a character that would be cut
    std::memcpy(out, text_.data(), n);
    out[n] = '\0';
}

} // namespace unlha
