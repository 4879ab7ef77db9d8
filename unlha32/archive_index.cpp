// Header walk for levels 0-3. Every length read from the file is checked against the bytes
// that are really there before it is used: archives come from anywhere.
#include "unlha32/archive_index.h"

#include <ctime>
#include <vector>

#include "platform/byteorder.h"
#include "unlha32/crc16.h"
#include "unlha32/member_names.h"

namespace unlha {
namespace {

using Buffer = std::vector<std::uint8_t>;

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

// Method ids that real headers carry: -lh?- and -lz?- of LHarc, LHA and LArc, -pm0- to -pm2-
// of PMarc (its stubs hold "-pms-", which is no method).
bool plausibleMethod(const std::uint8_t* id)
{
    if (id[0] != '-' || id[4] != '-')
        return false;
    if (id[1] == 'l' && (id[2] == 'h' || id[2] == 'z'))
        return id[3] != '-';
    return id[1] == 'p' && id[2] == 'm' && id[3] >= '0' && id[3] <= '2';
}

// The stored name's bytes and what tells their charset, gathered while the header is read.
struct StoredName {
    std::string path;        // level 0/1: the name field; level 2/3: folder + '/' + name
    bool nameSeen = false;
    std::string folder;      // level 1-3 extension 0x02, 0xFF already '/'
    std::uint32_t codePage = 0;
};

struct Walker {
    const ByteSource& src;
    ArchiveIndex index;
    bool wideSizes = false; // the member carries 64-bit sizes (extension 0x42)

    bool fail(ArchiveIndex::Status s, const char* what)
    {
        index.status = s;
        index.problem = what;
        return false;
    }

    bool read(std::uint64_t at, std::size_t n, Buffer& out)
    {
        out.resize(n);
        if (at > src.size() || n > src.size() - at)
            return false;
        if (!src.readAt(at, out.data(), n))
            return fail(ArchiveIndex::Status::Damaged, "書庫が途中で切れています (読み込み中に短くなりました)");
        return true;
    }

    // Walks the extended headers of buf that begin at `at`, the first of size firstSize, all
    // within buf. sizeWidth is 2 (levels 1, 2) or 4 (level 3). checkCrc: buf is the whole header
    // (levels 2, 3) and its CRC in extension 0x00 is checked.
    bool readExtensions(IndexedMember& m, StoredName& stored, const Buffer& buf, std::size_t at,
                        std::uint64_t firstSize, int sizeWidth, bool checkCrc)
    {
        std::uint64_t size = firstSize;
        int guard = 0;
        while (size != 0) {
            if (++guard > 4096)
                return fail(ArchiveIndex::Status::Damaged, "拡張ヘッダが終わりません");
            if (size < 1 + static_cast<std::uint64_t>(sizeWidth) || at > buf.size() || size > buf.size() - at)
                return fail(ArchiveIndex::Status::Damaged, "拡張ヘッダがヘッダの外にはみ出しています");
            const std::uint8_t* e = buf.data() + at;
            const std::size_t dataLen = static_cast<std::size_t>(size) - 1 - sizeWidth;
            const std::uint8_t* d = e + 1;
            switch (e[0]) {
            case 0x00:
                if (dataLen >= 2 && checkCrc) {
                    const std::size_t crcAt = at + 1;
                    static const std::uint8_t kZero[2] = {0, 0};
                    std::uint16_t crc = crc16(buf.data(), crcAt);
                    crc = crc16(kZero, 2, crc);
                    crc = crc16(buf.data() + crcAt + 2, buf.size() - crcAt - 2, crc);
                    if (crc != get16(d))
                        return fail(ArchiveIndex::Status::Damaged, "ヘッダのCRCが合いません");
                }
                break;
            case 0x01:
                stored.path.assign(reinterpret_cast<const char*>(d), dataLen);
                stored.nameSeen = true;
                break;
            case 0x02: {
                std::string folder(reinterpret_cast<const char*>(d), dataLen);
                for (auto& ch : folder)
                    if (static_cast<std::uint8_t>(ch) == 0xFF) // no CP932 byte: safe before decoding
                        ch = '/';
                stored.folder = folder;
                break;
            }
            case 0x42:
                if (dataLen >= 16) {
                    wideSizes = true;
                    m.packed = get64(d);
                    m.original = get64(d + 8);
                }
                break;
            case 0x46:
                if (dataLen >= 4)
                    stored.codePage = get32(d);
                break;
            case 0x54:
                if (dataLen >= 4)
                    m.mtime = get32(d);
                break;
            default:
                break; // unknown types are skipped
            }
            at += static_cast<std::size_t>(size);
            const std::uint8_t* next = buf.data() + at - sizeWidth;
            size = sizeWidth == 2 ? get16(next) : get32(next);
        }
        return true;
    }

