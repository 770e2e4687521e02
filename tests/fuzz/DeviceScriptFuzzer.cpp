// Fuzzes the device-script runner: each input is a script, parsed and run on
// a new device. Scripts that would run for long in simulated time (large
// numbers) or write to the host's disk (screenshots) are skipped, so each
// run stays short.
#include "ScriptRunner.h"

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

namespace {

bool Bounded(const std::string &text) {
    if (text.size() > 2048 || text.find("screenshot") != std::string::npos)
        return false;
    // No number above 20000: waits, clock settings and hold times stay short.
    for (size_t i = 0; i < text.size();) {
        if (!std::isxdigit(static_cast<unsigned char>(text[i]))) {
            ++i;
            continue;
        }
        size_t end = i;
        while (end < text.size() && (std::isalnum(static_cast<unsigned char>(text[end]))))
            ++end;
        std::string word = text.substr(i, end - i);
        if (word.size() > 5 || std::strtoull(word.c_str(), nullptr, 0) > 20000)
            if (std::isdigit(static_cast<unsigned char>(word[0])))
                return false;
        i = end;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    std::string text(reinterpret_cast<const char *>(data), size);
    if (!Bounded(text))
        return -1; // not added to the corpus
    std::istringstream script(text);
    std::ostringstream out;
    sim::ScriptResult result = sim::RunScript(script, out);
    if (result != sim::kScriptDone && result != sim::kScriptExpectFailed &&
        result != sim::kScriptError)
        __builtin_trap();
    return 0;
}
