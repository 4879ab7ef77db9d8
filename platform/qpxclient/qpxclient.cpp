#include "platform/qpxclient/qpxclient.h"

#include "platform/component/regcommand.h"
#include "platform/errors.h"
#include "platform/fs.h"
#include "platform/qpx/identity.h"
#include "platform/qpx/qpxname.h"

#include <QFile>

namespace qpxclient {
namespace {

void requireControl(const platform::component::Control* qpxFile)
{
    if (!qpxFile)
        throw platform::RuntimeError(platform::component::kCannotCreateObject,
            QStringLiteral("QPX ファイルを扱う部品 (%1) が使えないため、QPX ファイルは開くことも作ることもできません。\n"
                           "コントロールを登録するには %2 を実行してください。")
                .arg(QLatin1String(qpx::kProgId), registrationCommand()));
}

} // namespace

bool isQpxPath(const QString& path)
{
    return qpx::isQpxName(path);
}

QString registrationCommand()
{
    return platform::component::registrationCommand(QStringLiteral("libqpxctrl.so"));
}

std::unique_ptr<platform::component::Control> createQpxControl(QWidget* parent)
{
    return platform::component::createControl(QLatin1String(qpx::kProgId), parent);
}

QImage OpenQPX(platform::component::Control* qpxFile, const QString& path)
{
    requireControl(qpxFile);
    QVariantList args{path};
    const QVariant result = qpxFile->invoke(qpx::kDispOpenQPX, args);
    return result.value<QImage>();
}

void SaveQPX(platform::component::Control* qpxFile, const QImage& picture, const QString& path)
{
    requireControl(qpxFile);
    QVariantList args{QVariant::fromValue(picture), path};
    const QVariant result = qpxFile->invoke(qpx::kDispSaveQPX, args);
    // The control answers False for a name it refuses; an archiver that failed quietly leaves no file.
    if ((result.isValid() && result.toInt() == 0) || !platform::fs::isOrdinaryFile(QFile::encodeName(path).toStdString()))
        throw platform::RuntimeError(platform::kFileAccessError,
            QStringLiteral("%1: QPX ファイルが作成されませんでした").arg(path));
}

} // namespace qpxclient
