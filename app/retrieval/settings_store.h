// The settings file as the retrieval reads and writes it (the telephone
// number), with the front end's own way of telling a failure.
#pragma once

#include <string>

namespace trelm::retrieval {

class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    virtual std::string readSetting(const std::string &section, const std::string &key) = 0;
    virtual void writeSetting(const std::string &section, const std::string &key, const std::string &value) = 0;
};

} // namespace trelm::retrieval
