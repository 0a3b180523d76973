// The Control Panel listing over real modules in the test device's
// \Windows, and the Database listing over the device profile.
#include "filedialog/listings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "framework/appvalues.h"
#include "platform/deviceprofile.h"
#include "shell/iconcache.h"
#include "tests/iconcache_pixels.h"
#include "tests/support/testsupport.h"

namespace {

// The entries of one listing, deleted afterwards.
struct Listed {
    FList<ListEntry*> entries;
    ~Listed() {
        for (ListEntry* entry : entries) delete entry;
    }
    std::vector<std::wstring> Names() const {
        std::vector<std::wstring> names;
        for (const ListEntry* entry : entries) names.emplace_back(entry->Name());
        return names;
    }
};

std::string Joined(const std::vector<std::wstring>& texts) {
    std::string joined;
    for (const std::wstring& text : texts) joined += "[" + Narrow(text) + "]";
    return joined;
}

// ---- Control Panel ---------------------------------------------------------------------

// A file the build puts beside this test executable.
std::wstring BesideTest(const wchar_t* name) {
    std::wstring path = OwnExecutable();
    return path.substr(0, path.find_last_of(L'\\') + 1) + name;
}

// The test device's \Windows with the modules a test places there, all
// taken out again afterwards; the modules log what they receive to a
// scratch file, and the misbehaving one behaves as `mode` asks.
class ControlPanel : public testing::Test {
protected:
    ControlPanel() {
        CreateDirectoryW(L"\\Windows", nullptr);
        RemoveModules();
        SetEnvironmentVariableW(L"PEBBLORA_CPL_LOG", log_.c_str());
    }
    ~ControlPanel() override {
        SetEnvironmentVariableW(L"PEBBLORA_CPL_LOG", nullptr);
        SetEnvironmentVariableW(L"PEBBLORA_CPL_MODE", nullptr);
        RemoveModules();
    }

    // Copies the built module `built` to \Windows\<name>.
    void Install(const wchar_t* built, const std::wstring& name) {
        ASSERT_TRUE(CopyFileW(BesideTest(built).c_str(), (L"\\Windows\\" + name).c_str(), FALSE)) << Narrow(name);
    }
    void Mode(const wchar_t* mode) { SetEnvironmentVariableW(L"PEBBLORA_CPL_MODE", mode); }

    void List(Listed& listed) { ListControlPanelApplets(nullptr, icons_.cache, listed.entries); }

    // The lines the modules logged, those starting with `prefix` set apart.
    std::vector<std::wstring> Log(const std::wstring& prefix = L"ICON ", std::vector<std::wstring>* apart = nullptr) {
        std::vector<std::wstring> lines;
        HANDLE file = CreateFileW(log_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) return lines;
        std::string text(1 << 16, '\0');
        DWORD read = 0;
        ReadFile(file, text.data(), static_cast<DWORD>(text.size()), &read, nullptr);
        CloseHandle(file);
        text.resize(read);
        for (size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
            std::wstring line = Widen(text.substr(start, end - start));
            if (line.rfind(prefix, 0) == 0) {
                if (apart) apart->push_back(line.substr(prefix.size()));
            } else {
                lines.push_back(line);
            }
        }
        return lines;
    }

    HIMAGELIST LargeList() { return icons_.cache.LargeList(); }

private:
    // The image lists with the standard images from this executable's
    // resources, so AppInstance is set before they are made.
    struct OwnIcons {
        bool instanceSet = (AppInstance = GetModuleHandleW(nullptr)) != nullptr;
        ShellIconCache cache;
    };
    OwnIcons icons_;

    void RemoveModules() {
        WIN32_FIND_DATAW data;
        HANDLE find = FindFirstFileW(L"\\Windows\\*.cpl", &data);
        if (find == INVALID_HANDLE_VALUE) return;
        do DeleteFileW((L"\\Windows\\" + std::wstring(data.cFileName)).c_str());
        while (FindNextFileW(find, &data));
        FindClose(find);
    }

