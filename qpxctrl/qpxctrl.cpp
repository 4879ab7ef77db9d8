#include "qpxctrl/qpxctrl.h"

#include "platform/component/control.h"
#include "platform/component/messagebox.h"
#include "platform/fs.h"
#include "platform/longwork.h"
#include "platform/picture.h"
#include "platform/tempfolder.h"
#include "qpxctrl/archiver.h"
#include "qpxctrl/basename.h"
#include "qpxctrl/commandline.h"
#include "qpxctrl/identity.h"
#include "qpxctrl/workfiles.h"

#include <QFile>
#include <QPainter>

namespace qpx {
namespace {

using platform::RuntimeError;
using platform::component::AutomationError;

constexpr int kInvalidFileFormat = 321;
constexpr int kInternalError = 51;
constexpr int kFaceSide = 32;

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

QString withReport(const QString& text, const ArchiverReport& report)
{
    return report.output.isEmpty() ? text : text + QStringLiteral(" (%1)").arg(report.output);
}

// The archiver's result as the error the host sees.
AutomationError saveFailure(const QString& archive, const ArchiverReport& r)
{
    switch (r.result) {
    case kArchiverDamaged:
    case kArchiverCrcMismatch:
        return AutomationError(kInvalidFileFormat, withReport(
            QStringLiteral("%1 は LHA 書庫ではないか壊れているため、画像を保存できません。").arg(archive), r));
    case kArchiverCannotWrite:
        return AutomationError(platform::kFileAccessError, withReport(
            QStringLiteral("QPX ファイル %1 を書き込めません。").arg(archive), r));
    case kArchiverFileMissing:
        return AutomationError(platform::kFileNotFound, withReport(
            QStringLiteral("保存する作業ファイルが見つかりません。"), r));
    default:
        return AutomationError(kInternalError, withReport(
            QStringLiteral("QPX ファイル %1 を保存できません (アーカイバの結果 %2)。").arg(archive).arg(r.result), r));
    }
}

AutomationError openFailure(const QString& archive, const ArchiverReport& r)
{
    switch (r.result) {
    case kArchiverNoArchive:
        return AutomationError(platform::kFileNotFound, withReport(
            QStringLiteral("QPX ファイル %1 が見つかりません。").arg(archive), r));
    case kArchiverDamaged:
    case kArchiverCrcMismatch:
        return AutomationError(kInvalidFileFormat, withReport(
            QStringLiteral("%1 は LHA 書庫ではないか壊れているため、開けません。").arg(archive), r));
    case kArchiverCannotWrite:
        return AutomationError(platform::kFileAccessError, withReport(
            QStringLiteral("QPX ファイル %1 を一時フォルダに展開できません。").arg(archive), r));
    default:
        return AutomationError(kInternalError, withReport(
            QStringLiteral("QPX ファイル %1 を開けません (アーカイバの結果 %2)。").arg(archive).arg(r.result), r));
    }
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
    const QString workBitmap = WorkBitmapPath(tempFolder_, strName);
    const QString commandLine = SaveCommandLine(archive, workBitmap);
    if (srcPic.isNull())
        throw RuntimeError(platform::kInvalidPicture, QStringLiteral("保存する画像がありません。"));

    // Every way out before finish() restores the temporary folder as it was.
    MovedAside aside(workBitmap);
    platform::runLongStep(platform::WorkStep::SavePicture, [&] { platform::savePictureBmp24(srcPic, workBitmap); });
    aside.wroteWorkBitmap();
    const ArchiverReport report = platform::runLongStep(platform::WorkStep::Archive, [&] { return CallArchiver(commandLine); });
    if (report.result != kArchiverOk)
        throw saveFailure(archive, report);
    aside.finish();
    return true;
}

QImage QPXCtrl::OpenQPX(const QString& strName)
{
    const QString archive = ArchivePath(strName);
    if (!platform::fs::isOrdinaryFile(QFile::encodeName(archive).toStdString())) {
        tell(this, QStringLiteral("指定のQPXﾌｧｲﾙはありません。"), platform::kFileNotFound);
        return {};
    }
    const QString member = PathToBaseName(strName) + QStringLiteral(".bmp");

    // The archive's members land in a folder of their own, whatever names they bear.
    const ExtractionFolder folder(tempFolder_);
    const ArchiverReport report = platform::runLongStep(platform::WorkStep::Archive,
        [&] { return CallArchiver(OpenCommandLine(archive, folder.path())); });
    if (report.result != kArchiverOk)
        throw openFailure(archive, report);
    const QString bitmap = folder.find(member);
    if (bitmap.isEmpty())
        throw RuntimeError(platform::kFileNotFound,
            QStringLiteral("QPX ファイル %1 に画像 %2 がありません。保存した後で名前を変えた QPX ファイルは開けません。")
                .arg(archive, member));
    try {
        picDmy_->setPicture(platform::runLongStep(platform::WorkStep::LoadPicture, [&] { return platform::loadPicture(bitmap); }));
    } catch (const RuntimeError& e) {
        throw RuntimeError(e.number(), QStringLiteral("QPX ファイル %1 の画像を読み込めません (%2)").arg(archive, e.text()));
    }
    return picDmy_->picture();
}

} // namespace qpx
