#pragma once
// The -lh5- family's parameters: one coder since LHA 2.x (-lh5-, 8 KiB window), with the 4 KiB
// -lh4- before it and the 32 and 64 KiB -lh6- and -lh7- of later LHA versions.

#include <string_view>

namespace unlha {

struct LhMethod {
    const char* id;       // method id in the header, e.g. "-lh5-"
    int windowBits;       // history the matches may reach into
    int positionSymbols;  // NP: symbols of the position table
    int positionBits;     // PBIT: width of the position table's length count
};

constexpr LhMethod kLh4{"-lh4-", 12, 14, 4}; // 4 KiB window
constexpr LhMethod kLh5{"-lh5-", 13, 14, 4}; // 8 KiB window
constexpr LhMethod kLh6{"-lh6-", 15, 16, 5}; // 32 KiB window
constexpr LhMethod kLh7{"-lh7-", 16, 17, 5}; // 64 KiB window

// Shared by every table of the family.
constexpr int kLiteralSymbols = 510; // NC: 256 literals + match lengths 3..256
constexpr int kTableSymbols = 19;    // NT: symbols of the table that codes the C lengths
constexpr int kTableCountBits = 5;   // width of the T table's length count
constexpr int kLiteralCountBits = 9; // width of the C table's length count
constexpr int kMaxCodeLength = 16;

// The methods our own decoder reads (-lh4- is left to liblhasa: its positions may reach past
// its window); null for any other id.
constexpr const LhMethod* decodableMethod(std::string_view id)
{
    return id == kLh5.id ? &kLh5 : id == kLh6.id ? &kLh6 : id == kLh7.id ? &kLh7 : nullptr;
}

} // namespace unlha
