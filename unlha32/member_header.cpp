// One decode function per header level, as lhasa reads them. Every length read from the file is
// checked against the bytes that are really there before it is used: archives come from anywhere.
#include "unlha32/member_header.h"

#include <algorithm>
#include <ctime>
#include <optional>
#include <string_view>

#include "platform/byteorder.h"
#include "unlha32/crc16.h"
#include "unlha32/header_layout.h"
#include "unlha32/member_names.h"

namespace unlha {
namespace {

using namespace layout;
using Buffer = std::vector<std::uint8_t>;
using Status = ArchiveIndex::Status;

using platform::le::get16;
using platform::le::get32;
using platform::le::get64;

constexpr std::uint64_t kLongestLevel3Header = 1 << 20;

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

// The stored name's bytes and what tells their charset, gathered while the header is read.
struct StoredName {
    std::string path;        // level 0/1: the name field; level 2/3: folder + '/' + name
    std::string folder;      // level 1-3 extension 0x02, 0xFF already '/'
    std::uint32_t codePage = 0;
    std::optional<std::string> utf16Name;   // extension 0x44, as UTF-8
    std::optional<std::string> utf16Folder; // extension 0x45, as UTF-8 with '/' after each folder
    std::optional<std::uint16_t> unixMode;  // extension 0x50, or LHa for UNIX's level-0 area
};

struct Decoder {
    const ByteSource& src;
    ArchiveIndex& index;
    const std::uint64_t pos;
    const Status bad;              // for a header that does not check out
    Buffer h = {};                 // the header's bytes, as far as they have been read
    IndexedMember m = {};
    StoredName stored = {};
    std::uint64_t packed = 0;      // the 32-bit packed size field
    std::uint64_t dataStart = 0;
    bool wideSizes = false;        // extension 0x42 gave 64-bit sizes
    bool dosWriter = false;        // a level-0 header of an MS-DOS-era writer

    bool fail(Status s, const char* what) { return index.fail(s, what); }
    bool read(std::uint64_t at, std::size_t n, Buffer& out) { return readHeaderBytes(src, at, n, out, index); }
    std::uint64_t left() const { return src.size() - pos; }

    // Levels 0 and 1 share the base header: a 1-byte size, a checksum, the name inside.
    // baseLength and nameEnd tell where it and the name end.
    bool decodeBaseHeader(std::size_t& baseLength, std::size_t& nameEnd)
    {
        const std::size_t sizeField = h[level0::kSize];
        baseLength = sizeField + 2;
        const std::size_t n = h[level0::kNameLength];
        if (sizeField == 0 || baseLength > left())
            return fail(bad, "ヘッダが途中で切れています");
        if (!read(pos, baseLength, h))
            return false;
        unsigned sum = 0;
        for (std::size_t i = level0::kChecksum + 1; i < baseLength; ++i)
            sum += h[i];
        if ((sum & 0xFF) != h[level0::kChecksum])
            return fail(bad, "ヘッダのチェックサムが合いません");
        nameEnd = level0::kName + n;
        if (nameEnd > baseLength)
            return fail(bad, "名前がヘッダの外にはみ出しています");
        stored.path.assign(reinterpret_cast<const char*>(h.data() + level0::kName), n);
        m.mtime = fromDosTime(get32(h.data() + kTime));
        return true;
    }

    bool decodeLevel0()
    {
        std::size_t baseLength = 0, nameEnd = 0;
        if (!decodeBaseHeader(baseLength, nameEnd))
            return false;
        // The oldest writers stored no CRC: the header ends with the name.
        m.hasCrc = nameEnd + 2 <= baseLength;
        if (m.hasCrc)
            m.crc = static_cast<std::uint16_t>(get16(h.data() + nameEnd + level0::kCrcAfterName));
        const std::size_t area = nameEnd + level0::kAreaAfterName;
        const bool extension = area < baseLength;
        dosWriter = !extension; // only MS-DOS-era writers leave the area out
        if (extension)
            m.os = h[area];
        // LHa for UNIX's area carries a Unix time, better than the MS-DOS one, and the mode.
        if (extension && nameEnd + level0::kAreaAfterName + level0::kUnixAreaLength <= baseLength && h[area] == 'U') {
            m.mtime = get32(h.data() + nameEnd + level0::kUnixTimeAfterName);
            stored.unixMode = static_cast<std::uint16_t>(get16(h.data() + nameEnd + level0::kUnixModeAfterName));
        }
        dataStart = pos + baseLength;
        return true;
    }

