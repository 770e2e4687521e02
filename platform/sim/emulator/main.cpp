// devicesim: the simulated Pocket PC from the command line.
//   devicesim run FILE            runs a device script and prints what happened
//   devicesim tour SCRIPT FOLDER  films a device script headless into FOLDER
//   devicesim show [SCRIPT]       opens the emulator window, after SCRIPT
#include "device/Device.h"
#include "emulator/EmulatorWindow.h"
#include "emulator/Tour.h"
#include "gdi/Font.h"
#include "runner/ScriptRunner.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

namespace {

constexpr const char *kUsage = "usage: devicesim run FILE | tour SCRIPT FOLDER | show [SCRIPT]\n";

// What the emulator shows when it is given no script: the package installed
// and the cursor program running.
constexpr const char *kShowDefault = "install\n"
                                     "start \"\\Program Files\\Pointrel\\Pointrel.exe\"\n"
                                     "wait 500\n";

int Show(std::istream &script) {
    int shown = 0;
    sim::ScriptHooks hooks;
    hooks.end = [&](sim::Device &device, int result) {
        if (result == sim::kScriptDone)
            shown = sim::RunEmulatorWindow(device, std::cerr);
    };
    sim::ScriptResult result = sim::RunScript(script, std::cout, hooks);
    return result != sim::kScriptDone ? result : shown;
}

} // namespace

int main(int argc, char **argv) {
    std::string verb = argc > 1 ? argv[1] : "";
    bool known = (verb == "run" && argc == 3) || (verb == "tour" && argc == 4) ||
                 (verb == "show" && (argc == 2 || argc == 3));
    if (!known) {
        std::cerr << kUsage;
        return sim::kScriptError;
    }
    // A device cannot draw without its font; say which package brings it
    // before any script line runs.
    std::string why;
    if (!sim::LoadFonts(&why)) {
        std::cerr << "devicesim: " << why << "\n";
        return sim::kScriptError;
    }
    if (verb == "tour")
        return sim::RunTour(argv[2], argv[3], std::cout);
    if (verb == "show" && argc == 2) {
        std::istringstream script(kShowDefault);
        return Show(script);
    }
    std::error_code error;
    if (std::filesystem::is_directory(argv[2], error)) {
        std::cerr << "devicesim: " << argv[2] << " is a folder, not a script\n";
        return sim::kScriptError;
    }
    std::ifstream script(argv[2]);
    if (!script) {
        std::cerr << "devicesim: cannot read " << argv[2] << "\n";
        return sim::kScriptError;
    }
    return verb == "show" ? Show(script) : sim::RunScript(script, std::cout);
}
