// Reading the archiver's listing and choosing the member that holds the picture.
#include "qpxctrl/members.h"

#include <gtest/gtest.h>

namespace {

QList<qpx::ListedMember> members(std::initializer_list<const char*> names)
{
    QList<qpx::ListedMember> list;
    for (const char* n : names)
        list << qpx::ListedMember {QString::fromUtf8(n), 100};
    return list;
}

TEST(ChoosePicture, TheNamedMemberWinsElseTheOnlyBitmap)
{
    const struct {
        std::initializer_list<const char*> held;
        const char* wanted;
        qpx::PictureChoice::Kind kind;
        const char* chosen;
    } cases[] = {
        {{"notes.txt", "sea.bmp", "lake.bmp"}, "sea.bmp", qpx::PictureChoice::Found, "sea.bmp"},
        {{"SEA.BMP", "notes.txt"}, "sea.bmp", qpx::PictureChoice::Found, "SEA.BMP"},
        {{"pics/sea.bmp"}, "sea.bmp", qpx::PictureChoice::Found, "pics/sea.bmp"},
        // Renamed after saving: lake.qpx holding sea.bmp.
        {{"sea.bmp"}, "lake.bmp", qpx::PictureChoice::Found, "sea.bmp"},
        {{"readme.txt", "Sea.Bmp"}, "lake.bmp", qpx::PictureChoice::Found, "Sea.Bmp"},
        {{"sea.bmp", "river.bmp"}, "lake.bmp", qpx::PictureChoice::Missing, ""},
        {{"Pond.bmp", "POND.bmp"}, "pond.bmp", qpx::PictureChoice::Missing, ""},
        {{"sea.bmp.txt", "bmp", "sea.jpg"}, "lake.bmp", qpx::PictureChoice::Missing, ""},
        {{}, "sea.bmp", qpx::PictureChoice::Missing, ""},
        {{"sea.bmp", "old/sea.bmp"}, "sea.bmp", qpx::PictureChoice::Ambiguous, ""},
    };
    for (const auto& c : cases) {
        const qpx::PictureChoice choice = qpx::choosePicture(members(c.held), QString::fromUtf8(c.wanted));
        EXPECT_EQ(choice.kind, c.kind) << c.wanted << " among " << c.held.size();
        if (c.kind == qpx::PictureChoice::Found) {
            EXPECT_EQ(choice.member.name, QString::fromUtf8(c.chosen)) << c.wanted;
        }
    }
}

const char kListing[] = "  元のサイズ    圧縮後    率  方式   日時                 名前\n"
                        "         158       102  64.6% -lh5- 2026-12-07 12:00:00  sea.bmp\n"
                        "  4294967295        10   0.0% -lh5- ----  big file.bmp\n"
                        "           0         0   0.0% -lhd- 2026-12-07 12:00:00  pics/\n"
                        "          12        12 100.0% -lh0- 2026-12-07 12:00:00  notes.txt  [a comment]\n"
                        "4 個のメンバ, 合計 4294967465 → 124 バイト";

TEST(ParseListing, ReadsNamesAndDeclaredSizes)
{
    const auto listed = qpx::parseListing(QString::fromUtf8(kListing));
    ASSERT_TRUE(listed);
    ASSERT_EQ(listed->size(), 4);
    EXPECT_EQ(listed->at(0).name, "sea.bmp");
    EXPECT_EQ(listed->at(0).size, 158u);
    EXPECT_EQ(listed->at(1).name, "big file.bmp");
    EXPECT_EQ(listed->at(1).size, 4294967295u);
    EXPECT_GT(listed->at(1).size, qpx::kMaxPictureMemberBytes);
    EXPECT_EQ(qpx::bareMemberName(listed->at(2).name), ""); // a folder
    EXPECT_EQ(listed->at(3).name, "notes.txt");
}

// A listing cut short by the buffer must never pass for a whole one: a member might go unseen.
TEST(ParseListing, RefusesAnythingButAWholeListing)
{
    const QString whole = QString::fromUtf8(kListing);
    for (const QString& text : {whole.left(whole.indexOf(QStringLiteral("big"))), whole.left(whole.lastIndexOf('\n')),
             whole + QStringLiteral("\n         1         1 100.0% -lh0- ----  extra.bmp"), QString()})
        EXPECT_FALSE(qpx::parseListing(text)) << text.toStdString();
}

} // namespace
