#pragma once
// A second account on the machine, for tests of what another user can and cannot make this one do.
// Tests run as root here and in CI: the account is made with useradd the first time. Run as anyone
// else, the tests that need it are skipped with a message.

#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>
#include <cstdlib>
#include <grp.h>
#include <optional>
#include <pwd.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testsupport {

struct Account {
    uid_t uid;
    gid_t gid;
};

inline constexpr char kOtherAccountName[] = "velmor-other";

// The other account, made when missing; nothing when the tests cannot make or use one.
inline std::optional<Account> otherAccount()
{
    if (::geteuid() != 0)
        return std::nullopt;
    if (!::getpwnam(kOtherAccountName)) {
        const std::string command = std::string("useradd --system --no-create-home --shell /usr/sbin/nologin ")
            + kOtherAccountName + " >/dev/null 2>&1";
        if (std::system(command.c_str()) != 0)
            return std::nullopt;
    }
    const passwd* entry = ::getpwnam(kOtherAccountName);
    if (!entry)
        return std::nullopt;
    return Account{entry->pw_uid, entry->pw_gid};
}

#define REQUIRE_OTHER_ACCOUNT(account)                                                                              \
    const std::optional<testsupport::Account> account = testsupport::otherAccount();                                \
    if (!account)                                                                                                   \
        GTEST_SKIP() << "needs a second account: run the tests as root (useradd makes " << testsupport::kOtherAccountName \
                     << ")";

// Hands a file or folder to the account, as if it had made it.
inline void giveTo(const Account& account, const QByteArray& path)
{
    ASSERT_EQ(::lchown(path.constData(), account.uid, account.gid), 0) << path.constData();
}

// Runs a shell command as the account (the attacker's own hands); its exit status.
inline int runAs(const Account& account, const std::string& command)
{
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setgid(account.gid) != 0 || ::setuid(account.uid) != 0)
            ::_exit(126);
        ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace testsupport
