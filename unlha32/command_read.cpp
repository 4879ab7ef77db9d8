// Listing and testing: every member, or only those named after the archive.
#include <cstdio>
#include <ctime>

#include "unlha32/cancel.h"
#include "unlha32/commands.h"
#include "unlha32/read_support.h"
#include "unlha32/unlha32.h"

namespace unlha {
namespace {

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

int listMembers(const Command& cmd, Report& report)
{
    std::unique_ptr<ArchiveFile> file;
    ArchiveIndex index;
    if (const int rc = openArchive(cmd.archive, file, index, report); rc != UNLHA_OK)
        return rc;
    MemberSelection selection(cmd.members);
    report.line("  元のサイズ    圧縮後    率  方式   日時                 名前");
    std::uint64_t totalOriginal = 0;
    std::uint64_t totalPacked = 0;
    std::size_t count = 0;
    for (const auto& m : index.members) {
        if (!selection.wants(m))
            continue;
        char line[160];
        const double ratio = m.original ? 100.0 * static_cast<double>(m.packed) / static_cast<double>(m.original) : 0.0;
        std::snprintf(line, sizeof line, "%12llu %9llu %5.1f%% %s %s  ", static_cast<unsigned long long>(m.original),
                      static_cast<unsigned long long>(m.packed), ratio, m.method.c_str(), localTime(m.mtime).c_str());
        std::string text = line + shownName(m) + (m.isDirectory() ? "/" : "");
        if (m.isLink())
            text += " -> " + printable(m.linkTarget);
        if (!m.comment.empty())
            text += "  [" + printable(m.comment) + "]";
        report.line(text);
        totalOriginal += m.original;
        totalPacked += m.packed;
        ++count;
    }
    report.line(std::to_string(count) + " 個のメンバ, 合計 " + std::to_string(totalOriginal) + " → "
                + std::to_string(totalPacked) + " バイト");
    return selection.reportUnmatched(report);
}

int testMembers(const Command& cmd, Report& report)
{
    std::unique_ptr<ArchiveFile> file;
    ArchiveIndex index;
    if (const int rc = openArchive(cmd.archive, file, index, report); rc != UNLHA_OK)
        return rc;
    int result = UNLHA_OK;
    MemberSelection selection(cmd.members);
    MemberVisitor visitor;
    visitor.open = [&](const IndexedMember& m) -> Consumer {
        if (!selection.wants(m))
            return {};
        return [](const std::uint8_t*, std::size_t) { return !cancelRequested(); };
    };
    visitor.done = [&](const IndexedMember& m, MemberOutcome outcome) {
        if (outcome == MemberOutcome::Ok) {
            report.line("正常: " + shownName(m));
        } else if (outcome == MemberOutcome::Stopped) {
            report.line("中断しました: " + cmd.archive);
            noteFailure(result, UNLHA_ERR_CANCELLED);
            return false;
        } else {
            noteFailure(result, reportOutcome(m, outcome, report));
        }
        return outcome != MemberOutcome::Truncated;
    };
    decodeMembers(*file, index, visitor);
    noteFailure(result, selection.reportUnmatched(report));
    report.line(result == UNLHA_OK ? "すべてのメンバが正常です: " + cmd.archive
                                   : "異常のあるメンバがあります: " + cmd.archive);
    return result;
}

} // namespace unlha
