// DeviceSim: the layout of a compiled resource file (.res) — its entries and
// the blocks of its string tables — read without trusting a single length.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sim {

struct ResourceEntry {
    const uint8_t *header; // what an HRSRC points at
    const uint8_t *data;
    uint32_t size;
    uint16_t typeId, nameId; // 0 when named by a string
    std::u16string typeName, name;
};

// The entries of a .res file, stopping at the first malformed one.
std::vector<ResourceEntry> ReadResourceEntries(const uint8_t *res, size_t size);

// String `index` (0 to 15) of a string-table block: 16 strings, each a
// 16-bit length and that many UTF-16 units without a terminator. Nothing
// when the string is empty (an unused id) or the block is cut short.
std::optional<std::u16string> StringInBlock(const uint8_t *block, size_t size, unsigned index);

} // namespace sim
