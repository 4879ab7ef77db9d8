#include "velmor/cli/qpxhost.h"

#include "platform/component/messagebox.h"

#include <QCoreApplication>
#include <QThread>
#include <exception>

namespace cli {
namespace {
const QString kProgId = QStringLiteral("QPXControl.QPXCtrl");
constexpr int kSaveQPX = 0x60030000;
constexpr int kOpenQPX = 0x60030001;
} // namespace

QpxHost::QpxHost()
{
    platform::component::setMessageBoxHandler(platform::component::raiseMessageAsError);
}

QpxHost::~QpxHost()
{
    control_.reset();
    platform::component::setMessageBoxHandler({});
}

platform::component::Control& QpxHost::control()
{
    if (!control_ && !creationError_) {
        try {
            control_ = platform::component::createControl(kProgId, &window_);
        } catch (const platform::component::AutomationError& e) {
            creationError_ = e; // every QPX file of the run gets the same reason
        }
    }
    if (creationError_)
        throw *creationError_;
    return *control_;
}

QVariant QpxHost::invokeOnMainThread(int dispId, QVariantList args)
{
    QVariant result;
    std::exception_ptr failure;
    auto call = [&] {
        try {
            result = control().invoke(dispId, args);
        } catch (...) {
            failure = std::current_exception();
        }
    };
    if (QThread::currentThread() == qApp->thread())
        call();
    else
        QMetaObject::invokeMethod(qApp, call, Qt::BlockingQueuedConnection);
    if (failure)
        std::rethrow_exception(failure);
    return result;
}

QImage QpxHost::open(const QString& path)
{
    return invokeOnMainThread(kOpenQPX, {path}).value<QImage>();
}

void QpxHost::save(const QImage& picture, const QString& path)
{
    invokeOnMainThread(kSaveQPX, {QVariant::fromValue(picture), path});
}

bool isQpxPath(const QString& path)
{
    return path.right(4).compare(QLatin1String(".qpx"), Qt::CaseInsensitive) == 0;
}

} // namespace cli
