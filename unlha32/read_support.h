#pragma once
// What the reading commands (e, x, l, t) share: opening and indexing the archive, choosing the
// members named on the command line, and reporting a member's outcome.

#include <memory>
#include <string>
#include <vector>

#include "unlha32/archive_file.h"
#include "unlha32/archive_index.h"
#include "unlha32/member_decoder.h"
#include "unlha32/report.h"

namespace unlha {

// Opens and indexes the archive; returns 0 or the code of what went wrong, reported.
int openArchive(const std::string& path, std::unique_ptr<ArchiveFile>& file, ArchiveIndex& index, Report& report);

// The member's path as the report shows it.
std::string shownName(const IndexedMember& m);

// Keeps the first failure's code: it is the one the report starts with.
void noteFailure(int& result, int code);

// Reports a failed outcome and returns its code (0 for Ok and Skipped).
int reportOutcome(const IndexedMember& m, MemberOutcome outcome, Report& report);

// The members named on a command line, by stored path or bare name; no names: every member.
class MemberSelection {
public:
    explicit MemberSelection(const std::vector<std::string>& names) : names_(names), used_(names.size(), false) {}
    bool wants(const IndexedMember& m);
    // Reports every name that matched no member; returns its code, or 0.
    int reportUnmatched(Report& report) const;

private:
    std::vector<std::string> names_;
    std::vector<bool> used_;
};

} // namespace unlha
