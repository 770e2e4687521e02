#include "kernel/FileSystem.h"

#include <gtest/gtest.h>

namespace sim {
namespace {

std::vector<uint8_t> Bytes(std::string_view s) {
    return std::vector<uint8_t>(s.begin(), s.end());
}

std::string Contents(const FileSystem &fs, std::u16string_view path) {
    std::vector<uint8_t> data;
    if (fs.ReadAll(path, &data) != FsStatus::Ok)
        return "<unreadable>";
    return std::string(data.begin(), data.end());
}

constexpr FsAccess kRead{true, false};
constexpr FsAccess kWrite{false, true};
constexpr FsAccess kReadWrite{true, true};
constexpr FsShare kShareNone{false, false};
constexpr FsShare kShareRead{true, false};
constexpr FsShare kShareAll{true, true};

TEST(FileSystem, PathsAreCheckedAndResolved) {
    FileSystem fs;
    fs.CreateDefaultTree(0);
    ASSERT_EQ(fs.WriteAll(u"\\Windows\\Model.txt", Bytes("m"), 0), FsStatus::Ok);

    // Longest allowed: 259 characters.
    const std::u16string longest = u"\\Temp\\" + std::u16string(253, u'x');
    const std::u16string longName = u"\\" + std::u16string(256, u'n');
    struct Case {
        std::u16string path;
        FsStatus expected;
    } cases[] = {
        {u"\\Windows\\Model.txt", FsStatus::Ok},
        {u"\\WINDOWS\\model.TXT", FsStatus::Ok},
        {u"Windows\\Model.txt", FsStatus::Ok},
        {u"/Windows/Model.txt", FsStatus::Ok},
        {u"\\Windows\\", FsStatus::Ok},
        {u"\\", FsStatus::Ok},
        {u"\\Windows\\Missing.txt", FsStatus::FileNotFound},
        {u"\\Missing\\File.txt", FsStatus::PathNotFound},
        {u"\\Windows\\Model.txt\\Below", FsStatus::PathNotFound},
        {longest, FsStatus::FileNotFound},
        {longest + u"x", FsStatus::PathTooLong},
        {longName, FsStatus::PathTooLong},
        {u"", FsStatus::InvalidName},
        {u"\\\\Windows", FsStatus::InvalidName},
        {u"\\Windows\\\\Model.txt", FsStatus::InvalidName},
        {u"\\Windows\\\\", FsStatus::InvalidName},
        {u"\\Windows\\.", FsStatus::InvalidName},
        {u"\\Windows\\..\\Temp", FsStatus::InvalidName},
        {u"\\Windows\\*.txt", FsStatus::InvalidName},
        {u"\\Windows\\a?", FsStatus::InvalidName},
        {u"\\a:b", FsStatus::InvalidName},
        {u"\\a|b", FsStatus::InvalidName},
        {u"\\a\"b", FsStatus::InvalidName},
        {u"\\a<b>", FsStatus::InvalidName},
        {u"\\a\tb", FsStatus::InvalidName},
    };
    for (const auto &c : cases) {
        FsEntry entry;
        EXPECT_EQ(fs.Stat(c.path, &entry), c.expected) << std::string(c.path.begin(), c.path.end());
        // Every operation refuses a malformed path the same way.
        if (c.expected == FsStatus::PathTooLong || c.expected == FsStatus::InvalidName) {
            EXPECT_EQ(fs.WriteAll(c.path, Bytes("x"), 0), c.expected);
            EXPECT_EQ(fs.CopyIn(c.path, Bytes("x"), 0), c.expected);
            EXPECT_EQ(fs.CreateDirectories(c.path, 0), c.expected);
            EXPECT_EQ(fs.Open(c.path, kRead, kShareAll, FsDisposition::OpenAlways, 0).status,
                      c.expected);
        }
    }
    EXPECT_EQ(fs.WriteAll(longest, Bytes("edge"), 0), FsStatus::Ok);
    EXPECT_EQ(Contents(fs, longest), "edge");
}

TEST(FileSystem, DefaultTreeAndListingsKeepSpellingInOrder) {
    FileSystem fs;
    fs.CreateDefaultTree(5);
    std::vector<FsEntry> root;
    ASSERT_EQ(fs.List(u"\\", &root), FsStatus::Ok);
    std::vector<std::u16string> names;
    for (const auto &entry : root) {
        names.push_back(entry.name);
        EXPECT_TRUE(entry.directory);
        EXPECT_EQ(entry.created, 5u);
    }
    EXPECT_EQ(names, (std::vector<std::u16string>{u"Application Data", u"My Documents",
                                                  u"Program Files", u"Temp", u"Windows"}));

    ASSERT_EQ(fs.WriteAll(u"\\Temp\\b.TXT", Bytes("1"), 10), FsStatus::Ok);
    ASSERT_EQ(fs.WriteAll(u"\\temp\\A.txt", Bytes("22"), 20), FsStatus::Ok);
    ASSERT_EQ(fs.WriteAll(u"\\TEMP\\B.txt", Bytes("333"), 30), FsStatus::Ok);
    std::vector<FsEntry> temp;
    ASSERT_EQ(fs.List(u"temp", &temp), FsStatus::Ok);
    ASSERT_EQ(temp.size(), 2u);
    EXPECT_EQ(temp[0].name, u"A.txt");
    EXPECT_EQ(temp[1].name, u"b.TXT");
    EXPECT_EQ(temp[1].size, 3u);
    EXPECT_EQ(temp[1].created, 10u);
    EXPECT_EQ(temp[1].written, 30u);

    EXPECT_EQ(fs.List(u"\\Temp\\A.txt", &temp), FsStatus::PathNotFound);
    EXPECT_EQ(fs.List(u"\\Nowhere", &temp), FsStatus::PathNotFound);
}

TEST(FileSystem, DirectoriesCreateAndDelete) {
    FileSystem fs;
    fs.CreateDefaultTree(0);
    struct Step {
        const char *what;
        FsStatus status;
        FsStatus expected;
    };
    ASSERT_EQ(fs.WriteAll(u"\\Temp\\f", Bytes("x"), 0), FsStatus::Ok);
    Step steps[] = {
        {"parent missing", fs.MakeDirectory(u"\\A\\B", 0), FsStatus::PathNotFound},
        {"one level", fs.MakeDirectory(u"\\A", 0), FsStatus::Ok},
        {"again", fs.MakeDirectory(u"\\a", 0), FsStatus::AlreadyExists},
        {"root", fs.MakeDirectory(u"\\", 0), FsStatus::AlreadyExists},
        {"over a file", fs.MakeDirectory(u"\\Temp\\F", 0), FsStatus::AlreadyExists},
        {"recursive", fs.CreateDirectories(u"\\A\\B\\C\\D", 0), FsStatus::Ok},
        {"recursive again", fs.CreateDirectories(u"\\a\\b\\c", 0), FsStatus::Ok},
        {"recursive ends on file", fs.CreateDirectories(u"\\Temp\\f", 0), FsStatus::AlreadyExists},
        {"recursive through file", fs.CreateDirectories(u"\\Temp\\f\\g", 0),
         FsStatus::PathNotFound},
        {"delete non-empty", fs.Delete(u"\\A\\B"), FsStatus::DirectoryNotEmpty},
        {"delete leaf", fs.Delete(u"\\A\\B\\C\\D"), FsStatus::Ok},
        {"delete missing", fs.Delete(u"\\A\\B\\C\\D"), FsStatus::FileNotFound},
        {"delete below missing", fs.Delete(u"\\Q\\R"), FsStatus::PathNotFound},
        {"delete root", fs.Delete(u"\\"), FsStatus::AccessDenied},
        {"delete file", fs.Delete(u"\\temp\\F"), FsStatus::Ok},
    };
    for (const auto &step : steps)
        EXPECT_EQ(step.status, step.expected) << step.what;
    EXPECT_TRUE(fs.Exists(u"\\A\\B\\C"));
    EXPECT_FALSE(fs.Exists(u"\\Temp\\f"));
}

TEST(FileSystem, WholeFileWritesAndCopyIn) {
    FileSystem fs;
    fs.CreateDefaultTree(0);
    EXPECT_EQ(fs.WriteAll(u"\\No\\Such\\file", Bytes("x"), 1), FsStatus::PathNotFound);
    EXPECT_EQ(fs.WriteAll(u"\\Windows", Bytes("x"), 1), FsStatus::AccessDenied);
    EXPECT_EQ(fs.WriteAll(u"\\", Bytes("x"), 1), FsStatus::AccessDenied);
    std::vector<uint8_t> data;
    EXPECT_EQ(fs.ReadAll(u"\\Windows", &data), FsStatus::AccessDenied);

    ASSERT_EQ(fs.CopyIn(u"\\Program Files\\Pointrel\\cursors\\c1.bmp", Bytes("BM"), 7),
              FsStatus::Ok);
    EXPECT_EQ(Contents(fs, u"\\program files\\pointrel\\CURSORS\\C1.BMP"), "BM");
    FsEntry dir;
    ASSERT_EQ(fs.Stat(u"\\Program Files\\Pointrel\\cursors", &dir), FsStatus::Ok);
    EXPECT_TRUE(dir.directory);
    EXPECT_EQ(dir.created, 7u);

    ASSERT_EQ(fs.WriteAll(u"\\Temp\\blocker", Bytes("b"), 0), FsStatus::Ok);
    EXPECT_EQ(fs.CopyIn(u"\\Temp\\blocker\\x", Bytes("x"), 0), FsStatus::PathNotFound);
    EXPECT_EQ(fs.CopyIn(u"\\Temp\\fresh\\sub\\Windows", Bytes("x"), 0), FsStatus::Ok);
    EXPECT_EQ(fs.CopyIn(u"\\Temp\\fresh", Bytes("x"), 0), FsStatus::AccessDenied);
    // Too much data fails before any directory is made.
    EXPECT_EQ(fs.CopyIn(u"\\Temp\\q\\r", std::vector<uint8_t>(FileSystem::kMaxFileSize + 1), 0),
              FsStatus::TooLarge);
    EXPECT_FALSE(fs.Exists(u"\\Temp\\q"));

    // Rewriting a file from its own bytes.
    ASSERT_EQ(fs.ReadAll(u"\\Temp\\blocker", &data), FsStatus::Ok);
    auto open = fs.Open(u"\\Temp\\blocker", kRead, kShareAll, FsDisposition::OpenExisting, 0);
    ASSERT_EQ(fs.WriteAll(u"\\Temp\\blocker", Bytes("rewritten"), 9), FsStatus::Ok);
    EXPECT_EQ(open.file->Size(), 9u);
}

TEST(FileSystem, OpenDispositions) {
    struct Case {
        FsDisposition disposition;
        bool exists;
        FsStatus status;
        bool existed;
        const char *contents; // afterwards; null when the file must not exist
    } cases[] = {
        {FsDisposition::CreateNew, false, FsStatus::Ok, false, ""},
        {FsDisposition::CreateNew, true, FsStatus::AlreadyExists, true, "abc"},
        {FsDisposition::CreateAlways, false, FsStatus::Ok, false, ""},
        {FsDisposition::CreateAlways, true, FsStatus::Ok, true, ""},
        {FsDisposition::OpenExisting, false, FsStatus::FileNotFound, false, nullptr},
        {FsDisposition::OpenExisting, true, FsStatus::Ok, true, "abc"},
        {FsDisposition::OpenAlways, false, FsStatus::Ok, false, ""},
        {FsDisposition::OpenAlways, true, FsStatus::Ok, true, "abc"},
        {FsDisposition::TruncateExisting, false, FsStatus::FileNotFound, false, nullptr},
        {FsDisposition::TruncateExisting, true, FsStatus::Ok, true, ""},
    };
    for (const auto &c : cases) {
        FileSystem fs;
        fs.CreateDefaultTree(0);
        if (c.exists)
            fs.WriteAll(u"\\Temp\\f.txt", Bytes("abc"), 1);
        FsOpenResult result = fs.Open(u"\\temp\\F.TXT", kReadWrite, kShareNone, c.disposition, 50);
        SCOPED_TRACE(int(c.disposition) * 2 + c.exists);
        EXPECT_EQ(result.status, c.status);
        EXPECT_EQ(result.file != nullptr, c.status == FsStatus::Ok);
        if (c.status == FsStatus::Ok) {
            EXPECT_EQ(result.existed, c.existed);
        }
        result.file.reset();
        if (c.contents) {
            EXPECT_EQ(Contents(fs, u"\\Temp\\f.txt"), c.contents);
        } else {
            EXPECT_FALSE(fs.Exists(u"\\Temp\\f.txt"));
        }
    }

    FileSystem fs;
    fs.CreateDefaultTree(0);
    EXPECT_EQ(fs.Open(u"\\Missing\\f", kRead, kShareAll, FsDisposition::OpenAlways, 0).status,
              FsStatus::PathNotFound);
    EXPECT_EQ(fs.Open(u"\\Windows", kRead, kShareAll, FsDisposition::OpenExisting, 0).status,
              FsStatus::AccessDenied);
    EXPECT_EQ(fs.Open(u"\\", kRead, kShareAll, FsDisposition::OpenExisting, 0).status,
              FsStatus::AccessDenied);
    auto created = fs.Open(u"\\Temp\\t", kWrite, kShareAll, FsDisposition::CreateNew, 42);
    FsEntry entry;
    ASSERT_EQ(fs.Stat(u"\\Temp\\t", &entry), FsStatus::Ok);
    EXPECT_EQ(entry.created, 42u);
}

TEST(FileSystem, SharingBetweenOpenings) {
    struct Case {
        FsAccess firstAccess;
        FsShare firstShare;
        FsAccess secondAccess;
        FsShare secondShare;
        bool allowed;
    } cases[] = {
        {kRead, kShareRead, kRead, kShareRead, true},
        {kRead, kShareRead, kRead, kShareAll, true},
        {kRead, kShareRead, kWrite, kShareAll, false},
        {kRead, kShareNone, kRead, kShareAll, false},
        {kRead, kShareAll, kRead, kShareNone, false},  // second would not share with a reader
        {kWrite, kShareAll, kRead, kShareRead, false}, // second would not share with a writer
        {kWrite, kShareAll, kRead, kShareAll, true},
        {kReadWrite, kShareAll, kReadWrite, kShareAll, true},
        // Without data access an opening neither conflicts nor restricts.
        {FsAccess{}, kShareNone, kReadWrite, kShareNone, true},
        {kReadWrite, kShareNone, FsAccess{}, kShareNone, true},
    };
    for (const auto &c : cases) {
        FileSystem fs;
        fs.CreateDefaultTree(0);
        fs.WriteAll(u"\\Temp\\s", Bytes("s"), 0);
        auto first =
            fs.Open(u"\\Temp\\s", c.firstAccess, c.firstShare, FsDisposition::OpenExisting, 0);
        ASSERT_EQ(first.status, FsStatus::Ok);
        auto second =
            fs.Open(u"\\TEMP\\S", c.secondAccess, c.secondShare, FsDisposition::OpenExisting, 0);
        EXPECT_EQ(second.status, c.allowed ? FsStatus::Ok : FsStatus::SharingViolation)
            << &c - cases;
        // Truncating dispositions must not touch a file they may not open.
        auto truncate = fs.Open(u"\\Temp\\s", kWrite, kShareNone, FsDisposition::CreateAlways, 0);
        EXPECT_EQ(truncate.status, FsStatus::SharingViolation);
        EXPECT_EQ(Contents(fs, u"\\Temp\\s"), "s");
        EXPECT_EQ(fs.Delete(u"\\Temp\\s"), FsStatus::SharingViolation);
        first.file.reset();
        second.file.reset();
        EXPECT_EQ(fs.Delete(u"\\Temp\\s"), FsStatus::Ok);
    }
}

TEST(FileSystem, ReadWriteAndSeek) {
    FileSystem fs;
    fs.CreateDefaultTree(0);
    auto writer = fs.Open(u"\\Temp\\d", kReadWrite, kShareAll, FsDisposition::CreateNew, 1).file;
    auto reader = fs.Open(u"\\Temp\\d", kRead, kShareAll, FsDisposition::OpenExisting, 1).file;
    ASSERT_TRUE(writer && reader);

    ASSERT_EQ(writer->Write("hello", 5, 2), FsStatus::Ok);
    uint64_t pos = 0;
    ASSERT_EQ(writer->Seek(3, FsSeekOrigin::End, &pos), FsStatus::Ok);
    EXPECT_EQ(pos, 8u);
    ASSERT_EQ(writer->Write("!", 1, 3), FsStatus::Ok);
    EXPECT_EQ(Contents(fs, u"\\Temp\\d"), std::string("hello\0\0\0!", 9));

    char buffer[16] = {};
    size_t done = 0;
    ASSERT_EQ(reader->Read(buffer, 4, &done), FsStatus::Ok);
    EXPECT_EQ(std::string(buffer, done), "hell");
    ASSERT_EQ(reader->Read(buffer, sizeof buffer, &done), FsStatus::Ok);
    EXPECT_EQ(done, 5u);
    ASSERT_EQ(reader->Read(buffer, sizeof buffer, &done), FsStatus::Ok);
    EXPECT_EQ(done, 0u);
    EXPECT_EQ(reader->Write("x", 1, 4), FsStatus::AccessDenied);
    auto writeOnly = fs.Open(u"\\Temp\\d", kWrite, kShareAll, FsDisposition::OpenExisting, 1).file;
    EXPECT_EQ(writeOnly->Read(buffer, 1, &done), FsStatus::AccessDenied);

    struct SeekCase {
        int64_t distance;
        FsSeekOrigin origin;
        FsStatus status;
        uint64_t position; // afterwards
    } seeks[] = {
        {2, FsSeekOrigin::Begin, FsStatus::Ok, 2},
        {3, FsSeekOrigin::Current, FsStatus::Ok, 5},
        {-6, FsSeekOrigin::Current, FsStatus::NegativeSeek, 5},
        {-9, FsSeekOrigin::End, FsStatus::Ok, 0},
        {-1, FsSeekOrigin::Begin, FsStatus::NegativeSeek, 0},
        {0xFFFFFFFF, FsSeekOrigin::Begin, FsStatus::Ok, 0xFFFFFFFF},
        {1, FsSeekOrigin::Current, FsStatus::TooLarge, 0xFFFFFFFF},
        {INT64_MAX, FsSeekOrigin::Current, FsStatus::TooLarge, 0xFFFFFFFF},
        {INT64_MIN, FsSeekOrigin::End, FsStatus::NegativeSeek, 0xFFFFFFFF},
    };
    for (const auto &s : seeks) {
        EXPECT_EQ(reader->Seek(s.distance, s.origin, &pos), s.status) << s.distance;
        EXPECT_EQ(reader->Position(), s.position) << s.distance;
    }

    // A write that would pass the size limit writes nothing.
    ASSERT_EQ(writer->Seek(FileSystem::kMaxFileSize - 1, FsSeekOrigin::Begin, &pos), FsStatus::Ok);
    EXPECT_EQ(writer->Write("ab", 2, 5), FsStatus::TooLarge);
    ASSERT_EQ(writer->Seek(0xFFFFFFFF, FsSeekOrigin::Begin, &pos), FsStatus::Ok);
    EXPECT_EQ(writer->Write("a", 1, 5), FsStatus::TooLarge);
    EXPECT_EQ(writer->Size(), 9u);
    EXPECT_EQ(writer->Write("a", 0, 5), FsStatus::Ok);
    FsEntry entry;
    fs.Stat(u"\\Temp\\d", &entry);
    EXPECT_EQ(entry.written, 3u);
}

} // namespace
} // namespace sim
