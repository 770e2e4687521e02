// Helpers for fault sweeps: the registry below a key as readable text, the
// message boxes a run opened, and the platform calls a run made, so that a
// sweep can fail each call of a clean run in turn and state the outcome.
#pragma once

#include "support/Devices.h"

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace test {

// "TEXT" for strings, a decimal number for DWORDs, hex bytes otherwise.
inline std::string ShowValue(const sim::RegValue &v) {
    if (v.type == REG_SZ && v.data.size() >= 2 && v.data.size() % 2 == 0) {
        std::u16string s(reinterpret_cast<const char16_t *>(v.data.data()), v.data.size() / 2);
        return "\"" + sim::Narrow(s.substr(0, s.find(u'\0'))) + "\"";
    }
    if (v.type == REG_DWORD && v.data.size() == 4)
        return std::to_string(
            uint32_t(v.data[0] | v.data[1] << 8 | v.data[2] << 16 | uint32_t(v.data[3]) << 24));
    std::string hex = "hex(" + std::to_string(v.type) + "):";
    char byte[4];
    for (uint8_t b : v.data) {
        std::snprintf(byte, sizeof byte, "%02x", b);
        hex += byte;
    }
    return hex;
}

// Every value below `key` (itself included), as "SUBKEY\NAME" -> value;
// a key without values shows as "SUBKEY\" -> "(key)".
inline void AddKey(const sim::RegKey &key, const std::string &prefix,
                   std::map<std::string, std::string> &out) {
    if (key.Values().empty())
        out[prefix + "\\"] = "(key)";
    for (const sim::RegValue &v : key.Values())
        out[prefix + "\\" + sim::Narrow(v.name)] = ShowValue(v);
    for (const auto &child : key.Subkeys())
        AddKey(*child, prefix + "\\" + sim::Narrow(child->Name()), out);
}

inline std::map<std::string, std::string> Snapshot(sim::Device &d,
                                                   const std::vector<std::u16string> &keys) {
    std::map<std::string, std::string> out;
    for (const std::u16string &path : keys)
        if (sim::RegKeyRef key = d.registry().FindKey(path))
            AddKey(*key, sim::Narrow(path), out);
    return out;
}

// What changed from `before` to `after`: "NAME=VALUE", or "NAME gone".
inline std::vector<std::string> Changes(const std::map<std::string, std::string> &before,
                                        const std::map<std::string, std::string> &after) {
    std::vector<std::string> out;
    for (const auto &[name, value] : after) {
        auto it = before.find(name);
        if (it == before.end() || it->second != value)
            out.push_back(name + "=" + value);
    }
    for (const auto &[name, value] : before)
        if (!after.count(name))
            out.push_back(name + " gone");
    return out;
}

// The message boxes opened since trace event `from`: "TITLE" "TEXT" FLAGS.
inline std::vector<std::string> BoxesSince(const sim::Device &d, size_t from) {
    std::vector<std::string> out;
    for (size_t e = from; e < d.Trace().size(); ++e) {
        const std::string &t = d.Trace()[e].text;
        if (t.rfind("messagebox ", 0) == 0 && t.find(" closed ") == std::string::npos)
            out.push_back(t.substr(t.find('"')));
    }
    return out;
}

// The number of calls of `name` all processes made from `before` (the sum of
// d.Calls over `pids`) on.
inline uint64_t CallsOf(const sim::Device &d, const std::vector<uint32_t> &pids,
                        const std::string &name) {
    uint64_t n = 0;
    for (uint32_t pid : pids) {
        auto calls = d.Calls(pid);
        auto it = calls.find(name);
        if (it != calls.end())
            n += it->second;
    }
    return n;
}

// The ids of every process the device has known.
inline std::vector<uint32_t> AllPids(const sim::Device &d) {
    std::vector<uint32_t> pids;
    for (const sim::ProcessInfo &p : d.Processes())
        pids.push_back(p.pid);
    return pids;
}

} // namespace test
