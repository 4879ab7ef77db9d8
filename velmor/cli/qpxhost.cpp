#include "velmor/cli/qpxhost.h"

#include "platform/component/messagebox.h"
#include "platform/qpxclient/qpxclient.h"

#include <QCoreApplication>
#include <QThread>
#include <exception>

namespace cli {

QpxHost::QpxHost()
{
    platform::component::setMessageBoxHandler(platform::component::raiseMessageAsError);
}

QpxHost::~QpxHost()
{
    control_.reset();
    platform::component::setMessageBoxHandler({});
}

void QpxHost::onMainThread(const std::function<void(platform::component::Control*)>& call)
{
    std::exception_ptr failure;
    auto run = [&] {
        try {
            if (!control_ && !creationError_) {
                try {
                    control_ = qpxclient::createQpxControl(&window_);
                } catch (const platform::component::AutomationError& e) {
                    creationError_ = e; // every QPX file of the run gets the same reason, with the way out
                }
            }
            if (creationError_)
                throw *creationError_;
            call(control_.get());
        } catch (...) {
            failure = std::current_exception();
        }
    };
    if (QThread::currentThread() == qApp->thread())
        run();
    else
        QMetaObject::invokeMethod(qApp, run, Qt::BlockingQueuedConnection);
    if (failure)
        std::rethrow_exception(failure);
}

QImage QpxHost::open(const QString& path)
{
    QImage picture;
    onMainThread([&](platform::component::Control* qpxFile) { picture = qpxclient::OpenQPX(qpxFile, path); });
    if (picture.isNull())
        throw platform::RuntimeError(platform::kInvalidPicture, QStringLiteral("%1: 画像がありません").arg(path));
    return picture;
}

void QpxHost::save(const QImage& picture, const QString& path)
{
    onMainThread([&](platform::component::Control* qpxFile) { qpxclient::SaveQPX(qpxFile, picture, path); });
}

} // namespace cli
