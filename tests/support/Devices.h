// Test helpers: simulated devices with the package installed, registry and
// file set-up, and running test code inside a device.
#pragma once

#include "device/Device.h"
#include "kernel/FileSystem.h"
#include "kernel/Registry.h"
#include "package/Package.h"
#include "support/Bytes.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace test {

inline const std::u16string kPointrel = u"\\Program Files\\Pointrel\\Pointrel.exe";
inline const std::u16string kSettingsKey = u"HKLM\\SOFTWARE\\Quorvane\\Pointrel";
inline const std::u16string kCursorClass = u"QuorvaneCursorDisplayClass";

inline void SetValue(sim::Device &d, const std::u16string &key, const std::u16string &name,
                     uint32_t type, const std::vector<uint8_t> &data) {
    sim::RegKeyRef ref;
    d.registry().CreateKeyPath(key, &ref);
    d.registry().SetValue(ref, name, type, data);
}

inline std::optional<sim::RegValue> GetValue(sim::Device &d, const std::u16string &key,
                                             const std::u16string &name) {
    sim::RegKeyRef ref = d.registry().FindKey(key);
    if (!ref)
        return std::nullopt;
    const sim::RegValue *v = ref->FindValue(name);
    return v ? std::optional<sim::RegValue>(*v) : std::nullopt;
}

inline void WriteFile(sim::Device &d, const std::u16string &path,
                      const std::vector<uint8_t> &data) {
    d.files().CopyIn(path, data, d.CalendarNow());
}

// The default device without the shell: no windows but the test's own.
inline sim::DeviceConfig NoShell() {
    sim::DeviceConfig config;
    config.shell = false;
    return config;
}

// Starts the cursor program, lets `settle` ms of device time pass and gives
// its process id.
inline uint32_t StartCursor(sim::Device &d, uint64_t settle = 200) {
    uint32_t pid = d.Start(kPointrel);
    d.Wait(settle);
    return pid;
}

// Holds key `vk` down for `ms` of device time, then releases it.
inline void HoldKey(sim::Device &d, int vk, uint64_t ms) {
    d.Key(vk, false);
    d.Wait(ms);
    d.Key(vk, true);
}

// The platform calls process `pid` has made since `before` (an earlier
// d.Calls(pid)), by name; names not called since are left out.
inline std::map<std::string, uint64_t> CallsSince(const sim::Device &d, uint32_t pid,
                                                  const std::map<std::string, uint64_t> &before) {
    std::map<std::string, uint64_t> since;
    for (const auto &[name, n] : d.Calls(pid)) {
        auto it = before.find(name);
        uint64_t added = n - (it == before.end() ? 0 : it->second);
        if (added != 0)
            since[name] = added;
    }
    return since;
}

// The platform calls process `pid` makes while `ms` of device time pass.
inline std::map<std::string, uint64_t> CallsDuring(sim::Device &d, uint32_t pid, uint64_t ms) {
    std::map<std::string, uint64_t> before = d.Calls(pid);
    d.Wait(ms);
    return CallsSince(d, pid, before);
}

// The number of calls in a map of calls by name.
inline uint64_t Total(const std::map<std::string, uint64_t> &calls) {
    uint64_t n = 0;
    for (const auto &entry : calls)
        n += entry.second;
    return n;
}

// Runs `body` on a thread of a process inside the device and lets device
// time pass until that process has ended.
inline void RunInside(sim::Device &d, const std::function<void()> &body,
                      const std::string &imageName = "") {
    if (!imageName.empty())
        sim::AddPackagePrograms(d);
    uint32_t pid = d.StartFunction(
        u"\\Temp\\probe.exe",
        [&body] {
            body();
            return 0u;
        },
        imageName);
    for (int i = 0; i < 1000 && d.ExitCode(pid) == STILL_ACTIVE; ++i)
        d.Wait(i == 0 ? 0 : 100);
}

// A 24-bit bottom-up BMP file; pixel(x, y) gives each pixel's COLORREF,
// y counted from the top.
inline std::vector<uint8_t> MakeBmp24(int width, int height,
                                      const std::function<uint32_t(int, int)> &pixel) {
    uint32_t stride = (uint32_t(width) * 3 + 3) & ~3u;
    uint32_t dataSize = stride * uint32_t(height);
    std::vector<uint8_t> f;
    auto put16 = [&](uint32_t v) { f.push_back(uint8_t(v)), f.push_back(uint8_t(v >> 8)); };
    auto put32 = [&](uint32_t v) { put16(v & 0xFFFF), put16(v >> 16); };
    f.push_back('B');
    f.push_back('M');
    put32(54 + dataSize), put32(0), put32(54);
    put32(40), put32(uint32_t(width)), put32(uint32_t(height)), put16(1), put16(24), put32(0);
    put32(dataSize), put32(3780), put32(3780), put32(0), put32(0);
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; ++x) {
            uint32_t c = pixel(x, y);
            f.push_back(uint8_t(c >> 16)), f.push_back(uint8_t(c >> 8)), f.push_back(uint8_t(c));
        }
        for (uint32_t pad = uint32_t(width) * 3; pad < stride; ++pad)
            f.push_back(0);
    }
    return f;
}

// The cursor window's rectangle on the screen.
inline sim::Rect CursorRect(sim::Device &d) {
    std::optional<sim::WindowInfo> c = d.FindTopmost(kCursorClass);
    return c ? c->rect : sim::Rect{-1, -1, -1, -1};
}

// Lets `ms` pass one millisecond at a time and returns every move of the
// cursor as (dx, dy).
inline std::vector<std::pair<int, int>> Moves(sim::Device &d, uint64_t ms) {
    std::vector<std::pair<int, int>> moves;
    sim::Rect last = CursorRect(d);
    for (uint64_t i = 0; i < ms; ++i) {
        d.Wait(1);
        sim::Rect now = CursorRect(d);
        if (now.left != last.left || now.top != last.top)
            moves.emplace_back(now.left - last.left, now.top - last.top);
        last = now;
    }
    return moves;
}

inline std::vector<int> Dx(const std::vector<std::pair<int, int>> &moves) {
    std::vector<int> out;
    for (auto m : moves)
        out.push_back(m.first);
    return out;
}

// After a pause, the first step of a fresh press of VK_LEFT (0 when none came).
inline int FirstStepOfTheNextPress(sim::Device &d) {
    d.Wait(200);
    d.Key(VK_LEFT, false);
    std::vector<int> dx = Dx(Moves(d, 50));
    d.Key(VK_LEFT, true);
    return dx.empty() ? 0 : dx[0];
}

// The top-level windows' classes, top of the z-order first.
inline std::vector<std::u16string> ZOrder(sim::Device &d) {
    std::vector<std::u16string> classes;
    for (const sim::WindowInfo &w : d.TopLevelWindows())
        classes.push_back(w.className);
    return classes;
}

// Drags the cursor by its hot spot to (x, y), as a user's stylus would.
inline void DragCursorTo(sim::Device &d, int x, int y) {
    sim::Rect c = CursorRect(d);
    d.StylusDown(c.left, c.top);
    d.Wait(10);
    d.StylusMove(x, y);
    d.Wait(10);
    d.StylusUp(x, y);
    d.Wait(10);
}

// The events of the trace whose text begins with `prefix`.
inline std::vector<sim::TraceEvent> EventsStarting(const sim::Device &d,
                                                   const std::string &prefix) {
    std::vector<sim::TraceEvent> out;
    for (const sim::TraceEvent &e : d.Trace())
        if (e.text.rfind(prefix, 0) == 0)
            out.push_back(e);
    return out;
}

} // namespace test
