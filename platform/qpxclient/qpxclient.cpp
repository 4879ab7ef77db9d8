#include "platform/qpxclient/qpxclient.h"

#include "platform/component/regcommand.h"
#include "platform/errors.h"
#include "platform/fs.h"
#include "platform/qpx/identity.h"
#include "platform/qpx/qpxname.h"

#include "platform/nativepath.h"

#include <mutex>

namespace qpxclient {
namespace {

std::mutex gFailureMutex;
QString gCreationFailure; // why the last control could not be created, with the way out

void requireControl(const platform::component::Control* qpxFile)
{
    if (qpxFile)
        return;
    const std::lock_guard lock(gFailureMutex);
    throw platform::RuntimeError(platform::component::kCannotCreateObject,
        QStringLiteral("QPX ファイルを扱う部品 (%1) が使えないため、QPX ファイルは開くことも作ることもできません。\n%2")
            .arg(QLatin1String(qpx::kProgId),
                gCreationFailure.isEmpty() ? registrationAdvice() : gCreationFailure));
}

} // namespace

QString registrationAdvice()
{
    return QStringLiteral("コントロールを登録するには %1 を実行してください。").arg(registrationCommand());
}

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
    try {
        return platform::component::createControl(QLatin1String(qpx::kProgId), parent);
    } catch (const platform::component::AutomationError& e) {
        // Registering helps only when the class or its module is missing; a refused module or an
        // unusable temporary folder has its own way out, which the text gives.
        const QString text = e.number() == platform::component::kCannotCreateObject
            ? e.text() + QLatin1Char(' ') + registrationAdvice()
            : e.text();
        const std::lock_guard lock(gFailureMutex);
        gCreationFailure = text;
        throw platform::component::AutomationError(e.number(), text);
    }
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
    if ((result.isValid() && result.toInt() == 0) || !platform::fs::isOrdinaryFile(platform::nativePathString(path)))
        throw platform::RuntimeError(platform::kFileAccessError,
            QStringLiteral("%1: QPX ファイルが作成されませんでした").arg(platform::shownPath(path)));
}

} // namespace qpxclient
