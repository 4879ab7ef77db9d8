#include "velmor/shell/services.h"

#include <QApplication>
#include <QMessageBox>
#include <mutex>

namespace shell {
namespace {

std::mutex gMutex;
std::function<bool(const QString&)> gReplaceQuestion;

} // namespace

void showMessageBox(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral("べるもあ"), text, QMessageBox::Ok, parent);
    box.exec();
}

void setReplaceQuestion(std::function<bool(const QString& text)> question)
{
    std::lock_guard lock(gMutex);
    gReplaceQuestion = std::move(question);
}

bool askReplaceSource(const QString& text)
{
    std::function<bool(const QString&)> question;
    {
        std::lock_guard lock(gMutex);
        question = gReplaceQuestion;
    }
    if (question)
        return question(text);
    return QMessageBox::question(QApplication::activeWindow(), QStringLiteral("べるもあ"), text,
               QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
           == QMessageBox::Yes;
}

} // namespace shell
