// Adding files: each file under its bare name, -lh5- or stored when that is no smaller, into a
// new copy of the archive that replaces the old one only once it is complete. Names go in code
// page 932 under the MS-DOS OS id when every character has a form there, so Windows LHA tools
// read them; otherwise in UTF-8 under the Unix OS id.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <memory>
#include <sys/stat.h>
#include <system_error>

#include "platform/fs.h"
#include "unlha32/archive_file.h"
#include "unlha32/archive_index.h"
#include "unlha32/cancel.h"
#include "unlha32/commands.h"
#include "unlha32/crc16.h"
#include "unlha32/file_bytes.h"
#include "unlha32/header_writer.h"
#include "unlha32/lh5_encoder.h"
#include "unlha32/member_names.h"
#include "unlha32/unlha32.h"

namespace unlha {
namespace {

struct PackedFile {
    std::string path;
    std::string name;
    std::vector<std::uint8_t> header;
    std::vector<std::uint8_t> packed; // empty when stored
    std::unique_ptr<FileBytes> source;
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

// Reads and compresses one file; returns 0 or an UNLHA_* code with the reason reported.
int pack(const std::string& path, PackedFile& out, Report& report)
{
    const std::string name = platform::fs::baseNameOf(path);
    if (name.find('\\') != std::string::npos) {
        // LHA tools read '\' as a folder separator: the name would come back split.
        report.line("名前に '\\' を含むファイルは書庫に入れられません: " + printable(path));
        return UNLHA_ERR_NO_FILE;
    }
    auto file = std::make_unique<FileBytes>(path, /*followLinks=*/false);
    switch (file->status()) {
    case FileBytes::Status::Ok:
        break;
    case FileBytes::Status::Unreadable:
        report.line("追加するファイルを読めません: " + path + " (" + std::strerror(file->error()) + ")");
        return UNLHA_ERR_NO_FILE;
    case FileBytes::Status::Changed:
        report.line("追加するファイルが読み込み中に短くなりました: " + path);
        return UNLHA_ERR_NO_FILE;
    case FileBytes::Status::NotOrdinary:
        report.line("追加するファイルが通常のファイルではありません: " + path);
        return UNLHA_ERR_NO_FILE;
    case FileBytes::Status::Missing:
        report.line("追加するファイルがありません: " + path);
        return UNLHA_ERR_NO_FILE;
    }
    if (name.empty()) {
        report.line("追加するファイルがありません: " + path);
        return UNLHA_ERR_NO_FILE;
    }
    const auto data = file->bytes();
    const auto cp932 = encodeCp932(name);
    const std::string stored = cp932 ? *cp932 : name;
    if (data.size() > std::numeric_limits<std::uint32_t>::max() || stored.size() > kMaxNameLength) {
        report.line("書庫に収まりません: " + path);
        return UNLHA_ERR_WRITE;
    }
    NewMember m{stored, "-lh0-", data.size(), data.size(), clampTime(file->mtime()), crc16(data.data(), data.size()),
                cp932 ? 'M' : 'U'};
    if (!data.empty()) {
        auto packed = encodeLh(data, kLh5);
        if (cancelRequested())
            throw Cancelled{};
        if (packed.size() < data.size()) {
            m.method = kLh5.id;
            m.packed = packed.size();
            out.packed = std::move(packed);
        }
    }
    out.path = path;
    out.name = name;
    out.header = level2Header(m);
    out.source = std::move(file);
    return UNLHA_OK;
}

// Writes the member and returns the line that reports it once the archive is in place.
std::string writeMember(platform::fs::AtomicFile& file, PackedFile& p)
{
    file.write(p.header.data(), p.header.size());
    const auto raw = p.source->bytes();
    if (p.packed.empty())
        file.write(raw.data(), raw.size());
    else
        file.write(p.packed.data(), p.packed.size());
    p.written = true;
    return "追加しました: " + printable(p.name) + " (" + std::to_string(raw.size()) + " → "
           + std::to_string(p.packed.empty() ? raw.size() : p.packed.size()) + " バイト, "
           + (p.packed.empty() ? "-lh0-" : "-lh5-") + ")";
}

// Copies an old member's header and data unchanged; false when the old archive was cut short.
bool copyMember(const ArchiveFile& old, const IndexedMember& m, platform::fs::AtomicFile& out)
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
    std::vector<PackedFile> files;
    for (const auto& path : cmd.files) {
        PackedFile p;
        if (const int rc = pack(path, p, report); rc != UNLHA_OK)
            return rc;
        // A later file of the same name wins, as it would when added by a second call.
        auto same = std::find_if(files.begin(), files.end(), [&](const PackedFile& f) { return f.name == p.name; });
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
        platform::fs::AtomicFile out(cmd.archive);
        for (const auto& m : index.members) {
            auto replacement
                = std::find_if(files.begin(), files.end(), [&](const PackedFile& f) { return replaces(m, f.name); });
            if (replacement != files.end()) {
                if (!replacement->written)
                    added.push_back(writeMember(out, *replacement));
                continue; // the old member of that name is dropped
            }
            if (!copyMember(*old, m, out)) {
                report.line("書庫が途中で切れています (読み込み中に短くなりました): " + cmd.archive);
                return UNLHA_ERR_DAMAGED;
            }
        }
        for (auto& f : files)
            if (!f.written)
                added.push_back(writeMember(out, f));
        const std::uint8_t end = 0;
        out.write(&end, 1);
        if (cancelRequested())
            throw Cancelled{};
        out.commit(/*durable=*/true);
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