    bool decodeLevel1()
    {
        std::size_t baseLength = 0, nameEnd = 0;
        if (!decodeBaseHeader(baseLength, nameEnd))
            return false;
        if (nameEnd + level1::kFixedAfterName > baseLength)
            return fail(bad, "レベル1ヘッダが短すぎます");
        m.crc = static_cast<std::uint16_t>(get16(h.data() + nameEnd + level0::kCrcAfterName));
        m.os = h[nameEnd + level1::kOsAfterName];
        // The first extended header's size closes the base header, wherever its size puts the end.
        const std::uint64_t firstSize = get16(h.data() + baseLength - 2);
        Buffer chain;
        if (!gatherLevel1Chain(pos + baseLength, firstSize, chain))
            return false;
        if (!chain.empty() && !readExtensions(chain, 0, firstSize, level2::kSizeWidth, false))
            return false;
        // The packed size counts the extended headers too, unless extension 0x42 gave it.
        if (!wideSizes && chain.size() > packed)
            return fail(Status::Damaged, "拡張ヘッダがメンバより大きいと書かれています");
        packed -= wideSizes ? 0 : chain.size();
        dataStart = pos + baseLength + chain.size();
        return true;
    }

    bool decodeLevel2()
    {
        if (left() < level2::kExtensions || !read(pos, level2::kExtensions, h))
            return index.status == Status::Ok ? fail(bad, "ヘッダが途中で切れています") : false;
        std::uint64_t total = get16(h.data() + level2::kLength);
        // LHA for OS-9/68k counts the header two bytes short.
        if (h[level2::kOs] == 'K')
            total += 2;
        return decodeWholeHeader(total, level2::kExtensions, level2::kSizeWidth);
    }

    bool decodeLevel3()
    {
        if (left() < level3::kExtensions)
            return fail(bad, "ヘッダが途中で切れています");
        if (!read(pos, level3::kExtensions, h))
            return index.status == Status::Ok ? fail(bad, "ヘッダが途中で切れています") : false;
        if (get16(h.data() + level3::kWordSize) != 4)
            return fail(bad, "ヘッダが途中で切れています");
        const std::uint64_t total = get32(h.data() + level3::kLength);
        if (total > kLongestLevel3Header)
            return fail(bad, "ヘッダが大きすぎます");
        return decodeWholeHeader(total, level3::kExtensions, level3::kSizeWidth);
    }

    // Levels 2 and 3: the whole header, extended headers included, is total bytes long and
    // carries a CRC of itself. The fixed fields lie alike in both.
    bool decodeWholeHeader(std::uint64_t total, std::size_t firstExtensionAt, int sizeWidth)
    {
        static_assert(level2::kCrc == level3::kCrc && level2::kOs == level3::kOs);
        if (total < firstExtensionAt || total > left())
            return fail(bad, "ヘッダが途中で切れています");
        if (!read(pos, static_cast<std::size_t>(total), h))
            return false;
        m.crc = static_cast<std::uint16_t>(get16(h.data() + level2::kCrc));
        m.os = h[level2::kOs];
        m.mtime = get32(h.data() + kTime);
        const std::uint64_t firstSize = sizeWidth == level2::kSizeWidth ? get16(h.data() + level2::kFirstExtensionSize)
                                                                        : get32(h.data() + level3::kFirstExtensionSize);
        if (!readExtensions(h, firstExtensionAt, firstSize, sizeWidth, true))
            return false;
        dataStart = pos + total;
        return true;
    }

