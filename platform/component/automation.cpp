#include "platform/component/server.h"

namespace platform::component {
namespace {

QString standardText(int number)
{
    switch (number) {
    case kInvalidArgument: return QStringLiteral("プロシージャの呼び出し、または引数が不正です。");
    case kOutOfMemory: return QStringLiteral("メモリが不足しています。");
    case kTypeMismatch: return QStringLiteral("型が一致しません。");
    case kFileNotFound: return QStringLiteral("ファイルが見つかりません。");
    case kCannotCreateObject: return QStringLiteral("ActiveX コンポーネントはオブジェクトを作成できません。");
    case kMemberNotFound: return QStringLiteral("オブジェクトは、このプロパティまたはメソッドをサポートしていません。");
    case kWrongArgumentCount: return QStringLiteral("引数の数が一致していません。または不正なプロパティを指定しています。");
    case kEntryPointNotFound: return QStringLiteral("DLL エントリ ポイントが見つかりません。");
    default: return {};
    }
}

} // namespace

AutomationError::~AutomationError() = default;

AutomationError automationError(int number, const QString& detail)
{
    const QString standard = standardText(number);
    if (detail.isEmpty())
        return AutomationError(number, standard);
    if (standard.isEmpty())
        return AutomationError(number, detail);
    return AutomationError(number, standard + QLatin1Char(' ') + detail);
}

void requireArgumentCount(const QVariantList& args, int count)
{
    if (args.size() != count)
        throw automationError(kWrongArgumentCount,
            QStringLiteral("(%1 個の引数が渡されました。%2 個が必要です)").arg(args.size()).arg(count));
}

} // namespace platform::component
