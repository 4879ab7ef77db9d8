// Each reader gets the archive through its own memory stream and reads the first member to its
// end; size and CRC are judged here, the same way for both.
#include "unlha32/fuzz/other_readers.h"

#include <archive.h>
#include <archive_entry.h>
#include <cstring>
#include <lha_reader.h>
#include <memory>

#include "unlha32/crc16.h"
#include "unlha32/header_writer.h"

namespace unlha::fuzz {
namespace {

struct Expected {
    std::uint64_t size = 0;
    std::uint16_t crc = 0;
};

ReaderResult judge(std::vector<std::uint8_t> bytes, bool failed, const Expected& e)
{
    ReaderResult r;
    if (failed || bytes.size() != e.size)
        r.status = ReaderResult::Failed;
    else
        r.status = crc16(bytes.data(), bytes.size()) == e.crc ? ReaderResult::Ok : ReaderResult::BadCrc;
    r.bytes = std::move(bytes);
    return r;
}

struct Memory {
    std::span<const std::uint8_t> rest;
};

int lhasaRead(void* handle, void* buf, size_t len)
{
    auto* m = static_cast<Memory*>(handle);
    const std::size_t n = std::min(len, m->rest.size());
    std::memcpy(buf, m->rest.data(), n);
    m->rest = m->rest.subspan(n);
    return static_cast<int>(n);
}

} // namespace

std::vector<std::uint8_t> archiveAround(std::span<const std::uint8_t> packed, const char* method,
                                        std::uint64_t original, std::uint16_t crc)
{
    std::vector<std::uint8_t> a = level2Header({"member", method, packed.size(), original, 0, crc});
    a.insert(a.end(), packed.begin(), packed.end());
    a.push_back(0);
    return a;
}

ReaderResult readWithLibarchive(std::span<const std::uint8_t> archive)
{
    std::unique_ptr<struct archive, decltype(&archive_read_free)> a(archive_read_new(), archive_read_free);
    archive_entry* entry = nullptr;
    if (!a || archive_read_support_format_lha(a.get()) != ARCHIVE_OK
        || archive_read_open_memory(a.get(), archive.data(), archive.size()) != ARCHIVE_OK
        || archive_read_next_header(a.get(), &entry) != ARCHIVE_OK)
        return {};
    // libarchive hands out no CRC: the one in the level-2 header (offset 21) is the expected one.
    const Expected e{static_cast<std::uint64_t>(archive_entry_size(entry)),
                     static_cast<std::uint16_t>(archive[21] | (archive[22] << 8))};
    std::vector<std::uint8_t> bytes;
    bool failed = false;
    for (;;) {
        const void* buf = nullptr;
        size_t len = 0;
        la_int64_t offset = 0;
        const int r = archive_read_data_block(a.get(), &buf, &len, &offset);
        if (r == ARCHIVE_EOF)
            break;
        if (r == ARCHIVE_WARN) { // libarchive names a CRC mismatch so; judged below like lhasa's
            const char* why = archive_error_string(a.get());
            failed = !(why && std::strstr(why, "CRC"));
            break;
        }
        if (r != ARCHIVE_OK || static_cast<std::uint64_t>(offset) != bytes.size()) {
            failed = true;
            break;
        }
        bytes.insert(bytes.end(), static_cast<const std::uint8_t*>(buf), static_cast<const std::uint8_t*>(buf) + len);
        if (bytes.size() > e.size)
            break;
    }
    return judge(std::move(bytes), failed, e);
}

ReaderResult readWithLhasa(std::span<const std::uint8_t> archive)
{
    static const LHAInputStreamType kType{lhasaRead, nullptr, nullptr};
    Memory memory{archive};
    std::unique_ptr<LHAInputStream, decltype(&lha_input_stream_free)> input(lha_input_stream_new(&kType, &memory),
                                                                             lha_input_stream_free);
    std::unique_ptr<LHAReader, decltype(&lha_reader_free)> reader(input ? lha_reader_new(input.get()) : nullptr,
                                                                  lha_reader_free);
    const LHAFileHeader* h = reader ? lha_reader_next_file(reader.get()) : nullptr;
    if (!h)
        return {};
    const Expected e{h->length, h->crc};
    std::vector<std::uint8_t> bytes;
    std::vector<std::uint8_t> buf(64 * 1024);
    for (std::size_t n; (n = lha_reader_read(reader.get(), buf.data(), buf.size())) > 0 && bytes.size() <= e.size;)
        bytes.insert(bytes.end(), buf.begin(), buf.begin() + static_cast<std::ptrdiff_t>(n));
    return judge(std::move(bytes), false, e);
}

} // namespace unlha::fuzz
