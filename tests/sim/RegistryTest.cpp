#include "kernel/Registry.h"
#include "support/Bytes.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace sim {
namespace {

using test::Utf16;
using test::Utf16z;

RegKeyRef MustCreate(Registry &reg, std::u16string_view path) {
    RegKeyRef key;
    EXPECT_EQ(reg.CreateKeyPath(path, &key), RegStatus::Ok);
    return key;
}

std::string ExportOf(const Registry &reg, std::u16string_view path) {
    auto text = reg.Export(path);
    return text ? *text : "<missing>";
}

TEST(Registry, NamesIgnoreCaseAndKeepTheirSpelling) {
    Registry reg;
    bool created = false;
    RegKeyRef key;
    ASSERT_EQ(reg.CreateKey(reg.Root(RegRoot::LocalMachine), u"Software\\Quorvane", &key, &created),
              RegStatus::Ok);
    EXPECT_TRUE(created);
    RegKeyRef again;
    ASSERT_EQ(
        reg.CreateKey(reg.Root(RegRoot::LocalMachine), u"SOFTWARE\\quorvane", &again, &created),
        RegStatus::Ok);
    EXPECT_FALSE(created);
    EXPECT_EQ(again, key);
    EXPECT_EQ(key->Path(), u"HKEY_LOCAL_MACHINE\\Software\\Quorvane");
    EXPECT_EQ(reg.FindKey(u"hklm\\software\\QUORVANE"), key);

    ASSERT_EQ(reg.SetValue(key, u"Speed", REG_DWORD, std::vector<uint8_t>{1, 0, 0, 0}),
              RegStatus::Ok);
    ASSERT_EQ(reg.SetValue(key, u"SPEED", REG_DWORD, std::vector<uint8_t>{2, 0, 0, 0}),
              RegStatus::Ok);
    ASSERT_EQ(key->Values().size(), 1u);
    EXPECT_EQ(key->Values()[0].name, u"Speed");
    EXPECT_EQ(key->Values()[0].data, (std::vector<uint8_t>{2, 0, 0, 0}));
}

TEST(Registry, EnumerationOrder) {
    Registry reg;
    RegKeyRef key = MustCreate(reg, u"HKCU\\K");
    for (auto name : {u"beta", u"Alpha", u"_under", u"gamma", u"ALPHA2"})
        ASSERT_EQ(reg.CreateKey(key, name, nullptr), RegStatus::Ok);
    std::vector<std::u16string> subkeys;
    for (const auto &sub : key->Subkeys())
        subkeys.push_back(sub->Name());
    EXPECT_EQ(subkeys,
              (std::vector<std::u16string>{u"Alpha", u"ALPHA2", u"beta", u"gamma", u"_under"}));

    for (auto name : {u"z", u"a", u"", u"m"})
        ASSERT_EQ(reg.SetValue(key, name, REG_BINARY, {}), RegStatus::Ok);
    ASSERT_EQ(reg.SetValue(key, u"A", REG_DWORD, std::vector<uint8_t>{1, 2, 3, 4}), RegStatus::Ok);
    ASSERT_EQ(reg.DeleteValue(key, u"z"), RegStatus::Ok);
    std::vector<std::u16string> values;
    for (const auto &value : key->Values())
        values.push_back(value.name);
    EXPECT_EQ(values, (std::vector<std::u16string>{u"a", u"", u"m"}));
}

TEST(Registry, RejectsBadNamesWithoutCreatingAnything) {
    const std::u16string longest(Registry::kMaxNameLength, u'k');
    struct Case {
        std::u16string subPath;
        RegStatus expected;
    } cases[] = {
        {longest, RegStatus::Ok},
        {longest + u"k", RegStatus::InvalidName},
        {u"a\\\\b", RegStatus::InvalidName},
        {u"\\a", RegStatus::InvalidName},
        {u"a\\", RegStatus::InvalidName},
        {u"ok\\tab\there", RegStatus::InvalidName},
        {std::u16string(u"half") + char16_t(0xD800), RegStatus::InvalidName},
        {std::u16string(1, char16_t(0xDC00)), RegStatus::InvalidName},
        {u"pair\U0001F600", RegStatus::Ok},
    };
    for (const auto &c : cases) {
        Registry reg;
        RegKeyRef root = reg.Root(RegRoot::Users);
        EXPECT_EQ(reg.CreateKey(root, c.subPath, nullptr), c.expected);
        if (c.expected != RegStatus::Ok) {
            EXPECT_TRUE(root->Subkeys().empty());
        }
    }

    Registry reg;
    RegKeyRef key = MustCreate(reg, u"HKLM\\V");
    EXPECT_EQ(reg.SetValue(key, longest, REG_SZ, {}), RegStatus::Ok);
    EXPECT_EQ(reg.SetValue(key, longest + u"v", REG_SZ, {}), RegStatus::InvalidName);
    EXPECT_EQ(reg.SetValue(key, u"line\nbreak", REG_SZ, {}), RegStatus::InvalidName);

    RegKeyRef deep = reg.Root(RegRoot::LocalMachine);
    for (size_t i = 0; i < Registry::kMaxDepth; ++i)
        ASSERT_EQ(reg.CreateKey(deep, u"d", &deep), RegStatus::Ok);
    EXPECT_EQ(reg.CreateKey(deep, u"d", nullptr), RegStatus::InvalidName);
    EXPECT_EQ(reg.DeleteKeyPath(u"HKLM\\d"), RegStatus::Ok);
}

TEST(Registry, DeletingAKeyDeletesItsSubtreeAndStrandsReferences) {
    Registry reg;
    RegKeyRef a = MustCreate(reg, u"HKLM\\A");
    RegKeyRef b = MustCreate(reg, u"HKLM\\A\\B\\C");
    ASSERT_EQ(reg.DeleteKey(reg.Root(RegRoot::LocalMachine), u"a"), RegStatus::Ok);
    EXPECT_TRUE(a->Deleted());
    EXPECT_TRUE(b->Deleted());
    EXPECT_EQ(reg.FindKey(u"HKLM\\A"), nullptr);

    const RegValue *value;
    EXPECT_EQ(reg.SetValue(b, u"x", REG_SZ, {}), RegStatus::KeyDeleted);
    EXPECT_EQ(reg.QueryValue(b, u"x", &value), RegStatus::KeyDeleted);
    EXPECT_EQ(reg.CreateKey(b, u"D", nullptr), RegStatus::KeyDeleted);
    RegKeyRef opened;
    EXPECT_EQ(reg.OpenKey(a, u"", &opened), RegStatus::KeyDeleted);

    RegKeyRef fresh = MustCreate(reg, u"HKLM\\A\\B\\C");
    EXPECT_NE(fresh, b);
    EXPECT_TRUE(b->Deleted());
    EXPECT_EQ(b->Path(), u"C");

    EXPECT_EQ(reg.DeleteKeyPath(u"HKLM\\A\\missing"), RegStatus::NotFound);
    EXPECT_EQ(reg.DeleteKeyPath(u"HKEY_LOCAL_MACHINE"), RegStatus::AccessDenied);
    EXPECT_EQ(reg.DeleteKey(reg.Root(RegRoot::LocalMachine), u""), RegStatus::InvalidName);
}

TEST(Registry, KeepsValueBytesExactlyAsWritten) {
    Registry reg;
    RegKeyRef key = MustCreate(reg, u"HKLM\\V");
    const std::vector<uint8_t> odd{'a', 0, 'b'};
    ASSERT_EQ(reg.SetValue(key, u"odd", REG_SZ, odd), RegStatus::Ok);
    const RegValue *value = nullptr;
    ASSERT_EQ(reg.QueryValue(key, u"ODD", &value), RegStatus::Ok);
    EXPECT_EQ(value->type, REG_SZ);
    EXPECT_EQ(value->data, odd);
    EXPECT_EQ(reg.QueryValue(key, u"missing", &value), RegStatus::NotFound);

    // A value rewritten from its own bytes must not read freed memory.
    ASSERT_EQ(reg.SetValue(key, u"odd", REG_BINARY, key->FindValue(u"odd")->data), RegStatus::Ok);
    EXPECT_EQ(key->FindValue(u"odd")->data, odd);
}

TEST(Registry, ExportsEveryTypeInRegeditForm) {
    Registry reg;
    RegKeyRef key = MustCreate(reg, u"HKLM\\SOFTWARE\\Quorvane\\Pointrel");
    reg.SetValue(key, u"", REG_SZ, Utf16z(u"default"));
    reg.SetValue(key, u"Path", REG_SZ, Utf16z(u"\\Program Files\\\"P\""));
    reg.SetValue(key, u"Speed", REG_DWORD, std::vector<uint8_t>{0x1c, 0, 0, 0});
    reg.SetValue(key, u"Bin", REG_BINARY, std::vector<uint8_t>{0x1c, 0, 0xff});
    reg.SetValue(key, u"Empty", REG_BINARY, {});
    reg.SetValue(key, u"Exp", REG_EXPAND_SZ, Utf16z(u"%T%"));
    reg.SetValue(key, u"Multi", REG_MULTI_SZ, std::vector<uint8_t>{'a', 0, 0, 0, 0, 0});
    reg.SetValue(key, u"Odd", REG_SZ, std::vector<uint8_t>{'a', 0, 0});
    reg.SetValue(key, u"Unterminated", REG_SZ, Utf16(u"ab"));
    reg.SetValue(key, u"Inner", REG_SZ, Utf16z(std::u16string(u"a\0b", 3)));
    reg.SetValue(key, u"Tab", REG_SZ, Utf16z(u"a\tb"));
    reg.SetValue(key, u"Short", REG_DWORD, std::vector<uint8_t>{1, 2});
    // 0xb: a type DeviceSim's headers do not name (REG_QWORD on desktop Windows).
    reg.SetValue(key, u"Q\\\"", 0xb, std::vector<uint8_t>{1, 0, 0, 0, 0, 0, 0, 0});
    reg.SetValue(key, u"None", REG_NONE, {});
    reg.SetValue(key, u"Caf\u00e9", REG_SZ, Utf16z(u"\u00e9\U0001F600"));
    MustCreate(reg, u"HKLM\\SOFTWARE\\Quorvane\\Pointrel\\Sub");

    EXPECT_EQ(ExportOf(reg, u"HKLM\\software\\quorvane\\pointrel"),
              "REGEDIT4\n"
              "\n"
              "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Quorvane\\Pointrel]\n"
              "@=\"default\"\n"
              "\"Path\"=\"\\\\Program Files\\\\\\\"P\\\"\"\n"
              "\"Speed\"=dword:0000001c\n"
              "\"Bin\"=hex:1c,00,ff\n"
              "\"Empty\"=hex:\n"
              "\"Exp\"=hex(2):25,00,54,00,25,00,00,00\n"
              "\"Multi\"=hex(7):61,00,00,00,00,00\n"
              "\"Odd\"=hex(1):61,00,00\n"
              "\"Unterminated\"=hex(1):61,00,62,00\n"
              "\"Inner\"=hex(1):61,00,00,00,62,00,00,00\n"
              "\"Tab\"=hex(1):61,00,09,00,62,00,00,00\n"
              "\"Short\"=hex(4):01,02\n"
              "\"Q\\\\\\\"\"=hex(b):01,00,00,00,00,00,00,00\n"
              "\"None\"=hex(0):\n"
              "\"Caf\xc3\xa9\"=\"\xc3\xa9\xf0\x9f\x98\x80\"\n"
              "\n"
              "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Quorvane\\Pointrel\\Sub]\n"
              "\n");
    EXPECT_FALSE(reg.Export(u"HKLM\\SOFTWARE\\Missing").has_value());
    EXPECT_FALSE(reg.Export(u"HKEY_NOWHERE").has_value());
}

TEST(Registry, LongHexListsWrapWithinEightyColumns) {
    Registry reg;
    RegKeyRef key = MustCreate(reg, u"HKCU\\W");
    std::vector<uint8_t> bytes(100);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = uint8_t(i);
    reg.SetValue(key, u"Blob", REG_BINARY, bytes);
    reg.SetValue(key, std::u16string(90, u'n'), REG_BINARY, std::vector<uint8_t>{1, 2});
    std::string text = ExportOf(reg, u"HKCU\\W");
    size_t start = 0, continued = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        std::string line = text.substr(start, end - start);
        if (line.find(std::string(90, 'n')) == std::string::npos) {
            EXPECT_LE(line.size(), 80u) << line;
        }
        if (!line.empty() && line.back() == '\\')
            ++continued;
        start = end + 1;
    }
    EXPECT_GE(continued, 3u);