    // Level 1 keeps its extended headers after the base header, outside its length: they are
    // gathered into one buffer first. Returns false on damage.
    bool gatherLevel1Chain(std::uint64_t at, std::uint64_t firstSize, Buffer& chain)
    {
        Buffer piece;
        std::uint64_t size = firstSize;
        for (int guard = 0; size != 0; ++guard) {
            if (guard > 4096)
                return fail(ArchiveIndex::Status::Damaged, "拡張ヘッダが終わりません");
            if (size < 3 || at + chain.size() + size > src.size())
                return fail(ArchiveIndex::Status::Damaged, "拡張ヘッダがヘッダの外にはみ出しています");
            if (!read(at + chain.size(), static_cast<std::size_t>(size), piece))
                return false;
            chain.insert(chain.end(), piece.begin(), piece.end());
            size = get16(chain.data() + chain.size() - 2);
        }
        return true;
    }

    // Turns the stored name into the member's UTF-8 folder and name.
    static void finishName(IndexedMember& m, StoredName& stored, bool dosWriter)
    {
        std::string path = stored.path;
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
            path = lowerIfAllUpper(path);
        splitStoredPath(path, !cp932 && !utf8 && !isValidUtf8(path), m.folder, m.name);
        while (!m.folder.empty() && m.folder.back() == '/')
            m.folder.pop_back();
        m.directory = m.method == "-lhd-" || (m.original == 0 && m.name.empty() && !m.folder.empty());
    }

