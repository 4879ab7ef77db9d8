// Adding files: each file under its bare name, -lh5- or stored when that is no smaller, into a
// new copy of the archive that replaces the old one only once it is complete. Files stream
// through: a file of any size takes the same memory. Names go in code
// page 932 under the MS-DOS OS id when every character has a form there, so Windows LHA tools
// read them; otherwise in UTF-8 under the Unix OS id.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <memory>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

#include "platform/fs.h"
#include "unlha32/archive_file.h"
#include "unlha32/archive_index.h"
#include "unlha32/cancel.h"
#include "unlha32/commands.h"
#include "unlha32/crc16.h"
#include "unlha32/header_writer.h"
#include "unlha32/lh5_encoder.h"
#include "unlha32/member_names.h"
#include "unlha32/source_file.h"
#include "unlha32/unlha32.h"

namespace unlha {
namespace {

// A file to add, checked before the archive is touched and read only when its member is written.
struct NewFile {
    std::string path;
    std::string name;   // the bare name, for the report
    std::string stored; // the name's bytes in the header
    char os = 'M';
    bool written = false;
};

struct Cancelled {};

std::uint32_t clampTime(std::int64_t t)
{
    return static_cast<std::uint32_t>(std::clamp<std::int64_t>(t, 0, std::numeric_limits<std::uint32_t>::max()));
}

bool sameNameAscii(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               auto low = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
               return low(x) == low(y);
           });
}

// An old member that a new file of this name replaces: the same name, or for names from MS-DOS
// and Windows writers (whose systems ignore case, and whose names may show lower-cased) the
// same name in any case.
bool replaces(const IndexedMember& m, const std::string& name)
{
    if (!m.folder.empty())
        return false;
    return m.name == name || ((m.os == 'M' || m.level == 0) && sameNameAscii(m.name, name));
}

// The file's open failure as a report line; 0 when it opened.
int reportOpen(const SourceFile& file, const std::string& path, Report& report)
{
    switch (file.status()) {
    case SourceFile::Status::Ok:
        return UNLHA_OK;
    case SourceFile::Status::Unreadable:
        report.line("追加するファイルを読めません: " + path + " (" + std::strerror(file.error()) + ")");
        break;
    case SourceFile::Status::Changed:
        report.line("追加するファイルが読み込み中に短くなりました: " + path);
        break;
    case SourceFile::Status::NotOrdinary:
        report.line("追加するファイルが通常のファイルではありません: " + path);
        break;
    case SourceFile::Status::Missing:
        report.line("追加するファイルがありません: " + path);
        break;
    }
    return UNLHA_ERR_NO_FILE;
}

// Checks one file before anything is written; returns 0 or an UNLHA_* code with the reason reported.
int check(const std::string& path, NewFile& out, Report& report)
{
    const std::string name = platform::fs::baseNameOf(path);
    if (name.find('\\') != std::string::npos) {
        // LHA tools read '\' as a folder separator: the name would come back split.
        report.line("名前に '\\' を含むファイルは書庫に入れられません: " + printable(path));
        return UNLHA_ERR_NO_FILE;
    }
    const SourceFile file(path, /*followLinks=*/false);
    if (const int rc = reportOpen(file, path, report); rc != UNLHA_OK)
        return rc;
    if (name.empty()) {
        report.line("追加するファイルがありません: " + path);
        return UNLHA_ERR_NO_FILE;
    }
    const auto cp932 = encodeCp932(name);
    out.stored = cp932 ? *cp932 : name;
    if (out.stored.size() > kMaxNameLength) {
        report.line("書庫に収まりません: " + path);
        return UNLHA_ERR_WRITE;
    }
    out.path = path;
    out.name = name;
    out.os = cp932 ? 'M' : 'U';
    return UNLHA_OK;
}

