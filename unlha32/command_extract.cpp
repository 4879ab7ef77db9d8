// Extraction: `e` writes bare names into the chosen folder, `x` keeps the stored folders below
// it. Each file goes through a temporary file that becomes the target only when its CRC has
// matched; a name is never written twice in one run, so no member silently replaces another.
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <set>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

#include "platform/fs.h"
#include "unlha32/cancel.h"
#include "unlha32/commands.h"
#include "unlha32/macbinary.h"
#include "unlha32/member_names.h"
#include "unlha32/read_support.h"
#include "unlha32/unlha32.h"

namespace unlha {
namespace {

bool unusableName(const std::string& n) { return n.empty() || n == "." || n == ".."; }

// The member's path below the destination, '/'-separated, or empty when it cannot be written
// there (why says so). `keepFolders` false: only the bare name.
std::string targetPath(const IndexedMember& m, bool keepFolders, std::string& why)
{
    std::string rel;
    if (keepFolders) {
        std::size_t start = 0;
        const std::string& f = m.folder;
        while (start <= f.size() && !f.empty()) {
            const std::size_t end = std::min(f.find('/', start), f.size());
            const std::string part = safeFileName(f.substr(start, end - start));
            if (part == "..") {
                why = "展開先の外を指す名前は展開しません: ";
                return {};
            }
            if (!part.empty() && part != ".")
                rel += part + "/";
            start = end + 1;
        }
    }
    if (m.isDirectory())
        return rel;
    const std::string name = safeFileName(m.name);
    if (unusableName(name)) {
        why = "この名前では展開できません: ";
        return {};
    }
    return rel + name;
}

// Puts a symbolic link to target at dest + rel: made under a temporary name beside it, then renamed
// over whatever was there, so that no link is ever followed to make it. 0, or the errno.
int placeLink(const std::string& dest, const std::string& rel, const std::string& target)
{
    const std::string path = dest + rel;
    std::string temp = platform::fs::folderOf(path) + "/.unlha-link-XXXXXX";
    const int fd = ::mkstemp(temp.data()); // reserves a fresh name
    if (fd < 0)
        return errno;
    ::close(fd);
    ::unlink(temp.c_str());
    if (::symlink(target.c_str(), temp.c_str()) != 0)
        return errno;
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        const int err = errno;
        ::unlink(temp.c_str());
        return err;
    }
    return 0;
}

// Makes each folder of rel (a path below dest) that is missing; a link in the way is refused.
bool makeFolders(const std::string& dest, const std::string& rel, bool lastToo)
{
    std::size_t at = 0;
    for (;;) {
        const std::size_t slash = rel.find('/', at);
        if (slash == std::string::npos && !lastToo)
            return true;
        const std::string path = dest + rel.substr(0, slash);
        if (::mkdir(path.c_str(), 0777) != 0 && errno != EEXIST)
            return false;
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
            return false;
        if (slash == std::string::npos || slash + 1 >= rel.size())
            return true;
        at = slash + 1;
    }
}

} // namespace

