// CRC-16/ARC, eight bytes a step: the tables let one lookup per byte replace the bit loop. Sums of
// pieces combine by multiplying with x^(8n) modulo the polynomial, as zlib combines CRC-32s.
#include "unlha32/crc16.h"

#include <array>

namespace unlha {
namespace {

using Tables = std::array<std::array<std::uint16_t, 256>, 8>;

constexpr Tables makeTables()
{
    Tables t{};
    for (unsigned i = 0; i < 256; ++i) {
        unsigned c = i;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? (c >> 1) ^ 0xA001u : c >> 1;
        t[0][i] = static_cast<std::uint16_t>(c);
    }
    // t[k][i]: the CRC of byte i followed by k zero bytes.
    for (unsigned k = 1; k < 8; ++k)
        for (unsigned i = 0; i < 256; ++i) {
            const std::uint16_t prev = t[k - 1][i];
            t[k][i] = static_cast<std::uint16_t>((prev >> 8) ^ t[0][prev & 0xFF]);
        }
    return t;
}

constexpr Tables kTables = makeTables();

constexpr unsigned kReflected = 0xA001; // x^16 + x^15 + x^2 + 1, bit 15 standing for x^0

// a * b modulo the polynomial, both in the reflected form.
constexpr std::uint16_t multiply(unsigned a, unsigned b)
{
    unsigned product = 0;
    for (unsigned m = 0x8000; m != 0; m >>= 1) {
        if (a & m)
            product ^= b;
        b = (b & 1) ? (b >> 1) ^ kReflected : b >> 1;
    }
    return static_cast<std::uint16_t>(product);
}

// x^(2^k) modulo the polynomial; the powers repeat, so 64 of them serve any exponent.
constexpr std::array<std::uint16_t, 64> makePowers()
{
    std::array<std::uint16_t, 64> p{};
    p[0] = 0x4000; // x^1
    for (std::size_t k = 1; k < p.size(); ++k)
        p[k] = multiply(p[k - 1], p[k - 1]);
    return p;
}

constexpr std::array<std::uint16_t, 64> kPowers = makePowers();

} // namespace

std::uint16_t crc16(const void* data, std::size_t size, std::uint16_t crc) noexcept
{
    auto p = static_cast<const std::uint8_t*>(data);
    unsigned c = crc;
    while (size >= 8) {
        const unsigned x = c ^ (p[0] | (p[1] << 8));
        c = kTables[7][x & 0xFF] ^ kTables[6][x >> 8] ^ kTables[5][p[2]] ^ kTables[4][p[3]]
            ^ kTables[3][p[4]] ^ kTables[2][p[5]] ^ kTables[1][p[6]] ^ kTables[0][p[7]];
        p += 8;
        size -= 8;
    }
    while (size-- > 0)
        c = kTables[0][(c ^ *p++) & 0xFF] ^ (c >> 8);
    return static_cast<std::uint16_t>(c);
}

std::uint16_t crc16Combine(std::uint16_t first, std::uint16_t second, std::uint64_t secondSize) noexcept
{
    // first shifted past secondSize zero bytes: times x^(8 * secondSize).
    unsigned shift = 0x8000; // x^0
    for (unsigned k = 3; secondSize != 0; secondSize >>= 1, ++k)
        if (secondSize & 1)
            shift = multiply(kPowers[k % kPowers.size()], shift);
    return static_cast<std::uint16_t>(multiply(shift, first) ^ second);
}

} // namespace unlha
