// Fuzzes the reading of dialog templates, standard and extended, as a
// program's resources hold them.
#include "user/DialogTemplate.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    sim::DialogTemplate t;
    std::string why;
    if (!sim::ParseDialogTemplate(data, size, &t, &why)) {
        if (why.empty())
            __builtin_trap(); // a refusal always says why
        return 0;
    }
    // Creation data handed to a control must lie inside the template.
    for (const sim::TemplateItem &item : t.items)
        if (item.creationData &&
            (item.creationData < data || item.creationData + 2 + item.creationSize > data + size))
            __builtin_trap();
    return 0;
}
