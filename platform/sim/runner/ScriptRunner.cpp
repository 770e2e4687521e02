#include "ScriptRunner.h"

#include "device/Device.h"
#include "kernel/Calendar.h"
#include "kernel/FileSystem.h"
#include "kernel/Registry.h"
#include "kernel/Utf8.h"
#include "package/Installer.h"
#include "package/Package.h"

#include <windows.h>

#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <istream>
#include <map>
#include <ostream>
#include <sstream>
#include <vector>

namespace sim {

namespace {

// A failed line: the status to end with and the message to print.
struct Stop {
    ScriptResult result;
    std::string message;
};

std::vector<std::string> SplitWords(const std::string &line) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false, quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
        char c = line[i];
        if (quoted) {
            // \" is a quote and \\ one backslash; any other backslash
            // stands for itself, so paths need no doubling.
            if (c == '\\' && i + 1 < line.size() && (line[i + 1] == '"' || line[i + 1] == '\\')) {
                word += line[i + 1];
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                word += c;
            }
            continue;
        }
        if (c == '#')
            break;
        if (c == '"') {
            quoted = inWord = true;
        } else if (c == ' ' || c == '\t' || c == '\r') {
            if (inWord)
                words.push_back(word);
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (quoted)
        throw Stop{kScriptError, "unterminated quote"};
    if (inWord)
        words.push_back(word);
    return words;
}

int64_t Number(const std::string &word) {
    if (word.empty())
        throw Stop{kScriptError, "missing number"};
    size_t start = word[0] == '-' ? 1 : 0;
    bool hex = word.size() > start + 2 && word[start] == '0' &&
               (word[start + 1] == 'x' || word[start + 1] == 'X');
    const char *digits = word.c_str() + start + (hex ? 2 : 0);
    // Digits only: strtoull alone would take spaces and a sign after "0x".
    for (const char *c = digits; *c; ++c)
        if (!(hex ? std::isxdigit(static_cast<unsigned char>(*c)) : *c >= '0' && *c <= '9'))
            throw Stop{kScriptError, "bad number: " + word};
    char *end = nullptr;
    errno = 0;
    unsigned long long value = std::strtoull(digits, &end, hex ? 16 : 10);
    if (*digits == 0 || *end != 0 || errno != 0 || value > 0xFFFFFFFFull ||
        !(hex || (*digits >= '0' && *digits <= '9')))
        throw Stop{kScriptError, "bad number: " + word};
    int64_t n = static_cast<int64_t>(value);
    return start ? -n : n;
}

// A 32-bit value: 0 to 0xFFFFFFFF, or a negative number down to -2147483648
// taken as its two's complement.
uint32_t Dword(const std::string &word) {
    int64_t n = Number(word);
    if (n < INT32_MIN)
        throw Stop{kScriptError, "number out of the 32-bit range: " + word};
    return static_cast<uint32_t>(n);
}

std::vector<uint8_t> HexBytes(const std::string &text) {
    std::vector<uint8_t> bytes;
    if (text == "-")
        return bytes;
    if (text.size() % 2 != 0)
        throw Stop{kScriptError, "odd number of hex digits"};
    for (size_t i = 0; i < text.size(); i += 2) {
        auto digit = [&](char c) -> int {
            if (c >= '0' && c <= '9')
                return c - '0';
            if (c >= 'a' && c <= 'f')
                return c - 'a' + 10;
            if (c >= 'A' && c <= 'F')
                return c - 'A' + 10;
            throw Stop{kScriptError, "bad hex digit in " + text};
        };
        bytes.push_back(static_cast<uint8_t>(digit(text[i]) * 16 + digit(text[i + 1])));
    }
    return bytes;
}

// A word of the script as the device's UTF-16; lines are checked to be
// UTF-8 before their words are read.
std::u16string Wide(const std::string &word) {
    std::u16string text;
    FromUtf8(word, &text);
    return text;
}

// A name as printed: bare, or quoted when it holds a space or a quote.
// Text as REG_SZ data holds it: UTF-16 with its terminator.
std::vector<uint8_t> Utf16Bytes(const std::string &text) {
    std::vector<uint8_t> bytes;
    for (char16_t c : Wide(text)) {
        bytes.push_back(static_cast<uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<uint8_t>(c >> 8));
    }
    bytes.push_back(0);
    bytes.push_back(0);
    return bytes;
}

int ButtonId(const std::string &name) {
    static const std::map<std::string, int> ids = {
        {"OK", IDOK}, {"CANCEL", IDCANCEL}, {"YES", IDYES}, {"NO", IDNO}};
    auto it = ids.find(name);
    if (it == ids.end())
        throw Stop{kScriptError, "unknown button: " + name};
    return it->second;
}

class Runner {
public:
    explicit Runner(std::ostream &out) : out_(out) {
        AddPackagePrograms(device_);
        device_.OnTrace([this](const TraceEvent &e) {
            out_ << "T=" << e.time << " " << e.text << "\n" << std::flush;
        });
    }

