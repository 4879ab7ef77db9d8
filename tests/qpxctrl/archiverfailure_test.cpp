// The archiver's result codes reach the host as the error its step calls for: a save and an open
// read the same code differently, and every message names the archive as it was given.
#include "qpxctrl/archiverfailure.h"

#include <gtest/gtest.h>

namespace {

using qpx::ArchiverStep;

TEST(ArchiverFailure, EachStepGetsItsOwnNumberAndMessage)
{
    const QString archive = QStringLiteral("/pics/海.QPX");
    const struct {
        const char* what;
        ArchiverStep step;
        int result;
        int number;
        const char* text;
    } cases[] = {
        {"damaged, save", ArchiverStep::Save, UNLHA_ERR_DAMAGED, 321,
            "/pics/海.QPX は LHA 書庫ではないか壊れているため、画像を保存できません。"},
        {"bad CRC, open", ArchiverStep::Open, UNLHA_ERR_CRC, 321, "/pics/海.QPX は LHA 書庫ではないか壊れているため、開けません。"},
        {"unwritable, save", ArchiverStep::Save, UNLHA_ERR_WRITE, 75, "QPX ファイル /pics/海.QPX を書き込めません。"},
        {"unwritable, open", ArchiverStep::Open, UNLHA_ERR_WRITE, 75, "QPX ファイル /pics/海.QPX を一時フォルダに展開できません。"},
        {"work file gone, save", ArchiverStep::Save, UNLHA_ERR_NO_FILE, 53, "保存する作業ファイルが見つかりません。"},
        {"no archive, open", ArchiverStep::Open, UNLHA_ERR_NO_ARCHIVE, 53, "QPX ファイル /pics/海.QPX が見つかりません。"},
        // A code that means nothing particular to the step is shown as a number.
        {"no archive, save", ArchiverStep::Save, UNLHA_ERR_NO_ARCHIVE, 51,
            "QPX ファイル /pics/海.QPX を保存できません (アーカイバの結果 2)。"},
        {"member missing, open", ArchiverStep::Open, UNLHA_ERR_NO_FILE, 51,
            "QPX ファイル /pics/海.QPX を開けません (アーカイバの結果 5)。"},
        {"cancelled, open", ArchiverStep::Open, UNLHA_ERR_CANCELLED, 51,
            "QPX ファイル /pics/海.QPX を開けません (アーカイバの結果 8)。"},
    };
    for (const auto& c : cases) {
        const auto e = qpx::archiverFailure(c.step, archive, {c.result, {}});
        EXPECT_EQ(e.number(), c.number) << c.what;
        EXPECT_EQ(e.text(), QString::fromUtf8(c.text)) << c.what;
    }
}

TEST(ArchiverFailure, TheArchiversReportFollowsAndTheNameStaysWhole)
{
    const auto withReport = qpx::archiverFailure(ArchiverStep::Open, QStringLiteral("/p/a.QPX"),
        {UNLHA_ERR_DAMAGED, QStringLiteral("ヘッダのCRCが合いません")});
    EXPECT_EQ(withReport.text(), QStringLiteral("/p/a.QPX は LHA 書庫ではないか壊れているため、開けません。 (ヘッダのCRCが合いません)"));

    // A name that looks like a placeholder is not filled in with the result code.
    const auto odd = qpx::archiverFailure(ArchiverStep::Save, QStringLiteral("/p/100%1%2.QPX"), {UNLHA_ERR_USAGE, {}});
    EXPECT_EQ(odd.text(), QStringLiteral("QPX ファイル /p/100%1%2.QPX を保存できません (アーカイバの結果 1)。"));
}

} // namespace