int extractMembers(const Command& cmd, Report& report)
{
    std::unique_ptr<ArchiveFile> file;
    ArchiveIndex index;
    if (const int rc = openArchive(cmd.archive, file, index, report); rc != UNLHA_OK)
        return rc;
    const std::string folder = cmd.folder.empty() ? "./" : cmd.folder;
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        report.line("展開先のフォルダがありません: " + folder);
        return UNLHA_ERR_WRITE;
    }
    const bool keepFolders = cmd.letter == 'x';
    MemberSelection selection(cmd.members);
    std::set<std::string> written; // paths below the folder that this run has already filled

    int result = UNLHA_OK;
    std::unique_ptr<platform::fs::AtomicFile> target;
    std::string targetRel;
    int writeError = 0;
    MemberVisitor visitor;
    visitor.open = [&](const IndexedMember& m) -> Consumer {
        if (!selection.wants(m))
            return {};
        std::string why;
        targetRel = targetPath(m, keepFolders, why);
        if (targetRel.empty()) {
            report.line(why + "\"" + shownName(m) + "\"");
            noteFailure(result, UNLHA_ERR_DAMAGED);
            return {};
        }
        if (written.count(targetRel)) {
            report.line("同じ名前のメンバを展開済みのため展開しません: " + shownName(m) + " (" + printable(targetRel) + ")");
            noteFailure(result, UNLHA_ERR_SKIPPED);
            return {};
        }
        if (keepFolders && !makeFolders(folder, targetRel, false)) {
            report.line("フォルダを作れません: " + folder + printable(targetRel));
            noteFailure(result, UNLHA_ERR_WRITE);
            return {};
        }
        writeError = 0;
        try {
            target = std::make_unique<platform::fs::AtomicFile>(folder + targetRel);
        } catch (const std::system_error& e) {
            report.line("書き込めません: " + folder + printable(targetRel) + " (" + std::strerror(e.code().value()) + ")");
            noteFailure(result, UNLHA_ERR_WRITE);
            return {};
        }
        Consumer sink = [&](const std::uint8_t* data, std::size_t size) {
            if (cancelRequested())
                return false;
            try {
                target->write(data, size);
                return true;
            } catch (const std::system_error& e) {
                writeError = e.code().value();
                return false;
            }
        };
        return m.os == 'm' ? unwrapMacBinary(std::move(sink), m.original) : sink;
    };
    visitor.done = [&](const IndexedMember& m, MemberOutcome outcome) {
        if (outcome == MemberOutcome::Skipped) {
            if (m.isLink() && selection.wants(m) && !keepFolders) {
                report.line("リンクは展開しません (x で展開できます): " + shownName(m) + " -> " + printable(m.linkTarget));
            } else if (m.isLink() && selection.wants(m)) {
                // The link as stored: it may name anything, since nothing written later goes through it.
                std::string why;
                const std::string rel = targetPath(m, true, why);
                if (rel.empty()) {
                    report.line(why + "\"" + shownName(m) + "\"");
                    noteFailure(result, UNLHA_ERR_DAMAGED);
                } else if (written.count(rel)) {
                    report.line("同じ名前のメンバを展開済みのため展開しません: " + shownName(m) + " (" + printable(rel) + ")");
                    noteFailure(result, UNLHA_ERR_SKIPPED);
                } else if (!makeFolders(folder, rel, false)) {
                    report.line("フォルダを作れません: " + folder + printable(rel));
                    noteFailure(result, UNLHA_ERR_WRITE);
                } else if (const int err = placeLink(folder, rel, m.linkTarget); err != 0) {
                    report.line("リンクを作れません: " + folder + printable(rel) + " (" + std::strerror(err) + ")");
                    noteFailure(result, UNLHA_ERR_WRITE);
                } else {
                    written.insert(rel);
                    report.line("リンクを作りました: " + printable(folder + rel) + " -> " + printable(m.linkTarget));
                }
            } else if (m.isDirectory() && keepFolders && selection.wants(m)) {
                std::string why;
                const std::string rel = targetPath(m, true, why);
                if (!rel.empty() && !makeFolders(folder, rel, true)) {
                    report.line("フォルダを作れません: " + folder + printable(rel));
                    noteFailure(result, UNLHA_ERR_WRITE);
                }
            }
            return true;
        }
        std::unique_ptr<platform::fs::AtomicFile> out = std::move(target);
        if (outcome == MemberOutcome::Ok && out) {
            const std::string path = printable(out->target());
            try {
                const timespec times[2] = {{static_cast<std::time_t>(m.mtime), 0}, {static_cast<std::time_t>(m.mtime), 0}};
                (void)::futimens(out->fd(), times);
                out->commit(/*durable=*/false);
                written.insert(targetRel);
                report.line("展開しました: " + path);
            } catch (const std::system_error& e) {
                report.line("書き込めません: " + path + " (" + std::strerror(e.code().value()) + ")");
                noteFailure(result, UNLHA_ERR_WRITE);
            }
            return true;
        }
        if (outcome == MemberOutcome::Stopped) {
            if (cancelRequested()) {
                report.line("中断しました: " + shownName(m) + " は展開していません");
                noteFailure(result, UNLHA_ERR_CANCELLED);
            } else {
                report.line("書き込めません: " + (out ? printable(out->target()) : shownName(m)) + " ("
                            + std::strerror(writeError) + ")");
                noteFailure(result, UNLHA_ERR_WRITE);
            }
            return false;
        }
        noteFailure(result, reportOutcome(m, outcome, report));
        return outcome != MemberOutcome::Truncated; // the AtomicFile goes away with its temporary file
    };
    decodeMembers(*file, index, visitor);
    if (!cancelRequested())
        noteFailure(result, selection.reportUnmatched(report));
    return result;
}

} // namespace unlha
