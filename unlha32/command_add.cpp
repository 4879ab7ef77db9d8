// Adding files: each file under its bare name, -lh5- or stored when that is no smaller, into a
// new copy of the archive that replaces the old one only once it is complete.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <memory>
#include <sys/stat.h>
#include <system_error>

#include "platform/fs.h"
#include "unlha32/archive_index.h"
#include "unlha32/commands.h"
#include "unlha32/crc16.h"
#include "unlha32/file_bytes.h"
#include "unlha32/header_writer.h"
#include "unlha32/lh5_encoder.h"
#include "unlha32/unlha32.h"

namespace unlha {
namespace {

struct PackedFile {
    std::string path;
    std::vector<std::uint8_t> header;
    std::vector<std::uint8_t> packed; // empty when stored
    std::unique_ptr<FileBytes> source;
    bool written = false;
};

std::uint32_t clampTime(std::int64_t t)
{
    return static_cast<std::uint32_t>(std::clamp<std::int64_t>(t, 0, std::numeric_limits<std::uint32_t>::max()));
}

// Reads and compresses one file; returns 0 or an UNLHA_* code with the reason reported.
int pack(const std::string& path, PackedFile& out, Report& report)
{
    const std::string name = platform::fs::baseNameOf(path);
    auto file = std::make_unique<FileBytes>(path, /*followLinks=*/false);
    if (file->status() == FileBytes::Status::Unreadable) {
        report.line("追加するファイルを読めません: " + path + " (" + std::strerror(file->error()) + ")");
        return UNLHA_ERR_NO_FILE;
    }
    if (file->status() != FileBytes::Status::Ok || name.empty()) {
        report.line("追加するファイルがありません: " + path);
        return UNLHA_ERR_NO_FILE;
    }
    const auto data = file->bytes();
    if (data.size() > std::numeric_limits<std::uint32_t>::max() || name.size() > kMaxNameLength) {
        report.line("書庫に収まりません: " + path);
        return UNLHA_ERR_WRITE;
    }
    NewMember m{name, "-lh0-", static_cast<std::uint32_t>(data.size()), static_cast<std::uint32_t>(data.size()),
                clampTime(file->mtime()), crc16(data.data(), data.size())};
    if (!data.empty()) {
        auto packed = encodeLh(data, kLh5);
        if (packed.size() < data.size()) {
            m.method = kLh5.id;
            m.packed = static_cast<std::uint32_t>(packed.size());
            out.packed = std::move(packed);
        }
    }
    out.path = path;
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
    return "追加しました: " + platform::fs::baseNameOf(p.path) + " (" + std::to_string(raw.size()) + " → "
                + std::to_string(p.packed.empty() ? raw.size() : p.packed.size()) + " バイト, "
                + (p.packed.empty() ? "-lh0-" : "-lh5-") + ")";
}

} // namespace

int addFiles(const Command& cmd, Report& report)
{
    // The files first: a missing one leaves the archive as it was.
    std::vector<PackedFile> files;
    for (const auto& path : cmd.files) {
        PackedFile p;
        if (const int rc = pack(path, p, report); rc != UNLHA_OK)
            return rc;
        // A later file of the same name wins, as it would when added by a second call.
        const std::string name = platform::fs::baseNameOf(path);
        auto same = std::find_if(files.begin(), files.end(),
                                 [&](const PackedFile& f) { return platform::fs::baseNameOf(f.path) == name; });
        if (same != files.end())
            *same = std::move(p);
        else
            files.push_back(std::move(p));
    }

    std::unique_ptr<FileBytes> old;
    ArchiveIndex index;
    struct stat st {};
    if (::lstat(cmd.archive.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode)) {
            report.line("書庫として書き込めません (通常のファイルではありません): " + cmd.archive);
            return UNLHA_ERR_WRITE;
        }
        old = std::make_unique<FileBytes>(cmd.archive, /*followLinks=*/false);
        if (old->status() != FileBytes::Status::Ok) {
            report.line("書庫を読めません: " + cmd.archive);
            return UNLHA_ERR_WRITE;
        }
        index = indexArchive(old->bytes());
        if (index.status != ArchiveIndex::Status::Ok) {
            report.line("LHA書庫ではないか、壊れています: " + cmd.archive + " (" + index.problem + ")");
            return UNLHA_ERR_DAMAGED;
        }
    }

    std::vector<std::string> added;
    try {
        platform::fs::AtomicFile out(cmd.archive);
        for (const auto& m : index.members) {
            auto replacement = std::find_if(files.begin(), files.end(), [&](const PackedFile& f) {
                return m.folder.empty() && m.name == platform::fs::baseNameOf(f.path);
            });
            if (replacement != files.end()) {
                if (!replacement->written)
                    added.push_back(writeMember(out, *replacement));
                continue; // the old member of that name is dropped
            }
            const auto raw = old->bytes().subspan(m.headerOffset, m.dataOffset + m.packed - m.headerOffset);
            out.write(raw.data(), raw.size());
        }
        for (auto& f : files)
            if (!f.written)
                added.push_back(writeMember(out, f));
        const std::uint8_t end = 0;
        out.write(&end, 1);
        out.commit(/*durable=*/true);
    } catch (const std::system_error& e) {
        report.line("書庫を書き込めません: " + cmd.archive + " (" + std::strerror(e.code().value()) + ")");
        return UNLHA_ERR_WRITE;
    }
    for (const auto& line : added)
        report.line(line);
    return UNLHA_OK;
}

} // namespace unlha
