#include "unlha32/read_support.h"

#include <cstring>

#include "unlha32/member_names.h"
#include "unlha32/unlha32.h"

namespace unlha {

int openArchive(const std::string& path, std::unique_ptr<ArchiveFile>& file, ArchiveIndex& index, Report& report)
{
    file = std::make_unique<ArchiveFile>(path, /*followLinks=*/true);
    switch (file->status()) {
    case OpenStatus::Ok:
        break;
    case OpenStatus::Missing:
        report.line("書庫がありません: " + path);
        return UNLHA_ERR_NO_ARCHIVE;
    case OpenStatus::NotOrdinary:
        report.line("LHA書庫ではありません (通常のファイルではありません): " + path);
        return UNLHA_ERR_DAMAGED;
    case OpenStatus::Unreadable:
        report.line("書庫を開けません: " + path + " (" + std::strerror(file->error()) + ")");
        return UNLHA_ERR_NO_ARCHIVE;
    }
    index = indexArchive(*file);
    if (index.status != ArchiveIndex::Status::Ok) {
        report.line("LHA書庫ではないか、壊れています: " + path + " (" + index.problem + ")");
        return UNLHA_ERR_DAMAGED;
    }
    return UNLHA_OK;
}

std::string shownName(const IndexedMember& m) { return printable(m.path()); }

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
    case MemberOutcome::Truncated:
        report.line("書庫が途中で切れています (読み込み中に短くなりました): " + shownName(m));
        return UNLHA_ERR_DAMAGED;
    default:
        return UNLHA_OK;
    }
}

bool MemberSelection::wants(const IndexedMember& m)
{
    if (names_.empty())
        return true;
    bool any = false;
    for (std::size_t i = 0; i < names_.size(); ++i) {
        const std::string& n = names_[i];
        if (n == m.path() || n == m.name || n == safeFileName(m.path()) || n == safeFileName(m.name)
            || n == printable(m.path()) || n == printable(m.name)) {
            used_[i] = true;
            any = true;
        }
    }
    return any;
}

int MemberSelection::reportUnmatched(Report& report) const
{
    int code = UNLHA_OK;
    for (std::size_t i = 0; i < names_.size(); ++i)
        if (!used_[i]) {
            report.line("書庫にありません: " + printable(names_[i]));
            code = UNLHA_ERR_NO_FILE;
        }
    return code;
}

} // namespace unlha
