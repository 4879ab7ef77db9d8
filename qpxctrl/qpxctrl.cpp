#include "qpxctrl/qpxctrl.h"

#include "platform/component/control.h"
#include "platform/component/messagebox.h"
#include "platform/fs.h"
#include "platform/longwork.h"
#include "platform/nativepath.h"
#include "platform/picture.h"
#include "platform/qpx/identity.h"
#include "platform/tempfolder.h"
#include "qpxctrl/archiver.h"
#include "qpxctrl/archiverfailure.h"
#include "qpxctrl/basename.h"
#include "qpxctrl/commandline.h"
#include "qpxctrl/members.h"
#include "qpxctrl/workfiles.h"

#include <QPainter>
#include <cerrno>
#include <sys/stat.h>
#include <sys/statvfs.h>

namespace qpx {
namespace {

using platform::RuntimeError;
using platform::component::AutomationError;

constexpr int kFaceSide = 32;
// Enough for a listing of ten thousand members and more; the last step is the ceiling.
constexpr std::uint32_t kListingBufferSizes[] = {64u << 10, 1u << 20, 16u << 20, 64u << 20};

QString takeTempFolder()
{
    try {
        return platform::privateTempFolder();
    } catch (const RuntimeError& e) {
        throw platform::component::automationError(platform::kInvalidArgument, QStringLiteral("(%1)").arg(e.text()));
    }
}

void tell(QWidget* parent, const QString& text, int errorNumber)
{
    platform::component::messageBox({parent, text, QStringLiteral("QPXControl"),
        platform::component::kExclamation, errorNumber});
}

// The existence test: a link is followed to what it names. No file is the documented message; a
// folder, device or FIFO gets its own; anything else the system refuses is an error.
bool isArchiveFile(QWidget* parent, const QString& archive)
{
    struct stat st {};
    if (::stat(platform::toNativePath(archive).constData(), &st) == 0) {
        if (S_ISREG(st.st_mode))
            return true;
        tell(parent, QStringLiteral("%1 はファイルではありません。").arg(platform::shownPath(archive)), platform::kFileAccessError);
        return false;
    }
    if (errno != ENOENT && errno != ENOTDIR)
        throw platform::fileError(errno, platform::shownPath(archive));
    tell(parent, QStringLiteral("指定のQPXﾌｧｲﾙはありません。"), platform::kFileNotFound);
    return false;
}

// A call the host stopped (Escape while the window waits for it) is no failure to report: the host
// learns that it stopped, with nothing half-written left by the archiver.
ArchiverReport unlessStopped(ArchiverReport report)
{
    if (report.result == UNLHA_ERR_CANCELLED)
        throw platform::WorkStopped();
    return report;
}

// The archive's whole listing: the buffer grows until the listing fits.
QList<ListedMember> listMembers(const QString& archive)
{
    ArchiverReport report;
    for (const std::uint32_t size : kListingBufferSizes) {
        report = CallArchiver(ListCommandLine(archive), size);
        if (report.result != UNLHA_OK && report.output.size() < qsizetype(size) / 2)
            throw archiverFailure(ArchiverStep::Open, archive, report);
        if (const auto members = parseListing(report.output))
            return *members;
    }
    throw AutomationError(kInternalError, QStringLiteral("QPX ファイル %1 の中身の一覧を読み取れません。").arg(platform::shownPath(archive)));
}

void checkRoomFor(const QString& archive, const ListedMember& member, const QString& folder)
{
    if (member.size > kMaxPictureMemberBytes)
        throw RuntimeError(platform::kOverflow,
            QStringLiteral("QPX ファイル %1 の画像 %2 は大きすぎるため開きません (%3 バイト、%4 バイトまで)。")
                .arg(platform::shownPath(archive), platform::shownPath(member.name)).arg(member.size).arg(kMaxPictureMemberBytes));
    struct statvfs fs {};
    if (::statvfs(platform::toNativePath(folder).constData(), &fs) == 0
        && std::uint64_t(fs.f_bavail) * fs.f_frsize < member.size)
        throw RuntimeError(platform::kDiskFull,
            QStringLiteral("一時フォルダ %1 の空きが足りないため、QPX ファイル %2 の画像 %3 (%4 バイト) を展開できません。")
                .arg(platform::shownPath(folder), platform::shownPath(archive), platform::shownPath(member.name)).arg(member.size));
}

// Extracts the picture member; the extracted file's path. An archiver that extracts no single
// member gets the whole archive, when all of it fits.
QString extractPicture(const QString& archive, const QList<ListedMember>& members, const ListedMember& picture,
    const WorkFolder& folder)
{
    ArchiverReport report = unlessStopped(CallArchiver(OpenCommandLine(archive, folder.path(), picture.name)));
    if (report.result == UNLHA_ERR_USAGE) {
        ListedMember all {QStringLiteral("%1 ほか全メンバ").arg(picture.name), 0};
        for (const ListedMember& m : members)
            all.size += m.size;
        checkRoomFor(archive, all, folder.path());
        report = unlessStopped(CallArchiver(OpenCommandLine(archive, folder.path())));
    }
    if (report.result != UNLHA_OK)
        throw archiverFailure(ArchiverStep::Open, archive, report);
    const QString bitmap = folder.find(bareMemberName(picture.name));
    // The archiver may write a name it could not keep (a control byte, say) in another form.
    return bitmap.isEmpty() ? folder.onlyFile() : bitmap;
}

} // namespace

PictureHolder::PictureHolder(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("picDmy"));
    setVisible(false);
}