    Device &device() { return device_; }

    void Execute(const std::vector<std::string> &w) {
        const std::string &c = w[0];
        if (c == "screen")
            return Screen(w);
        if (c == "shell")
            return SetUp(w, 2, [&] {
                if (w[1] != "off" && w[1] != "on")
                    throw Stop{kScriptError, "shell takes on or off"};
                device_.SetShell(w[1] == "on");
            });
        if (c == "keys")
            return Keys(w);
        if (c == "aku")
            return SetUp(w, 2, [&] {
                device_.registry().CreateKeyPath(u"HKLM\\System\\Versions", nullptr);
                RegKeyRef key = device_.registry().FindKey(u"HKLM\\System\\Versions");
                device_.registry().SetValue(key, u"AKU", REG_SZ, Utf16Bytes(w[1]));
            });
        if (c == "os")
            return SetUp(w, 3, [&] {
                int64_t major = Number(w[1]), minor = Number(w[2]);
                if (major < 0 || minor < 0)
                    throw Stop{kScriptError, "os takes two version numbers"};
                device_.SetOsVersion(static_cast<uint32_t>(major), static_cast<uint32_t>(minor));
            });
        if (c == "fault")
            return FaultCommand(w);
        if (c == "install") {
            Arity(w, 1, 2);
            started_ = true;
            std::u16string folder = w.size() > 1 ? Wide(w[1]) : kPackageFolder;
            if (folder.empty())
                throw Stop{kScriptError, "install needs a folder (or none, for the default)"};
            if (!InstallPackage(device_, folder))
                throw Stop{kScriptError, "install failed for " + ToUtf8(folder)};
            return;
        }
        if (c == "setup")
            return Setup(w);
        if (c == "clock") {
            Arity(w, 3, 3);
            std::optional<CalendarTime> t = ParseCalendar(w[1] + " " + w[2]);
            if (!t)
                throw Stop{kScriptError, "clock needs a date and time YYYY-MM-DD HH:MM[:SS]"};
            device_.SetCalendar(*MsFromCalendar(*t));
            return;
        }
        if (c == "reset") {
            Arity(w, 1, 1);
            Started();
            device_.Reset();
            return;
        }
        if (c == "file")
            return File(w);
        if (c == "registry")
            return Registry(w);
        if (c == "start") {
            Arity(w, 2, 2);
            started_ = true;
            std::string why;
            if (!device_.IsProgram(Wide(w[1]), &why))
                throw Stop{kScriptError, "cannot start " + w[1] + ": " + why};
            // A start that a fault on demand refuses is the program's own
            // business: the script goes on, as the shell's would.
            device_.Start(Wide(w[1]));
            return;
        }
        if (c == "wait") {
            Arity(w, 2, 2);
            started_ = true;
            int64_t ms = Number(w[1]);
            if (ms < 0)
                throw Stop{kScriptError, "wait needs a time of 0 or more"};
            device_.Wait(static_cast<uint64_t>(ms));
            return;
        }
        if (c == "answer") {
            Arity(w, 3, 3);
            if (!device_.Answer(Wide(w[1]), ButtonId(w[2])))
                throw Stop{kScriptError, "no message box \"" + w[1] + "\" with button " + w[2]};
            return;
        }
        if (c == "post") {
            Arity(w, 5, 5);
            int64_t msg = Number(w[2]);
            if (msg < 0 || msg > 0xFFFF)
                throw Stop{kScriptError, "message number out of range (0 to 0xFFFF): " + w[2]};
            if (!Device::IsPostable(static_cast<uint32_t>(msg)))
                throw Stop{kScriptError,
                           "message " + w[2] + " carries pointers and cannot be posted"};
            // The device's WPARAM and LPARAM are 32 bits: -1 is 0xFFFFFFFF.
            if (!device_.Post(Wide(w[1]), static_cast<uint32_t>(msg),
                              static_cast<uintptr_t>(Dword(w[3])),
                              static_cast<intptr_t>(static_cast<int32_t>(Dword(w[4])))))
                throw Stop{kScriptError, "no window of class " + w[1]};
            return;
        }
        if (c == "screenshot") {
            Arity(w, 2, 2);
            std::string why;
            if (!device_.Screenshot(w[1], &why))
                throw Stop{kScriptError, "screenshot failed: " + why};
            return;
        }
        if (c == "print")
            return Print(w);
        if (c == "expect")
            return Expect(w);
        if (c == "key")
            return KeyCommand(w);
        if (c == "tap") {
            Arity(w, 3, 3);
            Started();
            int x = Coordinate(w[1]), y = Coordinate(w[2]);
            device_.StylusDown(x, y);
            device_.Wait(100);
            device_.StylusUp(x, y);
            return;
        }
        if (c == "stylus")
            return StylusCommand(w);
        if (c == "window")
            return WindowCommand(w);
        if (c == "control")
            return ControlCommand(w);
        if (c == "softkey") {
            Arity(w, 2, 2);
            if (w[1] != "left" && w[1] != "right")
                throw Stop{kScriptError, "softkey takes left or right"};
            Started();
            if (!device_.TapSoftKey(w[1] == "left" ? 0 : 1))
                throw Stop{kScriptError,
                           "there is no soft-key bar: the device runs without its shell"};
            return;
        }
        if (c == "menu") {
            Arity(w, 2, 2);
            Started();
            if (!device_.OpenMenuItems())
                throw Stop{kScriptError, "no menu is open"};
            if (!device_.TapMenuItem(Wide(w[1])))
                throw Stop{kScriptError, "the open menu has no item \"" + w[1] + "\""};
            return;
        }
        if (c == "ok") {
            Arity(w, 1, 1);
            Started();
            if (!device_.TapOk())
                throw Stop{kScriptError, "the task bar shows no ok button"};
            return;
        }
        throw Stop{kScriptError, "unknown command: " + c};
    }

private:
    static void Arity(const std::vector<std::string> &w, size_t least, size_t most) {
        if (w.size() < least || w.size() > most)
            throw Stop{kScriptError, "wrong number of arguments for " + w[0]};
    }