    // Walks the extended headers of buf that begin at `at`, the first of size firstSize, all
    // within buf. checkCrc: buf is the whole header (levels 2, 3) and its CRC in extension 0x00
    // is checked.
    bool readExtensions(const Buffer& buf, std::size_t at, std::uint64_t firstSize, int sizeWidth, bool checkCrc)
    {
        std::uint64_t size = firstSize;
        int guard = 0;
        while (size != 0) {
            if (++guard > 4096)
                return fail(Status::Damaged, "拡張ヘッダが終わりません");
            if (size < 1 + static_cast<std::uint64_t>(sizeWidth) || at > buf.size() || size > buf.size() - at)
                return fail(Status::Damaged, "拡張ヘッダがヘッダの外にはみ出しています");
            const std::uint8_t type = buf[at];
            const std::uint8_t* d = buf.data() + at + 1;
            const std::size_t dataLen = static_cast<std::size_t>(size) - 1 - sizeWidth;
            if (type == kHeaderCrc && dataLen >= 2 && checkCrc && !headerCrcMatches(buf, at + 1))
                return fail(Status::Damaged, "ヘッダのCRCが合いません");
            takeExtension(type, d, dataLen);
            at += static_cast<std::size_t>(size);
            const std::uint8_t* next = buf.data() + at - sizeWidth;
            size = sizeWidth == 2 ? get16(next) : get32(next);
        }
        return true;
    }

    // The header's CRC, computed with its own two bytes at crcAt taken as 0.
    static bool headerCrcMatches(const Buffer& buf, std::size_t crcAt)
    {
        static const std::uint8_t kZero[2] = {0, 0};
        std::uint16_t crc = crc16(buf.data(), crcAt);
        crc = crc16(kZero, 2, crc);
        crc = crc16(buf.data() + crcAt + 2, buf.size() - crcAt - 2, crc);
        return crc == get16(buf.data() + crcAt);
    }

    // One extended header's data; types this reader has no use for are skipped.
    void takeExtension(std::uint8_t type, const std::uint8_t* d, std::size_t dataLen)
    {
        switch (type) {
        case kFileName:
            stored.path.assign(reinterpret_cast<const char*>(d), dataLen);
            break;
        case kFolder: {
            std::string folder(reinterpret_cast<const char*>(d), dataLen);
            for (auto& ch : folder)
                if (static_cast<std::uint8_t>(ch) == 0xFF) // no CP932 byte: safe before decoding
                    ch = '/';
            stored.folder = folder;
            break;
        }
        case kWideSizes:
            if (dataLen >= 16) {
                wideSizes = true;
                m.packed = get64(d);
                m.original = get64(d + 8);
            }
            break;
        case kUtf16Name:
            stored.utf16Name = fromUtf16le(std::string_view(reinterpret_cast<const char*>(d), dataLen), false);
            break;
        case kUtf16Folder:
            stored.utf16Folder = fromUtf16le(std::string_view(reinterpret_cast<const char*>(d), dataLen), true);
            break;
        case kCodePage:
            if (dataLen >= 4)
                stored.codePage = get32(d);
            break;
        case kUnixMode:
            if (dataLen >= 2)
                stored.unixMode = static_cast<std::uint16_t>(get16(d));
            break;
        case kUnixTime:
            if (dataLen >= 4)
                m.mtime = get32(d);
            break;
        default:
            break;
        }
    }

    // Level 1 keeps its extended headers after the base header, outside its length: they are
    // gathered into one buffer first.
    bool gatherLevel1Chain(std::uint64_t at, std::uint64_t firstSize, Buffer& chain)
    {
        Buffer piece;
        std::uint64_t size = firstSize;
        for (int guard = 0; size != 0; ++guard) {
            if (guard > 4096)
                return fail(Status::Damaged, "拡張ヘッダが終わりません");
            if (size < 3 || at + chain.size() + size > src.size())
                return fail(Status::Damaged, "拡張ヘッダがヘッダの外にはみ出しています");
            if (!read(at + chain.size(), static_cast<std::size_t>(size), piece))
                return false;
            chain.insert(chain.end(), piece.begin(), piece.end());
            size = get16(chain.data() + chain.size() - 2);
        }
        return true;
    }

