// Extracting, listing and testing. Extraction writes bare names into the chosen folder only,
// each through a temporary file that becomes the target only when its CRC has matched.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <sys/stat.h>
#include <system_error>

#include "platform/fs.h"
#include "unlha32/archive_index.h"
#include "unlha32/commands.h"
#include "unlha32/file_bytes.h"
#include "unlha32/member_decoder.h"
#include "unlha32/unlha32.h"

namespace unlha {
namespace {

// Opens and indexes the archive; returns 0 or the code of what went wrong, reported.
int openArchive(const std::string& path, std::unique_ptr<FileBytes>& file, ArchiveIndex& index, Report& report)
{
    file = std::make_unique<FileBytes>(path, /*followLinks=*/true);
    switch (file->status()) {
    case FileBytes::Status::Ok:
        break;
    case FileBytes::Status::Missing:
        report.line("書庫がありません: " + path);
        return UNLHA_ERR_NO_ARCHIVE;
    case FileBytes::Status::NotOrdinary:
        report.line("LHA書庫ではありません (通常のファイルではありません): " + path);
        return UNLHA_ERR_DAMAGED;
    case FileBytes::Status::Unreadable:
        report.line("書庫を開けません: " + path + " (" + std::strerror(file->error()) + ")");
        return UNLHA_ERR_NO_ARCHIVE;
    }
    index = indexArchive(file->bytes());
    if (index.status != ArchiveIndex::Status::Ok) {
        report.line("LHA書庫ではないか、壊れています: " + path + " (" + index.problem + ")");
        return UNLHA_ERR_DAMAGED;
    }
    return UNLHA_OK;
}

std::string shownName(const IndexedMember& m)
{
    return printable(m.folder.empty() ? m.name : m.folder + "/" + m.name);
}

// Keeps the first failure's code: it is the one the report starts with.
void noteFailure(int& result, int code)
{
    if (result == UNLHA_OK)
        result = code;
}

int reportOutcome(const IndexedMember& m, MemberOutcome outcome, Report& report)
{
    switch (outcome) {
    case MemberOutcome::CrcMismatch:
        report.line("CRCが一致しません: " + shownName(m));
        return UNLHA_ERR_CRC;
    case MemberOutcome::Damaged:
        report.line("データが壊れているか、読めない圧縮方式です (" + m.method + "): " + shownName(m));
        return UNLHA_ERR_DAMAGED;
    default:
        return UNLHA_OK;
    }
}

std::string localTime(std::int64_t t)
{
    const std::time_t tt = static_cast<std::time_t>(t);
    std::tm tm{};
    char buf[32] = "----";
    if (::localtime_r(&tt, &tm))
        std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S", &tm);
    return buf;
}

} // namespace

int extractAll(const Command& cmd, Report& report)
{
    std::unique_ptr<FileBytes> file;
    ArchiveIndex index;
    if (const int rc = openArchive(cmd.archive, file, index, report); rc != UNLHA_OK)
        return rc;
    const std::string folder = cmd.folder.empty() ? "./" : cmd.folder;
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        report.line("展開先のフォルダがありません: " + folder);
        return UNLHA_ERR_WRITE;
    }

