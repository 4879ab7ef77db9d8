#include "qpxctrl/archiverfailure.h"

#include "platform/nativepath.h"

namespace qpx {
namespace {

// What a result means to the host: the error number, and the message after a save and after an
// open (%1 the archive, %2 the result); nullptr where the step takes the row for other results.
struct ResultMeaning {
    int result;
    int errorNumber;
    const char* onSave;
    const char* onOpen;
};

constexpr ResultMeaning kResultMeanings[] = {
    {UNLHA_ERR_NO_ARCHIVE, platform::kFileNotFound, nullptr, "QPX ファイル %1 が見つかりません。"},
    {UNLHA_ERR_DAMAGED, kInvalidFileFormat, "%1 は LHA 書庫ではないか壊れているため、画像を保存できません。",
        "%1 は LHA 書庫ではないか壊れているため、開けません。"},
    {UNLHA_ERR_CRC, kInvalidFileFormat, "%1 は LHA 書庫ではないか壊れているため、画像を保存できません。",
        "%1 は LHA 書庫ではないか壊れているため、開けません。"},
    {UNLHA_ERR_WRITE, platform::kFileAccessError, "QPX ファイル %1 を書き込めません。",
        "QPX ファイル %1 を一時フォルダに展開できません。"},
    {UNLHA_ERR_NO_FILE, platform::kFileNotFound, "保存する作業ファイルが見つかりません。", nullptr},
};

constexpr ResultMeaning kOtherResult = {-1, kInternalError, "QPX ファイル %1 を保存できません (アーカイバの結果 %2)。",
    "QPX ファイル %1 を開けません (アーカイバの結果 %2)。"};

const char* messageFor(const ResultMeaning& meaning, ArchiverStep step)
{
    return step == ArchiverStep::Save ? meaning.onSave : meaning.onOpen;
}

} // namespace

platform::component::AutomationError archiverFailure(ArchiverStep step, const QString& archive,
    const ArchiverReport& report)
{
    const ResultMeaning* meaning = &kOtherResult;
    for (const ResultMeaning& m : kResultMeanings)
        if (m.result == report.result && messageFor(m, step))
            meaning = &m;
    // The result goes in first, so that nothing in the archive's name is taken for a placeholder.
    QString text = QString::fromUtf8(messageFor(*meaning, step))
                       .replace(QLatin1String("%2"), QString::number(report.result))
                       .replace(QLatin1String("%1"), platform::shownPath(archive));
    if (!report.output.isEmpty())
        text += QStringLiteral(" (%1)").arg(report.output);
    return {meaning->errorNumber, text};
}

} // namespace qpx
