#include "platform/settings.h"

#include "platform/errors.h"

#include <QSettings>

namespace platform {

SettingsStore::SettingsStore(const QString& file)
    : settings_(file.isEmpty()
              ? std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Velmor"), QStringLiteral("Velmor"))
              : std::make_unique<QSettings>(file, QSettings::IniFormat))
{
}

SettingsStore::~SettingsStore() = default;

QString SettingsStore::GetSetting(const QString& section, const QString& key, const QString& defaultValue) const
{
    return settings_->value(section + QLatin1Char('/') + key, defaultValue).toString();
}

void SettingsStore::SaveSetting(const QString& section, const QString& key, const QString& value)
{
    settings_->setValue(section + QLatin1Char('/') + key, value);
    settings_->sync();
    if (settings_->status() != QSettings::NoError)
        throw RuntimeError(kPermissionDenied,
            QStringLiteral("設定を保存できません。\n%1 に書き込めるか確かめてください。").arg(location()));
}

QString SettingsStore::location() const
{
    return settings_->fileName();
}

} // namespace platform