    int result = UNLHA_OK;
    std::unique_ptr<platform::fs::AtomicFile> target;
    int writeError = 0;
    MemberVisitor visitor;
    visitor.open = [&](const IndexedMember& m) -> Consumer {
        const std::string name = bareName(m.name);
        // A NUL inside a stored name would cut the path short; such names are refused too.
        if (name.empty() || name == "." || name == ".." || name.find('\0') != std::string::npos) {
            report.line("この名前では展開できません: \"" + shownName(m) + "\"");
            noteFailure(result, UNLHA_ERR_DAMAGED);
            return {};
        }
        writeError = 0;
        try {
            target = std::make_unique<platform::fs::AtomicFile>(folder + name);
        } catch (const std::system_error& e) {
            report.line("書き込めません: " + folder + printable(name) + " (" + std::strerror(e.code().value()) + ")");
            noteFailure(result, UNLHA_ERR_WRITE);
            return {};
        }
        return [&](const std::uint8_t* data, std::size_t size) {
            try {
                target->write(data, size);
                return true;
            } catch (const std::system_error& e) {
                writeError = e.code().value();
                return false;
            }
        };
    };
    visitor.done = [&](const IndexedMember& m, MemberOutcome outcome) {
        if (outcome == MemberOutcome::Skipped) {
            if (m.isLink())
                report.line("リンクは展開しません: " + shownName(m));
            return true;
        }
        std::unique_ptr<platform::fs::AtomicFile> file = std::move(target);
        if (outcome == MemberOutcome::Ok && file) {
            const std::string path = printable(file->target());
            try {
                const timespec times[2] = {{static_cast<std::time_t>(m.mtime), 0}, {static_cast<std::time_t>(m.mtime), 0}};
                (void)::futimens(file->fd(), times);
                file->commit(/*durable=*/false);
                report.line("展開しました: " + path);
            } catch (const std::system_error& e) {
                report.line("書き込めません: " + path + " (" + std::strerror(e.code().value()) + ")");
                noteFailure(result, UNLHA_ERR_WRITE);
            }
            return true;
        }
        if (outcome == MemberOutcome::Stopped) {
            report.line("書き込めません: " + (file ? printable(file->target()) : shownName(m)) + " ("
                        + std::strerror(writeError) + ")");
            noteFailure(result, UNLHA_ERR_WRITE);
            return false;
        }
        noteFailure(result, reportOutcome(m, outcome, report));
        return true; // the AtomicFile goes away with its temporary file
    };
    decodeMembers(file->bytes(), index, visitor);
    return result;
}

int listMembers(const Command& cmd, Report& report)
{
    std::unique_ptr<FileBytes> file;
    ArchiveIndex index;
    if (const int rc = openArchive(cmd.archive, file, index, report); rc != UNLHA_OK)
        return rc;
    report.line("  元のサイズ    圧縮後    率  方式   日時                 名前");
    std::uint64_t totalOriginal = 0;
    std::uint64_t totalPacked = 0;
    for (const auto& m : index.members) {
        char line[128];
        const double ratio = m.original ? 100.0 * static_cast<double>(m.packed) / static_cast<double>(m.original) : 0.0;
        std::snprintf(line, sizeof line, "%12llu %9llu %5.1f%% %s %s  ", static_cast<unsigned long long>(m.original),
                      static_cast<unsigned long long>(m.packed), ratio, m.method.c_str(), localTime(m.mtime).c_str());
        report.line(line + shownName(m));
        totalOriginal += m.original;
        totalPacked += m.packed;
    }
    report.line(std::to_string(index.members.size()) + " 個のメンバ, 合計 " + std::to_string(totalOriginal) + " → "
                + std::to_string(totalPacked) + " バイト");
    return UNLHA_OK;
}

int testMembers(const Command& cmd, Report& report)
{
    std::unique_ptr<FileBytes> file;
    ArchiveIndex index;
    if (const int rc = openArchive(cmd.archive, file, index, report); rc != UNLHA_OK)
        return rc;
    int result = UNLHA_OK;
    std::size_t good = 0;
    MemberVisitor visitor;
    visitor.open = [](const IndexedMember&) -> Consumer { return [](const std::uint8_t*, std::size_t) { return true; }; };
    visitor.done = [&](const IndexedMember& m, MemberOutcome outcome) {
        if (outcome == MemberOutcome::Ok) {
            ++good;
            report.line("正常: " + shownName(m));
        } else {
            noteFailure(result, reportOutcome(m, outcome, report));
        }
        return true;
    };
    decodeMembers(file->bytes(), index, visitor);
    report.line(result == UNLHA_OK ? "すべてのメンバが正常です: " + cmd.archive
                                   : "異常のあるメンバがあります: " + cmd.archive);
    return result;
}

} // namespace unlha