QPXCtrl::QPXCtrl(QWidget* parent, Mode mode)
    : QWidget(parent), tempFolder_(takeTempFolder()), picDmy_(new PictureHolder(this))
{
    setObjectName(QStringLiteral("QPXCtrl"));
    setFixedSize(kFaceSide, kFaceSide);
    if (mode == Mode::Design)
        face_ = QImage(QString::fromLatin1(kFaceResource));
    else
        setVisible(false); // stays hidden when the host's window is shown
}

void QPXCtrl::paintEvent(QPaintEvent*)
{
    if (face_.isNull())
        return;
    QPainter painter(this);
    painter.drawImage(0, 0, face_);
}

bool QPXCtrl::SaveQPX(const QImage& srcPic, const QString& strName)
{
    if (!HasQpxExtension(strName)) {
        tell(this, QStringLiteral("ﾌｧｲﾙ名の拡張子がQPXではありません。"), platform::kInvalidArgument);
        return false;
    }
    const QString archive = ArchivePath(strName);
    CommandLinePath(archive); // a name no command line can carry fails before any file is made
    if (srcPic.isNull())
        throw RuntimeError(platform::kInvalidPicture, QStringLiteral("保存する画像がありません。"));

    // The work bitmap keeps the archive's base name (it becomes the member's name) in a folder of
    // this save's own, so saves of one name at once never meet; the folder goes on every way out.
    const WorkFolder folder(tempFolder_, WorkFolder::Purpose::Save);
    const QString workBitmap = WorkBitmapPath(folder.path(), strName);
    platform::runLongStep(platform::WorkStep::SavePicture, [&] { platform::savePictureBmp24(srcPic, workBitmap); });
    const ArchiverReport report = platform::runLongStep(platform::WorkStep::Archive,
        [&] { return unlessStopped(CallArchiver(SaveCommandLine(archive, workBitmap))); }, &CancelRunningArchiver);
    if (report.result != UNLHA_OK)
        throw archiverFailure(ArchiverStep::Save, archive, report);
    return true;
}

QImage QPXCtrl::OpenQPX(const QString& strName)
{
    const QString archive = ArchivePath(strName);
    if (!isArchiveFile(this, archive))
        return {};
    const QString wanted = PathToBaseName(strName) + QStringLiteral(".bmp");
    const QList<ListedMember> members = listMembers(archive);
    const PictureChoice choice = choosePicture(members, wanted);
    if (choice.kind == PictureChoice::Ambiguous)
        throw RuntimeError(platform::kFileNotFound,
            QStringLiteral("QPX ファイル %1 には画像 %2 が複数あり、どれを開くか決められません。").arg(platform::shownPath(archive), platform::shownPath(wanted)));
    if (choice.kind != PictureChoice::Found)
        throw RuntimeError(platform::kFileNotFound,
            QStringLiteral("QPX ファイル %1 に画像 %2 がありません (ほかの名前のビットマップも一つに決まりません)。")
                .arg(platform::shownPath(archive), platform::shownPath(wanted)));

    // Only the picture lands, in a folder of its own, once its size is known to fit.
    const WorkFolder folder(tempFolder_, WorkFolder::Purpose::Open);
    checkRoomFor(archive, choice.member, folder.path());
    const QString bitmap = platform::runLongStep(platform::WorkStep::Archive,
        [&] { return extractPicture(archive, members, choice.member, folder); }, &CancelRunningArchiver);
    try {
        picDmy_->setPicture(platform::runLongStep(platform::WorkStep::LoadPicture, [&] { return platform::loadBmp24Picture(bitmap); }));
    } catch (const RuntimeError& e) {
        throw RuntimeError(e.number(), QStringLiteral("QPX ファイル %1 の画像を読み込めません (%2)").arg(platform::shownPath(archive), e.text()));
    }
    return picDmy_->picture();
}

} // namespace qpx
