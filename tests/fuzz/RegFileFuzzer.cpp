// Fuzzes the import of REGEDIT4 text. Whatever a registry holds after an
// import must survive its own export: exported text imports cleanly into an
// empty registry and exports again to the very same text.
#include "kernel/Registry.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace {

const char16_t *const kRoots[] = {u"HKEY_LOCAL_MACHINE", u"HKEY_CURRENT_USER", u"HKEY_CLASSES_ROOT",
                                  u"HKEY_USERS"};

std::string ExportOf(const sim::Registry &registry, const char16_t *root) {
    std::optional<std::string> text = registry.Export(root);
    if (!text)
        __builtin_trap(); // a root always exists
    return *text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    sim::Registry registry;
    sim::RegImportResult result =
        registry.Import(std::string_view(reinterpret_cast<const char *>(data), size));
    if (!result.ok) {
        if (result.message.empty() || result.line == 0)
            __builtin_trap(); // a refusal names the line and says why
        return 0;
    }
    // Each root exports as a file of its own, with its own header.
    sim::Registry copy;
    for (const char16_t *root : kRoots) {
        const std::string first = ExportOf(registry, root);
        if (!copy.Import(first).ok)
            __builtin_trap(); // the registry's own export was refused
        if (ExportOf(copy, root) != first)
            __builtin_trap(); // export -> import -> export changed the text
    }
    return 0;
}