// The archive being written: every byte goes through here, so the offset is known, and the disk
// starts on each mebibyte at once, so that the flush before the archive takes its place is short.
class ArchiveOutput {
public:
    explicit ArchiveOutput(platform::fs::AtomicFile& file) : file_(file) {}

    void write(const std::uint8_t* data, std::size_t size)
    {
        file_.write(data, size);
        offset_ += size;
        if (offset_ - started_ >= (1u << 20)) {
            ::sync_file_range(file_.fd(), static_cast<off_t>(started_), static_cast<off_t>(offset_ - started_),
                              SYNC_FILE_RANGE_WRITE);
            started_ = offset_;
        }
    }
    // Writes over bytes already written (a header completed afterwards).
    void writeAt(std::uint64_t at, const std::vector<std::uint8_t>& bytes)
    {
        if (::pwrite(file_.fd(), bytes.data(), bytes.size(), static_cast<off_t>(at)) != static_cast<ssize_t>(bytes.size()))
            throw std::system_error(errno ? errno : EIO, std::generic_category(), "pwrite");
    }
    // Drops everything from at on: the member's data is written again.
    void truncate(std::uint64_t at)
    {
        if (::ftruncate(file_.fd(), static_cast<off_t>(at)) != 0 || ::lseek(file_.fd(), static_cast<off_t>(at), SEEK_SET) < 0)
            throw std::system_error(errno, std::generic_category(), "ftruncate");
        offset_ = started_ = at;
    }
    std::uint64_t offset() const { return offset_; }

private:
    platform::fs::AtomicFile& file_;
    std::uint64_t offset_ = 0;
    std::uint64_t started_ = 0; // written out to the disk up to here
};

// A file to add could not be read to its end; the report says why.
struct ReadFailure {};

// Writes the member: the header with the sizes still open, the data compressed as it is read,
// then the header again with the sizes and CRC. When the -lh5- stream comes out no smaller than
// the file, the file goes in again stored. Returns the line that reports it once the archive is
// in place.
std::string writeMember(ArchiveOutput& out, NewFile& f, Report& report)
{
    SourceFile file(f.path, /*followLinks=*/false);
    if (reportOpen(file, f.path, report) != UNLHA_OK)
        throw ReadFailure{};
    NewMember m{f.stored, kLh5.id, file.size(), file.size(), clampTime(file.mtime()), 0, f.os};
    const std::uint64_t headerAt = out.offset();
    const std::size_t headerSize = level2Header(m).size(); // a packed size up to the original's takes the same room
    out.write(level2Header(m).data(), headerSize);
    const InputSource input = [&](std::uint8_t* to, std::size_t n) { return file.read(to, n); };
    EncodedStream coded;
    if (m.original > 0) {
        coded = encodeLhStream(kLh5, {}, input, [&](const std::uint8_t* data, std::size_t size) { out.write(data, size); });
        if (cancelRequested())
            throw Cancelled{};
    }
    if (m.original > 0 && !coded.complete) {
        reportOpen(file, f.path, report);
        throw ReadFailure{};
    }
    m.crc = coded.crc;
    m.packed = coded.packed;
    if (coded.packed >= m.original) {
        m.method = "-lh0-";
        m.packed = m.original;
        out.truncate(headerAt + headerSize);
        file.rewind();
        std::vector<std::uint8_t> buf(static_cast<std::size_t>(std::min<std::uint64_t>(m.original, 1 << 20)));
        std::uint16_t crc = 0;
        for (std::ptrdiff_t n; (n = file.read(buf.data(), buf.size())) > 0;) {
            crc = crc16(buf.data(), static_cast<std::size_t>(n), crc);
            out.write(buf.data(), static_cast<std::size_t>(n));
        }
        if (file.status() != SourceFile::Status::Ok || crc != m.crc) {
            if (file.status() == SourceFile::Status::Ok)
                report.line("追加するファイルが読み込み中に変わりました: " + f.path);
            else
                reportOpen(file, f.path, report);
            throw ReadFailure{};
        }
    }
    out.writeAt(headerAt, level2Header(m));
    f.written = true;
    return "追加しました: " + printable(f.name) + " (" + std::to_string(m.original) + " → " + std::to_string(m.packed)
           + " バイト, " + m.method + ")";
}

