// memory_store.h
// The settings store in memory, for the rules that read and write named
// settings: what was written can be read back and looked at.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <utility>

#include "settings_store.h"

namespace testsupport {

class MemoryStore : public settings_store::Store {
public:
    std::optional<std::string> read(const std::string& section, const std::string& name) const override {
        auto it = values.find({section, name});
        if (it == values.end()) return std::nullopt;
        return it->second;
    }
    void write(const std::string& section, const std::string& name, const std::string& value) override {
        values[{section, name}] = value;
    }
    // A user setting as stored, or "(none)".
    std::string setting(const char* name) const {
        auto it = values.find({"UserSettings", name});
        return it == values.end() ? "(none)" : it->second;
    }
    std::map<std::pair<std::string, std::string>, std::string> values;
};

} // namespace testsupport