    // Turns the stored name into the member's UTF-8 folder and name.
    void finishName()
    {
        std::string path = stored.path;
        // Amiga and MorphOS writers keep a file comment after a NUL in the name.
        if (const auto nul = path.find('\0'); nul != std::string::npos) {
            m.comment = path.substr(nul + 1);
            path.resize(nul);
        }
        if (!stored.folder.empty()) {
            if (stored.folder.back() != '/')
                stored.folder += '/';
            path = stored.folder + path;
        }
        const bool cp932 = stored.codePage == 932
                           || (stored.codePage == 0
                               && (dosWriter || m.os == 'M' || m.os == 'w' || m.os == 'W' || m.os == 'H'));
        const bool utf8 = stored.codePage == 65001;
        if (cp932) {
            path = decodeCp932(path);
            if (!m.comment.empty())
                m.comment = decodeCp932(m.comment);
        }
        if (dosWriter || m.os == 'M')
            path = lowerIfAllUpper(path); // MS-DOS writers store names in upper case
        // A link's path and target are split before the path is, since the target has folders too.
        m.link = m.method == "-lhd-"
                 && (stored.unixMode ? (*stored.unixMode & kUnixTypeMask) == kUnixSymbolicLink
                                     : path.find('|') != std::string::npos)
                 && splitLinkPath(std::string(path), path, m.linkTarget);
        if (m.link && m.level == 0)
            std::replace(m.linkTarget.begin(), m.linkTarget.end(), '\\', '/'); // MS-DOS separators
        splitStoredPath(path, !cp932 && !utf8 && !isValidUtf8(path), m.folder, m.name);
        // Names in UTF-16 win over the code page's: they are what the writer had.
        if (stored.utf16Name || stored.utf16Folder) {
            const std::string folder = stored.utf16Folder ? *stored.utf16Folder : (m.folder.empty() ? m.folder : m.folder + "/");
            splitStoredPath(folder + (stored.utf16Name ? *stored.utf16Name : m.name), false, m.folder, m.name);
        }
        while (!m.folder.empty() && m.folder.back() == '/')
            m.folder.pop_back();
        m.directory = !m.link && (m.method == "-lhd-" || (m.original == 0 && m.name.empty() && !m.folder.empty()));
    }
};

} // namespace

bool readHeaderBytes(const ByteSource& src, std::uint64_t at, std::size_t n, Buffer& out, ArchiveIndex& index)
{
    out.resize(n);
    if (at > src.size() || n > src.size() - at)
        return false;
    if (!src.readAt(at, out.data(), n))
        return index.fail(Status::Damaged, "書庫が途中で切れています (読み込み中に短くなりました)");
    return true;
}

bool readMemberHeader(const ByteSource& src, std::uint64_t pos, ArchiveIndex& index, std::uint64_t& nextPos)
{
    Decoder d{src, index, pos, index.members.empty() ? Status::NotLha : Status::Damaged};
    if (d.left() < kCommonLength)
        return d.fail(d.bad, "ヘッダが途中で切れています");
    if (!d.read(pos, kCommonLength, d.h))
        return false;
    if (d.h[kMethod] != '-' || d.h[kMethod + kMethodLength - 1] != '-')
        return d.fail(d.bad, "LHAのヘッダではありません");
    IndexedMember& m = d.m;
    m.headerOffset = pos;
    m.method.assign(reinterpret_cast<const char*>(d.h.data() + kMethod), kMethodLength);
    m.level = d.h[kLevel];
    m.original = get32(d.h.data() + kOriginalSize);
    d.packed = get32(d.h.data() + kPackedSize);
    bool decoded = false;
    switch (m.level) {
    case 0: decoded = d.decodeLevel0(); break;
    case 1: decoded = d.decodeLevel1(); break;
    case 2: decoded = d.decodeLevel2(); break;
    case 3: decoded = d.decodeLevel3(); break;
    default: return d.fail(d.bad, "未知のヘッダレベルです");
    }
    if (!decoded)
        return false;
    if (!d.wideSizes)
        m.packed = d.packed;
    if (m.packed > src.size() - d.dataStart)
        return d.fail(Status::Damaged, "メンバのデータがファイルの終わりを越えています");
    if (m.method == "-lh0-" && m.packed != m.original)
        return d.fail(Status::Damaged, "無圧縮メンバのサイズが食い違っています");
    d.finishName();
    m.dataOffset = d.dataStart;
    nextPos = d.dataStart + m.packed;
    index.members.push_back(std::move(m));
    return true;
}

} // namespace unlha