// Copies an old member's header and data unchanged; false when the old archive was cut short.
bool copyMember(const ArchiveFile& old, const IndexedMember& m, ArchiveOutput& out)
{
    std::vector<std::uint8_t> buf(1 << 20);
    std::uint64_t at = m.headerOffset;
    const std::uint64_t end = m.dataOffset + m.packed;
    while (at < end) {
        if (cancelRequested())
            throw Cancelled{};
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(buf.size(), end - at));
        if (!old.readAt(at, buf.data(), n))
            return false;
        out.write(buf.data(), n);
        at += n;
    }
    return true;
}

int addFilesTo(const Command& cmd, Report& report)
{
    // The files first: a missing one leaves the archive as it was.
    std::vector<NewFile> files;
    for (const auto& path : cmd.files) {
        NewFile p;
        if (const int rc = check(path, p, report); rc != UNLHA_OK)
            return rc;
        // A later file of the same name wins, as it would when added by a second call.
        auto same = std::find_if(files.begin(), files.end(), [&](const NewFile& f) { return f.name == p.name; });
        if (same != files.end())
            *same = std::move(p);
        else
            files.push_back(std::move(p));
    }

    std::unique_ptr<ArchiveFile> old;
    ArchiveIndex index;
    struct stat st {};
    if (::lstat(cmd.archive.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode)) {
            report.line("書庫として書き込めません (通常のファイルではありません): " + cmd.archive);
            return UNLHA_ERR_WRITE;
        }
        old = std::make_unique<ArchiveFile>(cmd.archive, /*followLinks=*/false);
        if (old->status() != OpenStatus::Ok) {
            report.line("書庫を読めません: " + cmd.archive);
            return UNLHA_ERR_WRITE;
        }
        index = indexArchive(*old);
        if (index.status != ArchiveIndex::Status::Ok) {
            report.line("LHA書庫ではないか、壊れています: " + cmd.archive + " (" + index.problem + ")");
            return UNLHA_ERR_DAMAGED;
        }
    }

    std::vector<std::string> added;
    try {
        platform::fs::AtomicFile file(cmd.archive);
        ArchiveOutput out(file);
        for (const auto& m : index.members) {
            auto replacement
                = std::find_if(files.begin(), files.end(), [&](const NewFile& f) { return replaces(m, f.name); });
            if (replacement != files.end()) {
                if (!replacement->written)
                    added.push_back(writeMember(out, *replacement, report));
                continue; // the old member of that name is dropped
            }
            if (!copyMember(*old, m, out)) {
                report.line("書庫が途中で切れています (読み込み中に短くなりました): " + cmd.archive);
                return UNLHA_ERR_DAMAGED;
            }
        }
        for (auto& f : files)
            if (!f.written)
                added.push_back(writeMember(out, f, report));
        const std::uint8_t end = 0;
        out.write(&end, 1);
        if (cancelRequested())
            throw Cancelled{};
        file.commit(/*durable=*/true);
    } catch (const ReadFailure&) {
        return UNLHA_ERR_NO_FILE;
    } catch (const std::system_error& e) {
        report.line("書庫を書き込めません: " + cmd.archive + " (" + std::strerror(e.code().value()) + ")");
        return UNLHA_ERR_WRITE;
    }
    for (const auto& line : added)
        report.line(line);
    return UNLHA_OK;
}

} // namespace

int addFiles(const Command& cmd, Report& report)
{
    try {
        return addFilesTo(cmd, report);
    } catch (const Cancelled&) {
        report.line("中断しました: " + cmd.archive + " は元のままです");
        return UNLHA_ERR_CANCELLED;
    }
}

} // namespace unlha