    ScratchFolder scratch_;
    std::wstring log_ = scratch_ / L"messages.log";
};

// The protocol as the three-applet module sees it.
const std::vector<std::wstring> kThreeAppletMessages = {
    L"INIT", L"GETCOUNT", L"NEWINQUIRE 0", L"STOP 0", L"NEWINQUIRE 1",
    L"STOP 1", L"NEWINQUIRE 2", L"STOP 2", L"EXIT"};

TEST_F(ControlPanel, AppletsWithIconsListedAndEveryAppletStopped) {
    Install(L"cpl_three.cpl", L"three.cpl");
    Listed listed;
    List(listed);

    std::vector<std::wstring> icons;
    EXPECT_EQ(Joined(Log(L"ICON ", &icons)), Joined(kThreeAppletMessages));
    EXPECT_EQ(Joined(listed.Names()), "[Clock][Sound]") << "the second applet has no icon";
    for (const ListEntry* entry : listed.entries) {
        EXPECT_EQ(entry->kind, kAppletEntry);
        EXPECT_EQ(entry->Size(), 0u);
        EXPECT_GE(entry->image, kStandardImageCount) << Narrow(entry->Name()) << " has no icon of its own";
    }
    EXPECT_EQ(GetModuleHandleW(L"three.cpl"), nullptr) << "the module stays loaded";

    // Every icon the module handed out is destroyed.
    ASSERT_EQ(icons.size(), 2u);
    for (const std::wstring& handle : icons) {
        ICONINFO info{};
        const HICON icon = reinterpret_cast<HICON>(static_cast<INT_PTR>(std::stoull(handle, nullptr, 16)));
        EXPECT_FALSE(GetIconInfo(icon, &info)) << "icon " << Narrow(handle) << " still exists";
    }

    // Clock's lData names the module's own icon (the game's), Sound's
    // names none, so its returned icon (a battery) shows: the two differ.
    ASSERT_EQ(listed.entries.size(), 2u);
    EXPECT_TRUE(DrawListImage(LargeList(), listed.entries.front()->image) !=
                DrawListImage(LargeList(), listed.entries.back()->image))
        << "Clock shows the icon it handed back, not the one its lData names";

    // Asked again, the module is loaded and asked again; the names keep
    // their cached images.
    Listed again;
    List(again);
    EXPECT_EQ(Log().size(), 2 * kThreeAppletMessages.size());
    ASSERT_EQ(again.entries.size(), 2u);
    EXPECT_EQ(again.entries.front()->image, listed.entries.front()->image);
    EXPECT_EQ(again.entries.back()->image, listed.entries.back()->image);
}

TEST_F(ControlPanel, ModulesWithoutAppletsListNothing) {
    struct Case {
        const wchar_t* built;  // null: a text file named like a module
        const wchar_t* mode;
        std::vector<std::wstring> messages;
    };
    const Case cases[] = {
        /* 0 no CPlApplet */ {L"cpl_noexport.cpl", nullptr, {}},
        /* 1 not a module */ {nullptr, nullptr, {}},
        /* 2 count < 0   */ {L"cpl_unruly.cpl", L"negative", {L"INIT", L"GETCOUNT", L"EXIT"}},
        /* 3 no answers  */ {L"cpl_unruly.cpl", L"silent", {L"INIT", L"GETCOUNT", L"NEWINQUIRE 0", L"STOP 0",
                                                            L"NEWINQUIRE 1", L"STOP 1", L"NEWINQUIRE 2", L"STOP 2",
                                                            L"EXIT"}},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(testing::Message() << "case " << i);
        const std::wstring name = L"case" + std::to_wstring(i) + L".cpl";
        const std::wstring path = L"\\Windows\\" + name;
        if (cases[i].built) {
            Install(cases[i].built, name);
        } else {
            HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
            DWORD written = 0;
            WriteFile(file, "MZ not a module", 15, &written, nullptr);
            CloseHandle(file);
        }
        Mode(cases[i].mode);
        const size_t logged = Log().size();
        Listed listed;
        List(listed);
        EXPECT_TRUE(listed.entries.empty()) << Joined(listed.Names());
        const std::vector<std::wstring> log = Log();
        EXPECT_EQ(Joined({log.begin() + logged, log.end()}), Joined(cases[i].messages));
        EXPECT_EQ(GetModuleHandleW(name.c_str()), nullptr) << "the module stays loaded";
        DeleteFileW(path.c_str());
    }
}

TEST_F(ControlPanel, MisbehavingModulesAreBounded) {
    Install(L"cpl_unruly.cpl", L"unruly.cpl");

    // A count of 0x7FFFFFFF: the first 256 applets, each stopped, then the end.
    Mode(L"huge");
    Listed flood;
    List(flood);
    ASSERT_EQ(flood.entries.size(), 256u);
    EXPECT_EQ(flood.entries.back()->image, flood.entries.front()->image) << "one name, one cached image";
    const std::vector<std::wstring> log = Log();
    ASSERT_EQ(log.size(), 2 + 2 * 256 + 1u);
    EXPECT_EQ(log[log.size() - 2], L"STOP 255");
    EXPECT_EQ(log.back(), L"EXIT");

    // A name filling its field without a terminator ends at 31 units; an
    // lData naming no icon gives the returned one.
    Mode(L"unterminated");
    Listed unterminated;
    List(unterminated);
    ASSERT_EQ(unterminated.entries.size(), 1u);
    EXPECT_EQ(std::wstring(unterminated.entries.front()->Name()), std::wstring(31, L'N'));
    EXPECT_GE(unterminated.entries.front()->image, kStandardImageCount);
}

TEST_F(ControlPanel, EveryModuleOfTheFolderAndNothingElse) {
    Install(L"cpl_three.cpl", L"a.cpl");
    Install(L"cpl_unruly.cpl", L"b.cpl");
    Install(L"cpl_three.cpl", L"c.cpl.bak");
    CreateDirectoryW(L"\\Windows\\d.cpl", nullptr);
    Mode(L"unterminated");
    Listed listed;
    List(listed);
    RemoveDirectoryW(L"\\Windows\\d.cpl");
    DeleteFileW(L"\\Windows\\c.cpl.bak");
    std::vector<std::wstring> names = listed.Names();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(Joined(names), Joined({L"Clock", std::wstring(31, L'N'), L"Sound"}));

    // Without modules, or without the folder, the list stays empty.
    DeleteFileW(L"\\Windows\\a.cpl");
    DeleteFileW(L"\\Windows\\b.cpl");
    Listed none;
    List(none);
    EXPECT_TRUE(none.entries.empty());
}

TEST_F(ControlPanel, ShippedModuleListsItsApplets) {
    Install(L"..\\applets\\pebblora.cpl", L"pebblora.cpl");
    Listed listed;
    List(listed);
    EXPECT_EQ(Joined(listed.Names()), "[Pebblora][Memory]");
    ASSERT_EQ(listed.entries.size(), 2u);
    EXPECT_GE(listed.entries.front()->image, kStandardImageCount);
    EXPECT_GE(listed.entries.back()->image, kStandardImageCount);
    EXPECT_NE(listed.entries.front()->image, listed.entries.back()->image);
}

// ---- Database --------------------------------------------------------------------------

// The device profile of one test, starting empty and removed afterwards.
class Database : public testing::Test {
protected:
    // A database entry under Databases\<label>; `name` is stored with its
    // terminator unless `terminated` is false.
    void Add(const std::wstring& label, const std::wstring& name, bool terminated = true) {
        const DWORD bytes = static_cast<DWORD>((name.size() + (terminated ? 1 : 0)) * sizeof(wchar_t));
        Write(label, ce::kProfileDatabaseName, REG_SZ, name.c_str(), bytes);
    }
    void Write(const std::wstring& label, const wchar_t* value, DWORD type, const void* data, DWORD bytes) {
        ASSERT_TRUE(WriteProfileValue(std::wstring(ce::kProfileDatabasesKey) + L"\\" + label, value, type, data, bytes));
    }
    void Dword(const std::wstring& label, const wchar_t* value, DWORD number) {
        Write(label, value, REG_DWORD, &number, sizeof number);
    }

private:
    ScratchKey profile_{ce::kDeviceProfileKey};
};

TEST_F(Database, ListsNamesAndSizesButNotBackslashNames) {
    const std::wstring longest(259, L'L');
    struct Case {
        std::wstring name;
        bool listed;
        std::uint32_t size;
    };
    const Case cases[] = {
        /* 0 */ {L"Contacts Database", true, 4096},
        /* 1 */ {L"\\Hidden Store", false, 0},
        /* 2 */ {L"ﾃﾞｰﾀﾍﾞｰｽ 予定", true, 0},
        /* 3 */ {longest, true, 1},
        /* 4 */ {L"Huge", true, 0xFFFFFFFF},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        Add(std::to_wstring(i), cases[i].name);
        if (cases[i].size != 0 && i != 4) Dword(std::to_wstring(i), ce::kProfileDatabaseSize, cases[i].size);
    }
    // Case 4 holds 5 GB: sizes are 32-bit, so the listing says as much as it can.
    const ULONGLONG fiveGigabytes = 5ull << 30;
    Write(L"4", ce::kProfileDatabaseSize, REG_QWORD, &fiveGigabytes, sizeof fiveGigabytes);

    Listed listed;
    ListDatabases(listed.entries);
    auto entry = listed.entries.begin();
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(testing::Message() << "case " << i);
        if (!cases[i].listed) continue;
        ASSERT_NE(entry, listed.entries.end());
        EXPECT_EQ(std::wstring((*entry)->Name()), cases[i].name);
        EXPECT_EQ((*entry)->Size(), cases[i].size);
        EXPECT_EQ((*entry)->kind, kDatabaseEntry);
        EXPECT_EQ((*entry)->image, kImageDatabase);
        ++entry;
    }
    EXPECT_EQ(entry, listed.entries.end()) << Joined(listed.Names());
}

