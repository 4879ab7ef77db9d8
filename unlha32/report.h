#pragma once
// The short text a call leaves in the caller's output buffer: one line per file handled or
// per problem, in Japanese.

#include <cstdint>
#include <string>
#include <string_view>

namespace unlha {

// A name from an archive as it may be shown: control bytes (a terminal escape, say) become '?'.
std::string printable(std::string_view name);

class Report {
public:
    void line(std::string_view text);
    const std::string& text() const { return text_; }

    // Copies the text into out, cut to size - 1 bytes at a character boundary and NUL-terminated.
    // Writes nothing when out is null or size is 0.
    void copyTo(char* out, std::uint32_t size) const;

private:
    std::string text_;
};

} // namespace unlha
