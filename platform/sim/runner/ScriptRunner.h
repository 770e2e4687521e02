// DeviceSim: the device-script runner. Reads a script, drives one simulated
// device with it and prints what happened, line by line.
#pragma once

#include <functional>
#include <iosfwd>
#include <string>

namespace sim {

// Exit statuses of a run.
enum ScriptResult { kScriptDone = 0, kScriptExpectFailed = 1, kScriptError = 2 };

class Device;

ScriptResult RunScript(std::istream &script, std::ostream &out);
// The same, with `prepare` given the device before the first line, so that
// tests can add programs of their own.
ScriptResult RunScript(std::istream &script, std::ostream &out,
                       const std::function<void(Device &)> &prepare);

} // namespace sim
