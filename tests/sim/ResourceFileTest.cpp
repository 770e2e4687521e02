// The .res reader on its own: entries found up to the first malformed one,
// and string-table blocks read within their size.
#include "kernel/ResourceFile.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

using namespace sim;

namespace {

void Put16(std::vector<uint8_t> &b, uint16_t v) {
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}
void Put32(std::vector<uint8_t> &b, uint32_t v) {
    Put16(b, uint16_t(v));
    Put16(b, uint16_t(v >> 16));
}

// One entry named by ordinals, with its data, padded to four bytes.
void AddEntry(std::vector<uint8_t> &res, uint16_t type, uint16_t name,
              const std::vector<uint8_t> &data) {
    Put32(res, uint32_t(data.size()));
    Put32(res, 32); // header: sizes, two ordinals, then 16 bytes of fields
    Put16(res, 0xFFFF), Put16(res, type), Put16(res, 0xFFFF), Put16(res, name);
    res.resize(res.size() + 16);
    res.insert(res.end(), data.begin(), data.end());
    while (res.size() % 4)
        res.push_back(0);
}

std::vector<uint8_t> Block(const std::vector<std::u16string> &strings) {
    std::vector<uint8_t> b;
    for (const std::u16string &s : strings) {
        Put16(b, uint16_t(s.size()));
        for (char16_t c : s)
            Put16(b, c);
    }
    return b;
}

} // namespace

TEST(ResourceFile, EntriesStopAtTheFirstMalformedOne) {
    std::vector<uint8_t> good;
    AddEntry(good, 6, 1, Block({u"a", u"bc"}));
    AddEntry(good, 5, 100, {1, 2, 3});
    struct Case {
        const char *what;
        std::vector<uint8_t> bytes;
        size_t entries;
    };
    std::vector<uint8_t> dataPastEnd = good;
    dataPastEnd[good.size() - 36] = 0xFF; // second entry's data size
    std::vector<uint8_t> headerPastEnd = good;
    headerPastEnd[good.size() - 36 + 4] = 0xFF; // second entry's header size
    std::vector<uint8_t> tinyHeader = good;
    tinyHeader[good.size() - 36 + 4] = 4;
    // No data, a header of 12 bytes whose type name runs to its end.
    const std::vector<uint8_t> unterminatedName = {0, 0, 0, 0, 12, 0, 0, 0, 'A', 0, 'B', 0};
    const Case cases[] = {
        {"two whole entries", good, 2},
        {"cut inside the second entry's data", {good.begin(), good.end() - 2}, 1},
        {"data size past the end", dataPastEnd, 1},
        {"header size past the end", headerPastEnd, 1},
        {"header smaller than its sizes", tinyHeader, 1},
        {"name without its terminator", unterminatedName, 0},
        {"fewer bytes than a header's sizes", {1, 2, 3}, 0},
        {"empty", {}, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<ResourceEntry> entries = ReadResourceEntries(c.bytes.data(), c.bytes.size());
        ASSERT_EQ(entries.size(), c.entries);
        for (const ResourceEntry &e : entries) {
            EXPECT_GE(e.data, c.bytes.data());
            EXPECT_LE(e.data + e.size, c.bytes.data() + c.bytes.size());
        }
    }
    std::vector<ResourceEntry> entries = ReadResourceEntries(good.data(), good.size());
    EXPECT_EQ(entries[1].typeId, 5);
    EXPECT_EQ(entries[1].nameId, 100);
    EXPECT_EQ(entries[1].size, 3u);
}

TEST(ResourceFile, StringsAreReadWithinTheirBlock) {
    std::vector<uint8_t> block = Block({u"a", u"", u"xyz"});
    std::vector<uint8_t> overlong = Block({u"a"});
    overlong[0] = 9; // says nine units, holds one
    struct Case {
        const char *what;
        const std::vector<uint8_t> &bytes;
        unsigned index;
        std::optional<std::u16string> text;
    };
    const Case cases[] = {
        {"first", block, 0, u"a"},
        {"empty marks an unused id", block, 1, std::nullopt},
        {"after an empty one", block, 2, u"xyz"},
        {"past the strings the block holds", block, 3, std::nullopt},
        {"length past the block's end", overlong, 0, std::nullopt},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(StringInBlock(c.bytes.data(), c.bytes.size(), c.index), c.text);
    }
}
