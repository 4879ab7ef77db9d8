#pragma once
// velmor-filter as a host of the QPX control: the control is created by its programmatic identifier
// on first use and called late, always on the main thread, whichever worker asks. Its message
// boxes arrive as errors, since a command shows none.

#include "platform/component/control.h"

#include <QImage>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

namespace cli {

class QpxHost {
public:
    QpxHost(); // on the main thread, with a QApplication
    ~QpxHost();

    // OpenQPX: the picture the QPX file holds. Throws platform::RuntimeError.
    QImage open(const QString& path);
    // SaveQPX: the picture as the QPX file path. Throws platform::RuntimeError.
    void save(const QImage& picture, const QString& path);

private:
    void onMainThread(const std::function<void(platform::component::Control*)>& call);

    QWidget window_;
    std::unique_ptr<platform::component::Control> control_;
    std::optional<platform::component::AutomationError> creationError_;
};

} // namespace cli
