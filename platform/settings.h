#pragma once
// The per-user settings store of application "Velmor": text values by section and key.

#include <QString>
#include <memory>

class QSettings;

namespace platform {

class SettingsStore {
public:
    // An empty file name takes the platform's own per-user store.
    explicit SettingsStore(const QString& file = {});
    ~SettingsStore();

    QString GetSetting(const QString& section, const QString& key, const QString& defaultValue) const;
    // Written through at once; a store that refuses the write throws platform::RuntimeError.
    void SaveSetting(const QString& section, const QString& key, const QString& value);

    QString location() const;

private:
    std::unique_ptr<QSettings> settings_;
};

} // namespace platform