    Registry copy;
    ASSERT_TRUE(copy.Import(text).ok);
    EXPECT_EQ(copy.FindKey(u"HKCU\\W")->FindValue(u"Blob")->data, bytes);
    EXPECT_EQ(ExportOf(copy, u"HKCU\\W"), text);
}

TEST(Registry, ImportAppliesSectionsValuesAndDeletions) {
    Registry reg;
    MustCreate(reg, u"HKLM\\Old\\Child");
    RegKeyRef keep = MustCreate(reg, u"HKLM\\Keep");
    reg.SetValue(keep, u"Gone", REG_SZ, Utf16z(u"x"));
    reg.SetValue(keep, u"Stays", REG_SZ, Utf16z(u"y"));

    RegImportResult result = reg.Import("REGEDIT4\r\n"
                                        "\r\n"
                                        "; a comment\r\n"
                                        "[-HKEY_LOCAL_MACHINE\\Old]\r\n"
                                        "[-HKEY_LOCAL_MACHINE\\NeverThere]\r\n"
                                        "[HKEY_LOCAL_MACHINE\\Keep]\r\n"
                                        "\"Gone\"=-\r\n"
                                        "\"Missing\"=-\r\n"
                                        "[HKEY_CURRENT_USER\\New\\Deep]\r\n"
                                        "@=\"d\"\r\n"
                                        "  \"Spaced\" = dword:1C  \r\n"
                                        "\"Bytes\"=hex:01,02,\\\r\n"
                                        "  03,\\\r\n"
                                        "    04\r\n"
                                        "\"Typed\"=HEX(2):41,00,00,00\r\n");
    ASSERT_TRUE(result.ok) << result.line << ": " << result.message;
    EXPECT_EQ(reg.FindKey(u"HKLM\\Old"), nullptr);
    EXPECT_EQ(keep->FindValue(u"Gone"), nullptr);
    EXPECT_NE(keep->FindValue(u"Stays"), nullptr);
    RegKeyRef deep = reg.FindKey(u"HKCU\\New\\Deep");
    ASSERT_NE(deep, nullptr);
    EXPECT_EQ(deep->FindValue(u"")->data, Utf16z(u"d"));
    EXPECT_EQ(deep->FindValue(u"Spaced")->data, (std::vector<uint8_t>{0x1c, 0, 0, 0}));
    EXPECT_EQ(deep->FindValue(u"Bytes")->data, (std::vector<uint8_t>{1, 2, 3, 4}));
    EXPECT_EQ(deep->FindValue(u"Typed")->type, REG_EXPAND_SZ);
}

