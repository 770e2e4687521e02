// devicesim: runs device scripts.  Usage: devicesim run FILE
#include "ScriptRunner.h"
#include "gdi/Font.h"

#include <fstream>
#include <iostream>
#include <string>

int main(int argc, char **argv) {
    if (argc != 3 || std::string(argv[1]) != "run") {
        std::cerr << "usage: devicesim run FILE\n";
        return sim::kScriptError;
    }
    std::ifstream script(argv[2]);
    if (!script) {
        std::cerr << "devicesim: cannot read " << argv[2] << "\n";
        return sim::kScriptError;
    }
    // A device cannot draw without its font; say which package brings it
    // before any script line runs.
    std::string why;
    if (!sim::LoadFonts(&why)) {
        std::cerr << "devicesim: " << why << "\n";
        return sim::kScriptError;
    }
    return sim::RunScript(script, std::cout);
}
