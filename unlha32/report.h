#pragma once
// The short text a call leaves in the caller's output buffer: one line per file handled or
// per problem, in Japanese.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace unlha {

// A name from an archive as it may be shown: control bytes (a terminal escape, say) become '_',
// as they do on disk, and bytes that are no UTF-8 (a name in an unknown charset) show as \xHH,
// as does '\' itself (no separator is ever left in a name), so that the shown form gives back
// the name's very bytes and a caller can name the member with them.
std::string printable(std::string_view name);

class Report {
public:
    using Sink = std::function<void(std::string_view line)>;

    Report() = default;
    // Every line goes to sink as it is made instead of being kept.
    explicit Report(Sink sink) : sink_(std::move(sink)) {}

    void line(std::string_view text);
    const std::string& text() const { return text_; }

    // Copies the text into out, NUL-terminated: whole lines, and when they do not all fit, lines
    // of hundreds of bytes shortened in their middle, then as many as fit before the cut line (or,
    // in a tiny buffer, as much of it as fits). Writes nothing when out is null or size is 0.
    void copyTo(char* out, std::uint32_t size) const;

private:
    Sink sink_;
    std::string text_;
};

} // namespace unlha
