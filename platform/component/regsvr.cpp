// regsvr [--system] [-u] MODULE: registers (or with -u unregisters) the controls of a module by
// calling the module's own DllRegisterServer / DllUnregisterServer; in the user's component
// registry, or with --system in the machine-wide one. Installed as velmor-regsvr.
#include "platform/component/registry.h"
#include "platform/component/server.h"
#include "platform/nativepath.h"
#include "platform/trust.h"
#include "velmor_version.h"

#include <QCoreApplication>
#include <QTextStream>
#include <dlfcn.h>
#include <sys/stat.h>

using namespace platform::component;

namespace {

const QString kName = QStringLiteral("velmor-regsvr");

int fail(const QString& message, int code)
{
    QTextStream(stderr) << kName << ": " << message << Qt::endl;
    return code;
}

QString helpText()
{
    return QStringLiteral(
        "使い方: %1 [--system] [-u] モジュール\n"
        "モジュールのコントロールをコンポーネントの登録ファイルに登録します。\n"
        "  -u        登録を取り消します\n"
        "  --system  このユーザーの登録 (%2) ではなく、\n"
        "            全ユーザーに共通の登録 (%3) を書き換えます\n"
        "  --help    この説明を表示します\n"
        "  --version 版を表示します\n")
        .arg(kName, registryPath(Scope::User), registryPath(Scope::System));
}

} // namespace

int main(int argc, char** argv)
{
    // What this tool writes is read by every host, the machine's by every account: files 0644 and
    // folders 0755 whatever the caller's umask.
    ::umask(022);
    QCoreApplication app(argc, argv);
    bool unregister = false;
    QStringList modules;
    for (int i = 1; i < argc; ++i) {
        const QString arg = platform::fromNativePath(argv[i]);
        if (arg == QLatin1String("--help")) {
            QTextStream(stdout) << helpText();
            return 0;
        }
        if (arg == QLatin1String("--version")) {
            QTextStream(stdout) << kName << ' ' << VELMOR_VERSION_MAJOR << '.' << VELMOR_VERSION_MINOR << '.'
                                << VELMOR_VERSION_REVISION << Qt::endl;
            return 0;
        }
        if (arg == QLatin1String("-u"))
            unregister = true;
        else if (arg == QLatin1String("--system"))
            setRegistrationScope(Scope::System);
        else if (arg.startsWith(QLatin1Char('-')))
            return fail(QStringLiteral("知らないオプションです: %1 (詳しくは --help)").arg(arg), 1);
        else
            modules << arg;
    }
    if (modules.size() != 1)
        return fail(QStringLiteral("モジュールを一つ指定してください (詳しくは --help)"), 1);

    // The module registers the path it was loaded from, so load it by its full, resolved path; and
    // only one that hosts will load too, so that no registration names code another account controls.
    const QString given = modules.first();
    const platform::TrustVerdict verdict = platform::checkTrustedFile(given);
    if (verdict.missing)
        return fail(QStringLiteral("モジュール %1 が見つかりません。").arg(platform::shownPath(given)), 3);
    if (!verdict.trusted)
        return fail(platform::untrustedMessage(QStringLiteral("モジュール"), given, verdict.reason), 3);
    const QString shown = platform::shownPath(given);
    void* module = ::dlopen(platform::toNativePath(verdict.resolved).constData(), RTLD_NOW | RTLD_LOCAL);
    if (!module)
        return fail(QStringLiteral("モジュール %1 を読み込めません: %2").arg(shown, QString::fromLocal8Bit(::dlerror())), 3);

    const char* entry = unregister ? "DllUnregisterServer" : "DllRegisterServer";
    auto call = reinterpret_cast<DllRegisterServerFn>(::dlsym(module, entry));
    if (!call)
        return fail(QStringLiteral("%1 に %2 がありません。").arg(shown, QLatin1String(entry)), 4);
    const HResult result = call();
    if (result != kOk)
        return fail(QStringLiteral("%1 の %2 は失敗しました (0x%3)。登録ファイル: %4")
                        .arg(shown, QLatin1String(entry))
                        .arg(static_cast<quint32>(result), 8, 16, QLatin1Char('0'))
                        .arg(registryPath(registrationScope())), 5);
    QTextStream(stdout) << QStringLiteral("%1 の %2 は成功しました。登録ファイル: %3")
                               .arg(shown, QLatin1String(entry), registryPath(registrationScope()))
                        << Qt::endl;
    // A folder above the file that others may write (a shared ~/.config, say) is not ours to change.
    if (const std::optional<QString> problem = registryProblem(registrationScope()))
        QTextStream(stderr) << kName << ": " << *problem << QStringLiteral(" このままではコントロールを作成できません。") << Qt::endl;
    return 0;
}
