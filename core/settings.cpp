#include "core/settings.h"

#include "platform/os/registry.h"

bool SettingsStore::Open(const std::string& makerName, const std::string& exeBaseName) {
    const std::string key = "Software\\" + makerName + "\\" + exeBaseName;
    // The key is used even when it cannot be created on the device (a read-only device, an
    // unreadable settings file): values are then read from what was loaded, or defaulted.
    plat::Registry::Instance().CreateKey(key);
    key_ = key;
    return true;
}

int32_t SettingsStore::GetInt(const std::string& section, const std::string& name,
                              int32_t defaultValue) const {
    uint32_t value = 0;
    if (key_.empty() || !plat::Registry::Instance().GetDword(key_ + "\\" + section, name, &value)) {
        return defaultValue;
    }
    return static_cast<int32_t>(value);
}

bool SettingsStore::SetInt(const std::string& section, const std::string& name, int32_t value) {
    return !key_.empty() && plat::Registry::Instance().SetDword(key_ + "\\" + section, name,
                                                                static_cast<uint32_t>(value));
}

std::string SettingsStore::GetString(const std::string& section, const std::string& name,
                                     const std::string& defaultText) const {
    std::string text;
    if (key_.empty() || !plat::Registry::Instance().GetString(key_ + "\\" + section, name, &text)) {
        return defaultText;
    }
    return text;
}

bool SettingsStore::SetString(const std::string& section, const std::string& name,
                              const std::string& text) {
    return !key_.empty() && plat::Registry::Instance().SetString(key_ + "\\" + section, name, text);
}