    void Started() { started_ = true; }

    static int Coordinate(const std::string &word) {
        int64_t v = Number(word);
        if (v < -100000 || v > 100000)
            throw Stop{kScriptError, "coordinate out of range: " + word};
        return static_cast<int>(v);
    }

    // Key names in any case; ENTER and CTRL are welcome for RETURN and
    // CONTROL.
    static int KeyCode(const std::string &name) {
        static const std::map<std::string, int> keys = {
            {"UP", VK_UP},       {"DOWN", VK_DOWN},     {"LEFT", VK_LEFT},
            {"RIGHT", VK_RIGHT}, {"RETURN", VK_RETURN}, {"F6", VK_F6},
            {"F7", VK_F7},       {"APP1", VK_APP1},     {"APP2", VK_APP2},
            {"APP3", VK_APP3},   {"APP4", VK_APP4},     {"APP5", VK_APP5},
            {"APP6", VK_APP6},   {"SHIFT", VK_SHIFT},   {"CONTROL", VK_CONTROL},
            {"ALT", VK_MENU},    {"ENTER", VK_RETURN},  {"CTRL", VK_CONTROL}};
        std::string upper = name;
        for (char &ch : upper)
            ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
        auto it = keys.find(upper);
        if (it != keys.end())
            return it->second;
        bool number = !name.empty() && std::isdigit(static_cast<unsigned char>(name[0]));
        int64_t vk = number ? Number(name) : 0;
        if (vk < 1 || vk > 254)
            throw Stop{kScriptError, "unknown key: " + name +
                                         " (keys: UP DOWN LEFT RIGHT RETURN F6 F7 APP1..APP6 SHIFT "
                                         "CONTROL ALT, or a virtual-key number 1 to 254)"};
        return static_cast<int>(vk);
    }