TEST_F(Database, UnreadableEntriesLeftOut) {
    Add(L"a", L"Kept");
    Add(L"b", L"Fails");
    Dword(L"b", ce::kProfileDatabaseReadFails, 1);
    Add(L"c", std::wstring(260, L'X'));  // would not fit, and is not cut
    Add(L"d", L"");
    Dword(L"e", ce::kProfileDatabaseSize, 10);  // no name at all
    Dword(L"f", ce::kProfileDatabaseName, 7);   // a name that is no text
    Add(L"g", L"Unterminated", false);
    Write(L"h", ce::kProfileDatabaseSize, REG_SZ, L"12", 6);  // a size that is no number
    Add(L"h", L"Sizeless");
    Listed listed;
    ListDatabases(listed.entries);
    EXPECT_EQ(Joined(listed.Names()), "[Kept][Unterminated][Sizeless]");
    ASSERT_EQ(listed.entries.size(), 3u);
    EXPECT_EQ(listed.entries.back()->Size(), 0u);
}

TEST_F(Database, EmptyStoreListsNothing) {
    Listed nothing;
    ListDatabases(nothing.entries);
    EXPECT_TRUE(nothing.entries.empty()) << "no Databases key";

    const DWORD unused = 1;  // the key, without databases
    ASSERT_TRUE(WriteProfileValue(ce::kProfileDatabasesKey, L"Unused", REG_DWORD, &unused, sizeof unused));
    ListDatabases(nothing.entries);
    EXPECT_TRUE(nothing.entries.empty()) << Joined(nothing.Names());
}

}  // namespace