TEST(Registry, MalformedImportReportsTheLineAndChangesNothing) {
    struct Case {
        const char *text;
        size_t line;
        const char *message;
    } cases[] = {
        {"", 1, "REGEDIT4"},
        {"Windows Registry Editor Version 5.00\n", 1, "REGEDIT4"},
        {"REGEDIT4\n\"a\"=\"b\"\n", 2, "before the first key"},
        {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A\n", 2, "must end with ]"},
        {"REGEDIT4\n[HKEY_NOWHERE\\A]\n", 2, "root key"},
        {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\]\n", 2, "root key"},
        {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A\\\\B]\n", 2, "empty"},
        {"REGEDIT4\n[-HKEY_LOCAL_MACHINE]\n", 2, "root key cannot be deleted"},
        {"REGEDIT4\n[-HKEY_LOCAL_MACHINE\\A]\n\"v\"=\"x\"\n", 3, "deletes"},
        {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"v\"=\"x\n", 3, "unterminated"},
        {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"v\"=\"x\\n\"\n", 3, "escaped"},
        {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"v\"=\"x\" junk\n", 3, "after the closing quote"},
        {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"v\" \"x\"\n", 3, "expected ="},
        {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"v\n", 3, "value name"},
        {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"v\"=dword:123456789\n", 3, "dword"},
        {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"v\"=dword:\n", 3, "dword"},
        {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"v\"=dword:12g4\n", 3, "dword"},
        {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"v\"=hex:1,2x\n", 3, "hex data"},
        {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"v\"=hex:100\n", 3, "hex data"},
        {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"v\"=hex:01,,02\n", 3, "hex data"},
        {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"v\"=hex:01,\n", 3, "hex data"},
        {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"v\"=hex(zz):01\n", 3, "hex type"},
        {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"v\"=hex(2:01\n", 3, "hex type"},
        {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"v\"=hex 01\n", 3, "expected :"},
        {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"v\"=hex:01,\\\n02,\\", 3, "past the end"},
        {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"v\"=hex:01,\\\n  zz\n", 3, "hex data"},
        {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"v\"=qword:1\n", 3, "unrecognised"},
        {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\nname=\"x\"\n", 3, "expected a [key]"},
        {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"v\"=\"\xff\"\n", 3, "UTF-8"},
        {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\\xc0\xaf]\n", 2, "UTF-8"},
        {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"v\t\"=\"x\"\n", 3, "control"},
        // The good entries before and after a bad one are not applied either.
        {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"ok\"=\"1\"\n\"bad\"=dword:x\n\"ok2\"=\"2\"\n", 4,
         "dword"},
    };
    for (const auto &c : cases) {
        Registry reg;
        RegKeyRef existing = MustCreate(reg, u"HKLM\\A");
        reg.SetValue(existing, u"v", REG_SZ, Utf16z(u"before"));
        std::string before = ExportOf(reg, u"HKLM");
        RegImportResult result = reg.Import(c.text);
        EXPECT_FALSE(result.ok) << c.text;
        EXPECT_EQ(result.line, c.line) << c.text;
        EXPECT_NE(result.message.find(c.message), std::string::npos)
            << c.text << " -> " << result.message;
        EXPECT_EQ(ExportOf(reg, u"HKLM"), before) << c.text;
    }

    Registry reg;
    std::string overLong = "REGEDIT4\n[HKEY_USERS\\" + std::string(256, 'k') + "]\n";
    EXPECT_EQ(reg.Import(overLong).line, 2u);
    std::string overLongName = "REGEDIT4\n[HKEY_USERS\\K]\n\"" + std::string(256, 'v') + "\"=-\n";
    EXPECT_EQ(reg.Import(overLongName).line, 3u);
    EXPECT_TRUE(reg.Root(RegRoot::Users)->Subkeys().empty());
}