    void KeyCommand(const std::vector<std::string> &w) {
        Arity(w, 3, 3);
        Started();
        int vk = KeyCode(w[2]);
        if (w[1] == "down") {
            device_.Key(vk, false);
        } else if (w[1] == "up") {
            device_.Key(vk, true);
        } else if (w[1] == "press") {
            device_.Key(vk, false);
            device_.Wait(100);
            device_.Key(vk, true);
        } else {
            throw Stop{kScriptError, "key takes down, up or press"};
        }
    }

    void StylusCommand(const std::vector<std::string> &w) {
        Arity(w, 4, 4);
        Started();
        int x = Coordinate(w[2]), y = Coordinate(w[3]);
        if (w[1] == "down")
            device_.StylusDown(x, y);
        else if (w[1] == "move")
            device_.StylusMove(x, y);
        else if (w[1] == "up")
            device_.StylusUp(x, y);
        else
            throw Stop{kScriptError, "stylus takes down, move or up"};
    }

    void WindowCommand(const std::vector<std::string> &w) {
        if (w.size() >= 2 && w[1] == "create") {
            Arity(w, 8, 10);
            bool topmost = false, noclose = false;
            for (size_t i = 8; i < w.size(); ++i) {
                bool &flag = w[i] == "topmost" ? topmost : noclose;
                if ((w[i] != "topmost" && w[i] != "noclose") || flag)
                    throw Stop{kScriptError,
                               "window create: the last words may only be topmost and noclose"};
                flag = true;
            }
            Started();
            int x = Coordinate(w[4]), y = Coordinate(w[5]);
            int width = Coordinate(w[6]), height = Coordinate(w[7]);
            if (width <= 0 || height <= 0)
                throw Stop{kScriptError, "window create needs a positive size"};
            if (!device_.CreateScriptWindow(Wide(w[2]), Wide(w[3]),
                                            Rect{x, y, x + width, y + height}, topmost, noclose))
                throw Stop{kScriptError, "cannot create a window of class " + w[2]};
            return;
        }
        if (w.size() == 3 && w[1] == "destroy") {
            if (!device_.DestroyScriptWindow(Wide(w[2])))
                throw Stop{kScriptError, "no window of class " + w[2] + " made by window create"};
            return;
        }
        throw Stop{kScriptError, "window: unknown form"};
    }

    // control TITLE ID tap | select ROW | slide POS | tab N
    void ControlCommand(const std::vector<std::string> &w) {
        if (w.size() < 4)
            throw Stop{kScriptError, "wrong number of arguments for control"};
        Started();
        std::u16string title = Wide(w[1]);
        const int id = static_cast<int>(Number(w[2]));
        std::string why;
        bool done;
        if (w[3] == "tap") {
            Arity(w, 4, 4);
            done = device_.TapControl(title, id, &why);
        } else if (w[3] == "select" || w[3] == "slide" || w[3] == "tab") {
            Arity(w, 5, 5);
            int64_t n = Number(w[4]);
            if (n < INT32_MIN || n > INT32_MAX)
                throw Stop{kScriptError, "number out of range: " + w[4]};
            const int value = static_cast<int>(n);
            done = w[3] == "select"  ? device_.SelectRow(title, id, value, &why)
                   : w[3] == "slide" ? device_.SlideTrackbar(title, id, value, &why)
                                     : device_.TapTab(title, id, value, &why);
        } else {
            throw Stop{kScriptError, "control takes tap, select, slide or tab"};
        }
        if (!done)
            throw Stop{kScriptError, "control: " + why};
    }