    // Reads the member at pos; false at the end of the archive or on damage.
    bool member(std::uint64_t pos, std::uint64_t& nextPos)
    {
        const std::uint64_t size = src.size();
        const auto bad = index.members.empty() ? ArchiveIndex::Status::NotLha : ArchiveIndex::Status::Damaged;
        Buffer h;
        if (size - pos < 22)
            return fail(bad, "ヘッダが途中で切れています");
        if (!read(pos, 22, h))
            return false;
        if (h[2] != '-' || h[6] != '-')
            return fail(bad, "LHAのヘッダではありません");
        IndexedMember m;
        StoredName stored;
        wideSizes = false;
        m.headerOffset = pos;
        m.method.assign(reinterpret_cast<const char*>(h.data() + 2), 5);
        m.level = h[20];
        m.original = get32(h.data() + 11);
        std::uint64_t packed = get32(h.data() + 7);
        std::uint64_t dataStart = 0;
        bool dosWriter = false;

        if (m.level == 0 || m.level == 1) {
            const std::size_t hs = h[0];
            const std::size_t baseLen = hs + 2;
            const std::size_t n = h[21];
            if (hs == 0 || baseLen > size - pos)
                return fail(bad, "ヘッダが途中で切れています");
            if (!read(pos, baseLen, h))
                return false;
            unsigned sum = 0;
            for (std::size_t i = 2; i < baseLen; ++i)
                sum += h[i];
            if ((sum & 0xFF) != h[1])
                return fail(bad, "ヘッダのチェックサムが合いません");
            if (22 + n > baseLen)
                return fail(bad, "名前がヘッダの外にはみ出しています");
            stored.path.assign(reinterpret_cast<const char*>(h.data() + 22), n);
            m.mtime = fromDosTime(get32(h.data() + 15));
            if (m.level == 0) {
                m.hasCrc = 22 + n + 2 <= baseLen;
                if (m.hasCrc)
                    m.crc = static_cast<std::uint16_t>(get16(h.data() + 22 + n));
                const bool extension = 24 + n < baseLen;
                dosWriter = !extension; // only MS-DOS-era writers leave the area out
                if (extension)
                    m.os = h[24 + n];
                if (extension && 22 + n + 12 <= baseLen && h[24 + n] == 'U')
                    m.mtime = get32(h.data() + 26 + n); // LHa for UNIX's extension carries a Unix time
                dataStart = pos + baseLen;
            } else {
                if (27 + n > baseLen)
                    return fail(bad, "レベル1ヘッダが短すぎます");
                m.crc = static_cast<std::uint16_t>(get16(h.data() + 22 + n));
                m.os = h[24 + n];
                Buffer chain;
                if (!gatherLevel1Chain(pos + baseLen, get16(h.data() + baseLen - 2), chain))
                    return false;
                if (!chain.empty() && !readExtensions(m, stored, chain, 0, get16(h.data() + baseLen - 2), 2, false))
                    return false;
                if (!wideSizes && chain.size() > packed)
                    return fail(ArchiveIndex::Status::Damaged, "拡張ヘッダがメンバより大きいと書かれています");
                packed -= wideSizes ? 0 : chain.size();
                dataStart = pos + baseLen + chain.size();
            }
        } else if (m.level == 2 || m.level == 3) {
            std::uint64_t total;
            std::size_t firstExtAt;
            int width;
            if (size - pos < 32 && m.level == 3)
                return fail(bad, "ヘッダが途中で切れています");
            if (size - pos < 26 || !read(pos, m.level == 2 ? 26 : 32, h))
                return index.status == ArchiveIndex::Status::Ok ? fail(bad, "ヘッダが途中で切れています") : false;
            if (m.level == 2) {
                total = get16(h.data());
                firstExtAt = 26;
                width = 2;
                // LHA for OS-9/68k counts the header two bytes short.
                if (h[23] == 'K')
                    total += 2;
            } else {
                if (get16(h.data()) != 4)
                    return fail(bad, "ヘッダが途中で切れています");
                total = get32(h.data() + 24);
                firstExtAt = 32;
                width = 4;
                if (total > kLongestLevel3Header)
                    return fail(bad, "ヘッダが大きすぎます");
            }
            if (total < firstExtAt || total > size - pos)
                return fail(bad, "ヘッダが途中で切れています");
            if (!read(pos, static_cast<std::size_t>(total), h))
                return false;
            m.crc = static_cast<std::uint16_t>(get16(h.data() + 21));
            m.os = h[23];
            m.mtime = get32(h.data() + 15);
            const std::uint64_t firstSize = width == 2 ? get16(h.data() + 24) : get32(h.data() + 28);
            if (!readExtensions(m, stored, h, firstExtAt, firstSize, width, true))
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
        finishName(m, stored, dosWriter);
        m.dataOffset = dataStart;
        nextPos = dataStart + m.packed;
        index.members.push_back(std::move(m));
        return true;
    }

    // A self-extracting archive: the first place within the stub limit where a whole member
    // header checks out, or nothing.
    bool findFirstHeader(std::uint64_t& found)
    {
        const std::size_t span = static_cast<std::size_t>(std::min<std::uint64_t>(src.size(), kStubScanLimit + 32));
        Buffer head;
        if (!read(0, span, head))
            return false;
        for (std::size_t i = 1; i + 22 <= span && i <= kStubScanLimit; ++i) {
            if (!plausibleMethod(head.data() + i + 2) || head[i + 20] > 3)
                continue;
            Walker probe{src, {}};
            std::uint64_t next = 0;
            if (probe.member(i, next)) {
                found = i;
                return true;
            }
        }
        return false;
    }
};

} // namespace

ArchiveIndex indexArchive(const ByteSource& src)
{
    Walker w{src, {}};
    if (src.size() == 0) {
        w.fail(ArchiveIndex::Status::NotLha, "空のファイルです");
        return w.index;
    }
    std::uint64_t pos = 0;
    Buffer byte;
    if (src.size() >= 22) {
        Buffer head;
        if (!w.read(0, 22, head))
            return w.index;
        const bool headerAtStart = head[2] == '-' && head[6] == '-';
        if (!headerAtStart && !w.findFirstHeader(pos)) {
            if (w.index.status == ArchiveIndex::Status::Ok)
                w.fail(ArchiveIndex::Status::NotLha, "LHAのヘッダではありません");
            return w.index;
        }
    }
    while (pos < src.size()) {
        if (!w.read(pos, 1, byte))
            return w.index;
        if (byte[0] == 0)
            break;
        std::uint64_t next = pos;
        if (!w.member(pos, next))
            return w.index;
        pos = next;
    }
    if (w.index.members.empty())
        w.fail(ArchiveIndex::Status::NotLha, "メンバがありません");
    return w.index;
}

ArchiveIndex indexArchive(std::span<const std::uint8_t> bytes)
{
    return indexArchive(MemorySource(bytes));
}

} // namespace unlha
