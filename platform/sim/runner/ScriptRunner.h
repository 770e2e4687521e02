// DeviceSim: the device-script runner. Reads a script, drives one simulated
// device with it and prints what happened, line by line.
#pragma once

#include <functional>
#include <iosfwd>
#include <string>

namespace sim {

class Device;

// Exit statuses of a run.
enum ScriptResult { kScriptDone = 0, kScriptExpectFailed = 1, kScriptError = 2 };

// What a tool on top of the runner (the tour, the emulator) hears of a run.
struct ScriptHooks {
    // Before the first line, with the device the script will drive.
    std::function<void(Device &)> begin;
    // Before each line of the script, comments and empty lines included.
    std::function<void(const std::string &line)> line;
    // After the last line that ran (the script's end, or the line that
    // stopped it), with the outcome; the device is still there, to be handed
    // on.
    std::function<void(Device &, int result)> end;
};

ScriptResult RunScript(std::istream &script, std::ostream &out, const ScriptHooks &hooks = {});

} // namespace sim