    void PrintDialog(const std::string &title) {
        std::optional<DialogReport> report = device_.DescribeDialog(Wide(title));
        if (!report)
            throw Stop{kScriptError, "no window titled \"" + title + "\""};
        const WindowInfo &d = report->dialog;
        out_ << "dialog " << QuoteText(d.title) << " " << d.rect.left << " " << d.rect.top << " "
             << d.rect.Width() << " " << d.rect.Height() << (d.visible ? " visible" : " hidden")
             << "\n";
        for (const ControlInfo &c : report->controls) {
            out_ << "control " << c.id << " " << PrintedName(c.className) << " "
                 << QuoteText(c.text) << " " << c.rect.left << " " << c.rect.top << " "
                 << c.rect.Width() << " " << c.rect.Height() << (c.visible ? " visible" : " hidden")
                 << (c.enabled ? " enabled" : " disabled") << (c.focus ? " focus" : "")
                 << (c.words.empty() ? "" : " " + c.words) << "\n";
            for (const std::string &line : c.lines)
                out_ << line << "\n";
        }
    }

    void FaultCommand(const std::vector<std::string> &w) {
        Arity(w, 3, 3);
        if (w[1] == "registry-write") {
            if (w[2] == "off")
                device_.FailRegistryWrites(std::nullopt, false);
            else if (w[2] == "all")
                device_.FailRegistryWrites(std::nullopt, true);
            else
                device_.FailRegistryWrites(w[2] == "@" ? u"" : Wide(w[2]));
            return;
        }
        if (w[1] == "process-start") {
            device_.FailProcessStart(w[2] == "off" ? std::nullopt
                                                   : std::optional<std::u16string>(Wide(w[2])));
            return;
        }
        throw Stop{kScriptError, "fault takes registry-write or process-start"};
    }

    template <class F> void SetUp(const std::vector<std::string> &w, size_t n, F apply) {
        Arity(w, n, n);
        if (started_)
            throw Stop{kScriptError, w[0] + " belongs before the first start, install or wait"};
        apply();
    }

    void Screen(const std::vector<std::string> &w) {
        Arity(w, 4, 4);
        int64_t width = Number(w[1]), height = Number(w[2]), dpi = Number(w[3]);
        if (width < 16 || height < 16 || width > 2048 || height > 2048 || dpi < 48 || dpi > 480)
            throw Stop{kScriptError, "screen size or DPI out of range"};
        device_.SetScreen(static_cast<int>(width), static_cast<int>(height), static_cast<int>(dpi));
    }

    void Keys(const std::vector<std::string> &w) {
        if (w.size() == 2 && w[1] == "unreadable")
            return SetUp(w, 2, [&] { device_.SetKeysUnreadable(true); });
        if (w.size() == 3 && w[1] == "repeat" && w[2] == "off")
            return SetUp(w, 3, [&] { device_.SetKeyRepeat(0, 0); });
        if (w.size() == 4 && w[1] == "repeat") {
            int64_t delay = Number(w[2]), period = Number(w[3]);
            if (delay <= 0 || period <= 0 || delay > INT32_MAX || period > INT32_MAX)
                throw Stop{kScriptError, "keys repeat needs times from 1 to 2147483647"};
            return SetUp(w, 4, [&] {
                device_.SetKeyRepeat(static_cast<int>(delay), static_cast<int>(period));
            });
        }
        throw Stop{kScriptError, "keys: unknown form"};
    }

    void Setup(const std::vector<std::string> &w) {
        Started();
        if (w.size() >= 2 && w[1] == "install") {
            Arity(w, 2, 3);
            StartSetupInstall(device_, w.size() > 2 ? Wide(w[2]) : kPackageFolder);
            return;
        }
        if (w.size() == 2 && w[1] == "uninstall") {
            if (!StartSetupUninstall(device_))
                throw Stop{kScriptError, "setup uninstall: no package is installed"};
            return;
        }
        throw Stop{kScriptError, "setup takes install [FOLDER] or uninstall"};
    }

    std::string FileLine(const std::string &word) {
        FsEntry entry;
        if (device_.files().Stat(Wide(word), &entry) != FsStatus::Ok || entry.directory)
            return "file " + QuoteText(Wide(word)) + " absent";
        auto when = [](uint64_t ms) {
            std::optional<CalendarTime> t = CalendarFromMs(ms);
            return t ? FormatCalendar(*t) : std::string("?");
        };
        return "file " + QuoteText(Wide(word)) + " " + std::to_string(entry.size) + " created " +
               when(entry.created) + " written " + when(entry.written);
    }

