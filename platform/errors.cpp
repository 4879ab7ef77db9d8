#include "platform/errors.h"

#include "platform/nativepath.h"

#include <cerrno>
#include <cstring>

namespace platform {

RuntimeError::RuntimeError(int number, const QString& text)
    : std::runtime_error(text.toStdString()), number_(number), text_(text)
{
}

QString errnoReason(int e)
{
    switch (e) {
    case ENOENT: return QStringLiteral("ファイルまたはフォルダが見つかりません");
    case EACCES:
    case EPERM: return QStringLiteral("アクセスが拒否されました");
    case EROFS: return QStringLiteral("読み取り専用の場所です");
    case ENOSPC:
    case EDQUOT: return QStringLiteral("ディスクの空き容量が足りません");
    case EISDIR: return QStringLiteral("フォルダです");
    case ENOTDIR: return QStringLiteral("フォルダが見つかりません");
    case EEXIST: return QStringLiteral("同じ名前のファイルがあります");
    case ELOOP: return QStringLiteral("シンボリックリンクはたどりません");
    case EIO: return QStringLiteral("入出力エラーです");
    case ENAMETOOLONG: return QStringLiteral("名前が長すぎます");
    case ENXIO: return QStringLiteral("名前付きパイプを読み出すプログラムがありません");
    case EPIPE: return QStringLiteral("読み出し側が閉じられました");
    case EOPNOTSUPP: return QStringLiteral("通常のファイルではないため書き込めません");
    case ENODEV: return QStringLiteral("ファイルではありません");
    default: return QString::fromLocal8Bit(std::strerror(e));
    }
}

static int numberFor(int e)
{
    switch (e) {
    case ENOENT: return kFileNotFound;
    case ENOTDIR: return kPathNotFound;
    case EACCES:
    case EPERM:
    case EROFS: return kPermissionDenied;
    case ENOSPC:
    case EDQUOT: return kDiskFull;
    default: return kFileAccessError;
    }
}

RuntimeError fileError(int e, const QString& path)
{
    return RuntimeError(numberFor(e), QStringLiteral("%1: %2").arg(shownPath(path), errnoReason(e)));
}

RuntimeError fileError(const std::system_error& e, const QString& path)
{
    return fileError(e.code().value(), path);
}

} // namespace platform
