// DeviceSim: the device-script runner. Reads a script, drives one simulated
// device with it and prints what happened, line by line.
#pragma once

#include <iosfwd>
#include <string>

namespace sim {

// Exit statuses of a run.
enum ScriptResult { kScriptDone = 0, kScriptExpectFailed = 1, kScriptError = 2 };

ScriptResult RunScript(std::istream &script, std::ostream &out);

} // namespace sim
