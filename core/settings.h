// Settings: registry values under "Software\Tarrowby Systems Inc.\<executable base name>",
// one subkey per section.
#pragma once

#include <cstdint>
#include <string>

class SettingsStore {
  public:
    // Builds the root key name and creates the key; a failure leaves the store closed (reads
    // give defaults, writes fail). Always reports success.
    bool Open(const std::string& makerName, const std::string& exeBaseName);
    bool IsOpen() const { return !key_.empty(); }
    const std::string& Key() const { return key_; }

    int32_t GetInt(const std::string& section, const std::string& name, int32_t defaultValue) const;
    bool SetInt(const std::string& section, const std::string& name, int32_t value);
    // The whole stored text (no length limit), or `defaultText` when absent.
    std::string GetString(const std::string& section, const std::string& name,
                          const std::string& defaultText) const;
    bool SetString(const std::string& section, const std::string& name, const std::string& text);

  private:
    std::string key_;
};