TEST(Registry, ExportImportExportIsIdentical) {
    Registry reg;
    RegKeyRef a = MustCreate(reg, u"HKCU\\Round");
    reg.SetValue(a, u"", REG_SZ, Utf16z(u""));
    reg.SetValue(a, u"zeta", REG_SZ, Utf16z(u"back\\slash \"quoted\" \u00fc\U0001F600"));
    reg.SetValue(a, u"alpha", REG_DWORD, std::vector<uint8_t>{0xff, 0xff, 0xff, 0xff});
    reg.SetValue(a, u"odd", REG_SZ, std::vector<uint8_t>{1});
    reg.SetValue(a, u"lone", REG_SZ, Utf16z(std::u16string(1, char16_t(0xD800))));
    reg.SetValue(a, u"[x]=@;", REG_BINARY, std::vector<uint8_t>(200, 0xab));
    reg.SetValue(a, u"big type", 0xffffffff, {});
    RegKeyRef b = MustCreate(reg, u"HKCU\\Round\\b]]\\c ; d");
    reg.SetValue(b, u"e", REG_MULTI_SZ, Utf16z(u"x"));
    MustCreate(reg, u"HKCU\\Round\\A");

    std::string first = ExportOf(reg, u"HKCU\\Round");
    Registry copy;
    RegImportResult result = copy.Import(first);
    ASSERT_TRUE(result.ok) << result.line << ": " << result.message;
    EXPECT_EQ(ExportOf(copy, u"HKCU\\Round"), first);
    EXPECT_EQ(copy.FindKey(u"HKCU\\Round")->FindValue(u"lone")->data, a->FindValue(u"lone")->data);

    ASSERT_TRUE(reg.Import(first).ok);
    EXPECT_EQ(ExportOf(reg, u"HKCU\\Round"), first);
}

} // namespace
} // namespace sim
