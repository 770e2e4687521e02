// Test helpers: the bytes of registry values and files as the platform
// stores them, little-endian.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace test {

// A 32-bit value's four bytes, as REG_DWORD data holds them.
inline std::vector<uint8_t> Le32(int64_t value) {
    uint32_t v = static_cast<uint32_t>(value);
    return {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
}

// UTF-16 text's bytes without a terminator.
inline std::vector<uint8_t> Utf16(std::u16string_view text) {
    std::vector<uint8_t> bytes;
    for (char16_t c : text) {
        bytes.push_back(uint8_t(c & 0xFF));
        bytes.push_back(uint8_t(c >> 8));
    }
    return bytes;
}

// UTF-16 text's bytes with its terminator, as REG_SZ data holds them.
inline std::vector<uint8_t> Utf16z(std::u16string_view text) {
    std::vector<uint8_t> bytes = Utf16(text);
    bytes.insert(bytes.end(), {0, 0});
    return bytes;
}

} // namespace test
