// regsvr [-u] MODULE: registers (or with -u unregisters) the controls of a module in the per-user
// component registry by calling the module's own DllRegisterServer / DllUnregisterServer.
#include "platform/component/registry.h"
#include "platform/component/server.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTextStream>
#include <dlfcn.h>

using namespace platform::component;

namespace {

int fail(const QString& message, int code)
{
    QTextStream(stderr) << "regsvr: " << message << Qt::endl;
    return code;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    const bool unregister = !args.isEmpty() && args.first() == QLatin1String("-u");
    if (unregister)
        args.removeFirst();
    if (args.size() != 1 || args.first().startsWith(QLatin1Char('-')))
        return fail(QStringLiteral("使い方: regsvr [-u] モジュール"), 1);

    // The module registers the path it was loaded from, so load it by its full, resolved path.
    const QFileInfo info(args.first());
    if (!info.isFile())
        return fail(QStringLiteral("モジュール %1 が見つかりません。").arg(args.first()), 3);
    const QByteArray path = QFile::encodeName(info.canonicalFilePath());
    void* module = ::dlopen(path.constData(), RTLD_NOW | RTLD_LOCAL);
    if (!module)
        return fail(QStringLiteral("モジュール %1 を読み込めません: %2").arg(info.filePath(), QString::fromLocal8Bit(::dlerror())), 3);

    const char* entry = unregister ? "DllUnregisterServer" : "DllRegisterServer";
    auto call = reinterpret_cast<DllRegisterServerFn>(::dlsym(module, entry));
    if (!call)
        return fail(QStringLiteral("%1 に %2 がありません。").arg(info.filePath(), QLatin1String(entry)), 4);
    const HResult result = call();
    if (result != kOk)
        return fail(QStringLiteral("%1 の %2 は失敗しました (0x%3)。登録ファイル: %4")
                        .arg(info.filePath(), QLatin1String(entry))
                        .arg(static_cast<quint32>(result), 8, 16, QLatin1Char('0'))
                        .arg(registryPath()), 5);
    QTextStream(stdout) << QStringLiteral("%1 の %2 は成功しました。").arg(info.filePath(), QLatin1String(entry)) << Qt::endl;
    return 0;
}
