#include "velmor/workflow/sourceguard.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMessageBox>
#include <mutex>
#include <optional>
#include <sys/stat.h>

namespace workflow {
namespace {

struct FileId {
    dev_t device = 0;
    ino_t inode = 0;
};

std::optional<FileId> identify(const QString& path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return std::nullopt;
    return FileId {st.st_dev, st.st_ino};
}

std::mutex gMutex;
ReplaceQuestion gQuestion;
// The source file of each window, by the file itself, so a renamed source is still recognised.
QHash<const Window*, FileId> gSources;

bool askUser(const QString& text)
{
    return QMessageBox::question(QApplication::activeWindow(), QStringLiteral("べるもあ"), text,
               QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
           == QMessageBox::Yes;
}

} // namespace

void setReplaceQuestion(ReplaceQuestion question)
{
    std::lock_guard lock(gMutex);
    gQuestion = std::move(question);
}

void rememberSourceFile(const Window& window, const QString& path)
{
    std::lock_guard lock(gMutex);
    if (const auto id = identify(path))
        gSources.insert(&window, *id);
    else
        gSources.remove(&window);
}

bool mayWriteOverSource(const Window& window, const QString& destination, bool qpx)
{
    ReplaceQuestion question;
    {
        std::lock_guard lock(gMutex);
        const auto source = gSources.constFind(&window);
        const auto target = identify(destination);
        if (source == gSources.constEnd() || !target || source->device != target->device || source->inode != target->inode)
            return true;
        question = gQuestion ? gQuestion : askUser;
    }
    const QString name = QFileInfo(destination).fileName();
    return question(qpx ? QStringLiteral("%1 は開いている元画像です。作成すると、この QPX ファイルの画像は作成した画像で置き換えられ、元の画像は失われます。\n\n置き換えますか?").arg(name)
                        : QStringLiteral("%1 は開いている元画像です。作成すると、元画像はフィルタをかけたビットマップで置き換えられ、元の画像は失われます。\n\n置き換えますか?").arg(name));
}

} // namespace workflow
