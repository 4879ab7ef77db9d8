#pragma once
// The per-user settings store of application "Velmor": text values by section and key.

#include <QString>
#include <memory>

class QSettings;

namespace platform {

class SettingsStore {
public:
    // An empty file name takes the platform's own per-user store ($XDG_CONFIG_HOME/Velmor/Velmor.conf).
    // A store that is no ordinary file (a FIFO, a device) is never opened: it reads as empty.
    explicit SettingsStore(const QString& file = {});
    ~SettingsStore();

    QString GetSetting(const QString& section, const QString& key, const QString& defaultValue) const;
    // Written through at once; a store that refuses the write throws platform::RuntimeError.
    void SaveSetting(const QString& section, const QString& key, const QString& value);

    QString location() const;

private:
    QString file_;
    QString unusable_; // why the file is not opened, empty when it is
    std::unique_ptr<QSettings> settings_;
};

} // namespace platform
