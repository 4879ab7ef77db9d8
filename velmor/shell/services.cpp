#include "velmor/shell/services.h"

#include <QMessageBox>

namespace shell {

void showMessageBox(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral("べるもあ"), text, QMessageBox::Ok, parent);
    box.exec();
}

} // namespace shell
