#pragma once
// What an archive holds, as the archiver lists it, and which member is the picture: the member
// named after the archive's base name, or, in an archive renamed after saving, its only bitmap.

#include "platform/picture.h"

#include <QList>
#include <QString>
#include <cstdint>
#include <optional>

namespace qpx {

struct ListedMember {
    QString name;           // as stored: folder, '/', name; bytes that are no UTF-8 kept (platform/nativepath.h)
    std::uint64_t size = 0; // the declared original size
};

// The members of the archiver's listing ("l ARCHIVE"); nothing when the text is not a whole
// listing (cut short, say), so that no member goes unseen.
std::optional<QList<ListedMember>> parseListing(const QString& text);

// The part of a listed name after its last '/'.
QString bareMemberName(const QString& name);

struct PictureChoice {
    enum Kind { Found, Missing, Ambiguous } kind = Missing;
    ListedMember member; // when Found
};

// The member whose bare name is wanted, else the only one equal to it but for case; with neither,
// the only member whose name ends in ".bmp" in any case. Two members under exactly the wanted
// name are Ambiguous; several candidates otherwise are Missing, as no candidate at all is.
PictureChoice choosePicture(const QList<ListedMember>& members, const QString& wanted);

// The largest member taken for a picture: a bitmap of the largest side the program loads, at
// 32 bits a pixel, with room for its headers.
inline constexpr std::uint64_t kMaxPictureMemberBytes =
    std::uint64_t{platform::kMaxPictureSide} * platform::kMaxPictureSide * 4 + 4096;

} // namespace qpx