    void File(const std::vector<std::string> &w) {
        if (w.size() < 3)
            throw Stop{kScriptError, "file needs an action and a path"};
        FileSystem &files = device_.files();
        std::u16string path = Wide(w[2]);
        FsStatus status;
        if (w[1] == "write" && w.size() == 4) {
            status = files.CopyIn(path, std::vector<uint8_t>(w[3].begin(), w[3].end()),
                                  device_.CalendarNow());
        } else if (w[1] == "hex" && w.size() == 4) {
            status = files.CopyIn(path, HexBytes(w[3]), device_.CalendarNow());
        } else if (w[1] == "delete" && w.size() == 3) {
            // As with the registry, deleting what is not there is no error.
            status = files.Delete(path);
            if (status == FsStatus::FileNotFound || status == FsStatus::PathNotFound)
                status = FsStatus::Ok;
        } else {
            throw Stop{kScriptError, "file: unknown form"};
        }
        if (status != FsStatus::Ok)
            throw Stop{kScriptError, "file " + w[1] + " failed for " + w[2]};
    }

    void Registry(const std::vector<std::string> &w) {
        sim::Registry &reg = device_.registry();
        if (w.size() == 6 && w[1] == "set") {
            const std::string &type = w[4], &data = w[5];
            uint32_t kind;
            std::vector<uint8_t> bytes;
            if (type == "sz" || type == "expand_sz") {
                kind = type == "sz" ? REG_SZ : REG_EXPAND_SZ;
                bytes = Utf16Bytes(data);
            } else if (type == "dword") {
                kind = REG_DWORD;
                uint32_t v = Dword(data);
                bytes = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
            } else if (type == "binary") {
                kind = REG_BINARY;
                bytes = HexBytes(data);
            } else {
                throw Stop{kScriptError, "unknown registry type: " + type};
            }
            RegKeyRef key;
            if (reg.CreateKeyPath(Wide(w[2]), &key) != RegStatus::Ok)
                throw Stop{kScriptError, "bad registry key: " + w[2]};
            std::u16string name = w[3] == "@" ? u"" : Wide(w[3]);
            if (reg.SetValue(key, name, kind, bytes) != RegStatus::Ok)
                throw Stop{kScriptError, "bad registry value name: " + w[3]};
            return;
        }
        if ((w.size() == 3 || w.size() == 4) && w[1] == "delete") {
            // Deleting what is not there is no error; a malformed key is.
            RegStatus status =
                w.size() == 3 ? reg.DeleteKeyPath(Wide(w[2]))
                              : reg.DeleteValuePath(Wide(w[2]), w[3] == "@" ? u"" : Wide(w[3]));
            if (status != RegStatus::Ok && status != RegStatus::NotFound)
                throw Stop{kScriptError, "bad registry key: " + w[2]};
            return;
        }
        throw Stop{kScriptError, "registry: unknown form"};
    }

    std::string CursorLine() {
        std::optional<WindowInfo> c = device_.FindTopmost(kCursorWindowClass);
        if (!c)
            return "cursor none";
        std::ostringstream s;
        s << "cursor " << c->rect.left << " " << c->rect.top << " " << c->rect.Width() << " "
          << c->rect.Height() << (c->visible ? " visible" : " hidden");
        return s.str();
    }

