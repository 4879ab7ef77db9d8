#include "platform/settings.h"

#include "platform/errors.h"
#include "platform/nativepath.h"

#include <QSettings>
#include <QStandardPaths>
#include <cerrno>
#include <sys/stat.h>

namespace platform {
namespace {

// The file QSettings keeps the user's store in on this platform ($XDG_CONFIG_HOME or ~/.config).
QString userStoreFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/Velmor/Velmor.conf");
}

// Reading a FIFO waits for a writer, and a device may act on being read: only an ordinary file, or
// none yet, is handed to QSettings, which reads it at once. Empty when the file may be used.
QString unusableReason(const QString& file)
{
    struct stat st {};
    if (::stat(toNativePath(file).constData(), &st) != 0)
        return errno == ENOENT || errno == ENOTDIR ? QString() : errnoReason(errno);
    return S_ISREG(st.st_mode) ? QString() : QStringLiteral("通常のファイルではありません");
}

} // namespace

SettingsStore::SettingsStore(const QString& file) : file_(file.isEmpty() ? userStoreFile() : file)
{
    unusable_ = unusableReason(file_);
    if (unusable_.isEmpty())
        settings_ = std::make_unique<QSettings>(file_, QSettings::IniFormat);
}

SettingsStore::~SettingsStore() = default;

QString SettingsStore::GetSetting(const QString& section, const QString& key, const QString& defaultValue) const
{
    if (!settings_)
        return defaultValue;
    return settings_->value(section + QLatin1Char('/') + key, defaultValue).toString();
}

void SettingsStore::SaveSetting(const QString& section, const QString& key, const QString& value)
{
    if (!settings_)
        throw RuntimeError(kPermissionDenied,
            QStringLiteral("設定を保存できません。\n%1: %2").arg(shownPath(file_), unusable_));
    settings_->setValue(section + QLatin1Char('/') + key, value);
    settings_->sync();
    if (settings_->status() != QSettings::NoError)
        throw RuntimeError(kPermissionDenied,
            QStringLiteral("設定を保存できません。\n%1 に書き込めるか確かめてください。").arg(shownPath(location())));
}

QString SettingsStore::location() const
{
    return file_;
}

} // namespace platform
