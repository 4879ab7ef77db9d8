// Header walk for levels 0-3. Every length read from the file is checked against the bytes
// that are really there before it is used: archives come from anywhere.
#include "unlha32/archive_index.h"

#include <ctime>

#include "unlha32/crc16.h"

namespace unlha {
namespace {

std::uint32_t get16(const std::uint8_t* p) { return p[0] | (p[1] << 8); }
std::uint32_t get32(const std::uint8_t* p) { return get16(p) | (get16(p + 2) << 16); }
std::uint64_t get64(const std::uint8_t* p) { return get32(p) | (std::uint64_t{get32(p + 4)} << 32); }

bool isValidUtf8(const std::string& s)
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

bool isShiftJisLead(std::uint8_t c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// Splits a level-0/1 path on '\' and '/' into folder and name, minding Shift-JIS.
void splitStoredPath(const std::string& path, std::string& folder, std::string& name)
{
    const bool sjis = !isValidUtf8(path);
    std::size_t lastSep = std::string::npos;
    for (std::size_t i = 0; i < path.size(); ++i) {
        const auto c = static_cast<std::uint8_t>(path[i]);
        if (sjis && isShiftJisLead(c)) {
            ++i; // the trail byte may be 0x5C
            continue;
        }
        if (c == '\\' || c == '/')
            lastSep = i;
    }
    if (lastSep == std::string::npos) {
        folder.clear();
        name = path;
        return;
    }
    folder = path.substr(0, lastSep);
    for (auto& ch : folder)
        if (ch == '\\')
            ch = '/';
    name = path.substr(lastSep + 1);
}

std::int64_t fromDosTime(std::uint32_t dos)
{
    std::tm t{};
    t.tm_sec = static_cast<int>((dos & 0x1F) * 2);
    t.tm_min = static_cast<int>((dos >> 5) & 0x3F);
    t.tm_hour = static_cast<int>((dos >> 11) & 0x1F);
    t.tm_mday = static_cast<int>((dos >> 16) & 0x1F);
    t.tm_mon = static_cast<int>(((dos >> 21) & 0x0F)) - 1;
    t.tm_year = static_cast<int>((dos >> 25) & 0x7F) + 80;
    t.tm_isdst = -1;
    const std::time_t v = std::mktime(&t); // the stamp is local time
    return v == static_cast<std::time_t>(-1) ? 0 : static_cast<std::int64_t>(v);
}

struct Walker {
    std::span<const std::uint8_t> bytes;
    ArchiveIndex index;
    bool wideSizes = false; // the member carries 64-bit sizes (extension 0x42)

    bool fail(ArchiveIndex::Status s, const char* what)
    {
        index.status = s;
        index.problem = what;
        return false;
    }

    // Reads the extended-header chain starting with `firstSize` at `at`, all within [at, limit).
    // sizeWidth is 2 (levels 1, 2) or 4 (level 3). Returns the total bytes the chain spans.
    bool readExtensions(IndexedMember& m, std::size_t at, std::size_t limit, std::uint64_t firstSize,
                        int sizeWidth, std::size_t headerStart, std::size_t headerEnd,
                        std::uint64_t& chainBytes)
    {
        chainBytes = 0;
        std::uint64_t size = firstSize;
        int guard = 0;
        while (size != 0) {
            if (++guard > 4096)
                return fail(ArchiveIndex::Status::Damaged, "拡張ヘッダが終わりません");
            if (size < 1 + static_cast<std::uint64_t>(sizeWidth) || at + size > limit)
                return fail(ArchiveIndex::Status::Damaged, "拡張ヘッダがヘッダの外にはみ出しています");
            const std::uint8_t* e = bytes.data() + at;
            const std::size_t dataLen = static_cast<std::size_t>(size) - 1 - sizeWidth;
            const std::uint8_t* d = e + 1;
            switch (e[0]) {
            case 0x00: // header CRC, checked where the header is whole (levels 2, 3)
                if (dataLen >= 2 && headerEnd > headerStart) {
                    std::vector<std::uint8_t> copy(bytes.begin() + headerStart, bytes.begin() + headerEnd);
                    const std::size_t crcAt = static_cast<std::size_t>(d - bytes.data()) - headerStart;
                    copy[crcAt] = copy[crcAt + 1] = 0;
                    if (crc16(copy.data(), copy.size()) != get16(d))
                        return fail(ArchiveIndex::Status::Damaged, "ヘッダのCRCが合いません");
                }
                break;
            case 0x01:
                m.name.assign(reinterpret_cast<const char*>(d), dataLen);
                break;
            case 0x02: {
                std::string folder(reinterpret_cast<const char*>(d), dataLen);
                for (auto& ch : folder)
                    if (static_cast<std::uint8_t>(ch) == 0xFF)
                        ch = '/';
                while (!folder.empty() && folder.back() == '/')
                    folder.pop_back();
                m.folder = folder;
                break;
            }
            case 0x42:
                if (dataLen >= 16) {
                    wideSizes = true;
                    m.packed = get64(d);
                    m.original = get64(d + 8);
                }
                break;
            case 0x54:
                if (dataLen >= 4)
                    m.mtime = get32(d);
                break;
            default:
                break; // unknown types are skipped
            }
            chainBytes += size;
            at += static_cast<std::size_t>(size);
            const std::uint8_t* next = bytes.data() + at - sizeWidth;
            size = sizeWidth == 2 ? get16(next) : get32(next);
        }
        return true;
    }

    // Reads the member at pos; false at the end of the archive or on damage.
    bool member(std::size_t pos, std::size_t& nextPos)
    {
        const std::size_t size = bytes.size();
        const std::uint8_t* h = bytes.data() + pos;
        const auto bad = index.members.empty() ? ArchiveIndex::Status::NotLha : ArchiveIndex::Status::Damaged;
        if (size - pos < 22)
            return fail(bad, "ヘッダが途中で切れています");
        if (h[2] != '-' || h[6] != '-')
            return fail(bad, "LHAのヘッダではありません");
        IndexedMember m;
        wideSizes = false;
        m.headerOffset = pos;
        m.method.assign(reinterpret_cast<const char*>(h + 2), 5);
        m.level = h[20];
        m.original = get32(h + 11);
        std::uint64_t packed = get32(h + 7);
        std::size_t dataStart = 0;

        if (m.level == 0 || m.level == 1) {
            const std::size_t hs = h[0];
            const std::size_t baseLen = hs + 2;
            const std::size_t n = h[21];
            if (hs == 0 || pos + baseLen > size)
                return fail(bad, "ヘッダが途中で切れています");
            unsigned sum = 0;
            for (std::size_t i = 2; i < baseLen; ++i)
                sum += h[i];
            if ((sum & 0xFF) != h[1])
                return fail(bad, "ヘッダのチェックサムが合いません");
            if (22 + n > baseLen)
                return fail(bad, "名前がヘッダの外にはみ出しています");
            splitStoredPath(std::string(reinterpret_cast<const char*>(h + 22), n), m.folder, m.name);
            m.mtime = fromDosTime(get32(h + 15));
            if (m.level == 0) {
                m.hasCrc = 22 + n + 2 <= baseLen;
                if (m.hasCrc)
                    m.crc = static_cast<std::uint16_t>(get16(h + 22 + n));
                if (m.hasCrc && 22 + n + 12 <= baseLen && h[24 + n] == 'U')
                    m.mtime = get32(h + 26 + n); // LHa for UNIX's extension carries a Unix time
                dataStart = pos + baseLen;
            } else {
                if (27 + n > baseLen)
                    return fail(bad, "レベル1ヘッダが短すぎます");
                m.crc = static_cast<std::uint16_t>(get16(h + 22 + n));
                m.os = h[24 + n];
                std::uint64_t chain = 0;
                if (!readExtensions(m, pos + baseLen, size, get16(h + baseLen - 2), 2, 0, 0, chain))
                    return false;
                if (!wideSizes && chain > packed)
                    return fail(ArchiveIndex::Status::Damaged, "拡張ヘッダがメンバより大きいと書かれています");
                packed -= wideSizes ? 0 : chain;
                dataStart = pos + baseLen + static_cast<std::size_t>(chain);
            }
        } else if (m.level == 2 || m.level == 3) {
            std::size_t total;
            std::size_t firstExtAt;
            int width;
            std::uint64_t firstSize;
            if (m.level == 2) {
                total = get16(h);
                firstExtAt = 26;
                width = 2;
                if (total < 26 || pos + total > size)
                    return fail(bad, "ヘッダが途中で切れています");
                firstSize = get16(h + 24);
            } else {
                if (get16(h) != 4 || size - pos < 32)
                    return fail(bad, "ヘッダが途中で切れています");
                total = get32(h + 24);
                firstExtAt = 32;
                width = 4;
                if (total < 32 || total > size - pos)
                    return fail(bad, "ヘッダが途中で切れています");
                firstSize = get32(h + 28);
            }
            m.crc = static_cast<std::uint16_t>(get16(h + 21));
            m.os = h[23];
            m.mtime = get32(h + 15);
            std::uint64_t chain = 0;
            if (!readExtensions(m, pos + firstExtAt, pos + total, firstSize, width, pos, pos + total, chain))
                return false;
            dataStart = pos + total;
        } else {
            return fail(bad, "未知のヘッダレベルです");
        }
        if (!wideSizes)
            m.packed = packed;
        if (m.packed > size - dataStart)
            return fail(ArchiveIndex::Status::Damaged, "メンバのデータがファイルの終わりを越えています");
        if (m.method == "-lh0-" && m.packed != m.original)
            return fail(ArchiveIndex::Status::Damaged, "無圧縮メンバのサイズが食い違っています");
        m.dataOffset = dataStart;
        nextPos = dataStart + static_cast<std::size_t>(m.packed);
        index.members.push_back(std::move(m));
        return true;
    }
};

} // namespace

ArchiveIndex indexArchive(std::span<const std::uint8_t> bytes)
{
    Walker w{bytes, {}};
    if (bytes.empty()) {
        w.fail(ArchiveIndex::Status::NotLha, "空のファイルです");
        return w.index;
    }
    std::size_t pos = 0;
    while (pos < bytes.size() && bytes[pos] != 0) {
        std::size_t next = pos;
        if (!w.member(pos, next))
            return w.index;
        pos = next;
    }
    if (w.index.members.empty())
        w.fail(ArchiveIndex::Status::NotLha, "メンバがありません");
    return w.index;
}

std::string bareName(const std::string& storedName)
{
    std::string folder;
    std::string name;
    splitStoredPath(storedName, folder, name);
    return name;
}

} // namespace unlha
