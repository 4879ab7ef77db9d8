#include "qpxctrl/members.h"

#include "platform/nativepath.h"

#include <QRegularExpression>

namespace qpx {
namespace {

// "  元のサイズ    圧縮後    率  方式   日時                 名前" is the heading, then one line a
// member: original and packed sizes, ratio, method, local time (or "----"), two spaces, name, and
// a stored comment in brackets after two more spaces.
const QRegularExpression kMemberLine(QStringLiteral(
    R"(^ *(\d+) +\d+ +[0-9.]+% +\S+ +(?:\d{4}-\d\d-\d\d \d\d:\d\d:\d\d|-+)  (.*?)(?:  \[.*\])?$)"));
// The closing line: "N 個のメンバ, 合計 ORIGINAL → PACKED バイト".
const QRegularExpression kSummaryLine(QStringLiteral(R"(^(\d+) 個のメンバ, 合計 \d+)"));

// The listing shows every byte of a name that is no UTF-8, and '\' itself, as \xHH: the name
// comes back byte for byte, so the member can be named to the archiver as it is stored.
QString storedName(const QString& shown)
{
    if (!shown.contains(QLatin1Char('\\')))
        return shown;
    const QByteArray text = shown.toUtf8();
    QByteArray bytes;
    auto hex = [](char c) { return c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1; };
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x' && hex(text[i + 2]) >= 0 && hex(text[i + 3]) >= 0) {
            bytes += char(hex(text[i + 2]) * 16 + hex(text[i + 3]));
            i += 3;
        } else {
            bytes += text[i];
        }
    }
    return platform::fromNativePath(bytes);
}

QList<ListedMember> withBareName(const QList<ListedMember>& members, const QString& name, Qt::CaseSensitivity cs)
{
    QList<ListedMember> found;
    for (const ListedMember& m : members)
        if (bareMemberName(m.name).compare(name, cs) == 0)
            found << m;
    return found;
}

} // namespace

std::optional<QList<ListedMember>> parseListing(const QString& text)
{
    QList<ListedMember> members;
    std::optional<qsizetype> declared;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        if (declared)
            return std::nullopt; // nothing may follow the closing line
        if (const auto m = kMemberLine.match(line); m.hasMatch()) {
            bool ok = false;
            const std::uint64_t size = m.captured(1).toULongLong(&ok);
            if (!ok)
                return std::nullopt;
            members << ListedMember {storedName(m.captured(2)), size};
        } else if (const auto s = kSummaryLine.match(line); s.hasMatch()) {
            declared = s.captured(1).toLongLong();
        }
    }
    if (!declared || *declared != members.size())
        return std::nullopt;
    return members;
}

QString bareMemberName(const QString& name)
{
    return name.mid(name.lastIndexOf(QLatin1Char('/')) + 1);
}

PictureChoice choosePicture(const QList<ListedMember>& members, const QString& wanted)
{
    const QList<ListedMember> exact = withBareName(members, wanted, Qt::CaseSensitive);
    if (exact.size() > 1)
        return {PictureChoice::Ambiguous, {}};
    QList<ListedMember> found = exact.isEmpty() ? withBareName(members, wanted, Qt::CaseInsensitive) : exact;
    if (found.isEmpty()) {
        for (const ListedMember& m : members)
            if (bareMemberName(m.name).endsWith(QLatin1String(".bmp"), Qt::CaseInsensitive))
                found << m;
    }
    // Several candidates and none named exactly: which one is meant is unknowable.
    if (found.size() != 1)
        return {};
    return {PictureChoice::Found, found.front()};
}

} // namespace qpx