    void Print(const std::vector<std::string> &w) {
        if (w.size() == 2 && w[1] == "cursor") {
            out_ << CursorLine() << "\n";
        } else if (w.size() == 2 && w[1] == "time") {
            out_ << "time " << device_.Now() << "\n";
        } else if (w.size() == 2 && w[1] == "windows") {
            for (const WindowInfo &i : device_.TopLevelWindows())
                out_ << "window " << PrintedName(i.className) << " " << QuoteText(i.title) << " "
                     << i.rect.left << " " << i.rect.top << " " << i.rect.Width() << " "
                     << i.rect.Height() << (i.visible ? " visible" : " hidden") << "\n";
        } else if (w.size() == 2 && w[1] == "processes") {
            for (const ProcessInfo &p : device_.Processes())
                out_ << "process " << p.pid << " " << QuoteText(p.path) << "\n";
        } else if (w.size() == 3 && w[1] == "file") {
            out_ << FileLine(w[2]) << "\n";
        } else if (w.size() == 3 && w[1] == "dialog") {
            PrintDialog(w[2]);
        } else if (w.size() == 2 && w[1] == "softkeys") {
            std::array<std::u16string, 2> keys = device_.SoftKeyLabels();
            out_ << "softkeys " << QuoteText(keys[0]) << " " << QuoteText(keys[1]) << "\n";
        } else if (w.size() == 2 && w[1] == "menu") {
            std::optional<std::vector<std::u16string>> items = device_.OpenMenuItems();
            if (!items) {
                out_ << "menu none\n";
            } else {
                out_ << "menu";
                for (const std::u16string &item : *items)
                    out_ << " " << (item == u"-" ? std::string("-") : QuoteText(item));
                out_ << "\n";
            }
        } else if (w.size() == 3 && w[1] == "registry") {
            std::optional<std::string> text = device_.registry().Export(Wide(w[2]));
            out_ << (text ? *text : std::string("REGEDIT4\n\n"));
        } else {
            throw Stop{kScriptError, "print: unknown form"};
        }
    }

    void Expect(const std::vector<std::string> &w) {
        if (w.size() == 4 && w[1] == "cursor") {
            std::optional<WindowInfo> c = device_.FindTopmost(kCursorWindowClass);
            int64_t x = Number(w[2]), y = Number(w[3]);
            if (!c || c->rect.left != x || c->rect.top != y)
                throw Stop{kScriptExpectFailed,
                           "expected cursor at " + w[2] + " " + w[3] + ", found " + CursorLine()};
            return;
        }
        if (w.size() == 3 && (w[1] == "visible" || w[1] == "hidden" || w[1] == "absent")) {
            std::optional<WindowInfo> win = device_.FindTopmost(Wide(w[2]));
            std::string found = !win ? "absent" : win->visible ? "visible" : "hidden";
            if (found != w[1])
                throw Stop{kScriptExpectFailed,
                           "expected " + w[2] + " " + w[1] + ", found " + found};
            return;
        }
        if (w.size() == 3 && (w[1] == "running" || w[1] == "stopped")) {
            bool running = device_.IsRunning(Wide(w[2]));
            if (running != (w[1] == "running"))
                throw Stop{kScriptExpectFailed, "expected " + w[2] + " " + w[1]};
            return;
        }
        throw Stop{kScriptError, "expect: unknown form"};
    }

    std::ostream &out_;
    Device device_;
    bool started_ = false;
};

} // namespace

ScriptResult RunScript(std::istream &script, std::ostream &out, const ScriptHooks &hooks) {
    Runner runner(out);
    if (hooks.begin)
        hooks.begin(runner.device());
    std::string line;
    int number = 0;
    const std::string byteOrderMark = "\xEF\xBB\xBF";
    while (std::getline(script, line)) {
        ++number;
        if (number == 1 && line.rfind(byteOrderMark, 0) == 0)
            line.erase(0, byteOrderMark.size());
        if (hooks.line)
            hooks.line(line);
        try {
            std::u16string text;
            if (!FromUtf8(line, &text))
                throw Stop{kScriptError, "the line is not UTF-8 text"};
            std::vector<std::string> words = SplitWords(line);
            if (!words.empty())
                runner.Execute(words);
            // Line by line, so a run that is stopped keeps what it printed.
            out.flush();
        } catch (const Stop &stop) {
            out << (stop.result == kScriptExpectFailed ? "FAIL" : "ERROR") << " line " << number
                << ": " << stop.message << "\n";
            out.flush();
            if (hooks.end)
                hooks.end(runner.device(), stop.result);
            return stop.result;
        }
    }
    out.flush();
    if (hooks.end)
        hooks.end(runner.device(), kScriptDone);
    return kScriptDone;
}

} // namespace sim
