// Object store, power status and storage cards as the device profile shapes
// them on top of the desktop's figures.
#include "platform/cestatus.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "platform/deviceprofile.h"
#include "tests/support/testsupport.h"

namespace {

constexpr ULONGLONG kMega = 1ull << 20;
constexpr ULONGLONG kGiga = 1ull << 30;

// Writes device-profile values for one test; the profile starts empty and
// is removed afterwards.
class ProfileTest : public testing::Test {
protected:
    void Number(const wchar_t* name, DWORD value, const std::wstring& subkey = L"") {
        Write(name, REG_DWORD, &value, sizeof value, subkey);
    }
    void Qword(const wchar_t* name, ULONGLONG value, const std::wstring& subkey) {
        Write(name, REG_QWORD, &value, sizeof value, subkey);
    }
    // A card named in the profile; no total means an unreadable card.
    void Card(const std::wstring& name, ULONGLONG total, ULONGLONG freeBytes, bool withTotal = true) {
        std::wstring key = std::wstring(ce::kProfileCardsKey) + L"\\" + name;
        if (withTotal) Qword(ce::kProfileCardTotalBytes, total, key);
        Qword(ce::kProfileCardFreeBytes, freeBytes, key);
    }

    // The profile's in-ROM paths, as the multi-string the launcher writes.
    void InRom(const std::vector<std::wstring>& paths) {
        std::wstring data;
        for (const std::wstring& path : paths) data += path + L'\0';
        data += L'\0';
        Write(ce::kProfileInRomFiles, REG_MULTI_SZ, data.data(), DWORD(data.size() * sizeof(wchar_t)), L"");
    }

private:
    void Write(const wchar_t* name, DWORD type, const void* data, DWORD size, const std::wstring& subkey) {
        ASSERT_TRUE(WriteProfileValue(subkey, name, type, data, size));
    }
    ScratchKey profile_{ce::kDeviceProfileKey};
};

// A folder in the device root, removed with its contents afterwards.
class RootFolder {
public:
    explicit RootFolder(const std::wstring& name) : path_(L"\\" + name) {
        RemoveTree(path_);
        CreateDirectoryW(path_.c_str(), nullptr);
    }
    ~RootFolder() { RemoveTree(path_); }
    const std::wstring& Path() const { return path_; }

private:
    std::wstring path_;
};

std::wstring CurrentDrive() {
    wchar_t current[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, current);
    return std::wstring(current, 2);
}

}  // namespace

using DeviceStatus = ProfileTest;
using StorageCard = ProfileTest;
using InRomFile = ProfileTest;

// ---- Object store ----------------------------------------------------------------------

TEST_F(DeviceStatus, StoreTakesTheProfileOverTheDrive) {
    ce::STORE_INFORMATION store{};
    ASSERT_TRUE(ce::GetStoreInformation(&store)) << "the device drive alone answers";
    EXPECT_GT(store.dwStoreSize, 0u);
    EXPECT_LE(store.dwFreeSize, store.dwStoreSize);

    Number(ce::kProfileStoreSize, 32 * kMega);
    Number(ce::kProfileStoreFree, 19 * kMega);
    ASSERT_TRUE(ce::GetStoreInformation(&store));
    EXPECT_EQ(store.dwStoreSize, 32 * kMega);
    EXPECT_EQ(store.dwFreeSize, 19 * kMega);

    Number(ce::kProfileStoreFree, 40 * kMega);
    ASSERT_TRUE(ce::GetStoreInformation(&store));
    EXPECT_EQ(store.dwFreeSize, 32 * kMega) << "free space above the size is cut to the size";
}

TEST_F(DeviceStatus, FailedStoreQueryReportsNothing) {
    Number(ce::kProfileStoreSize, 32 * kMega);
    Number(ce::kProfileStoreQueryFails, 1);
    ce::STORE_INFORMATION store;
    std::memset(&store, 0x66, sizeof store);
    EXPECT_FALSE(ce::GetStoreInformation(&store));
    EXPECT_EQ(store.dwStoreSize, 0u);
    EXPECT_EQ(store.dwFreeSize, 0u);

    SetLastError(0xdeadbeef);
    EXPECT_FALSE(ce::GetStoreInformation(nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

// ---- Power -----------------------------------------------------------------------------

TEST_F(DeviceStatus, PowerTakesTheProfileOverTheDesktop) {
    SYSTEM_POWER_STATUS desktop{};
    ASSERT_TRUE(GetSystemPowerStatus(&desktop));
    ce::SYSTEM_POWER_STATUS_EX status;
    std::memset(&status, 0x66, sizeof status);
    ASSERT_TRUE(ce::GetSystemPowerStatusEx(&status, TRUE));
    EXPECT_EQ(status.ACLineStatus, desktop.ACLineStatus);
    EXPECT_EQ(status.BatteryFlag, desktop.BatteryFlag);
    EXPECT_EQ(status.BatteryLifePercent, desktop.BatteryLifePercent);
    EXPECT_EQ(status.BackupBatteryFlag, ce::kPowerUnknown) << "the desktop has no backup battery";
    EXPECT_EQ(status.BackupBatteryLifePercent, ce::kPowerUnknown);
    EXPECT_EQ(status.BackupBatteryLifeTime, BATTERY_LIFE_UNKNOWN);
    EXPECT_EQ(status.Reserved1 | status.Reserved2 | status.Reserved3, 0);

    Number(ce::kProfileACLineStatus, AC_LINE_OFFLINE);
    Number(ce::kProfileMainBatteryPercent, 76);
    Number(ce::kProfileMainBatteryFlag, BATTERY_FLAG_HIGH);
    Number(ce::kProfileBackupBatteryPercent, 100);
    Number(ce::kProfileBackupBatteryFlag, BATTERY_FLAG_HIGH | BATTERY_FLAG_CHARGING);
    ASSERT_TRUE(ce::GetSystemPowerStatusEx(&status, FALSE));
    EXPECT_EQ(status.ACLineStatus, AC_LINE_OFFLINE);
    EXPECT_EQ(status.BatteryLifePercent, 76);
    EXPECT_EQ(status.BatteryFlag, BATTERY_FLAG_HIGH);
    EXPECT_EQ(status.BackupBatteryLifePercent, 100);
    EXPECT_EQ(status.BackupBatteryFlag, BATTERY_FLAG_HIGH | BATTERY_FLAG_CHARGING);

    Number(ce::kProfileMainBatteryPercent, 300);
    ASSERT_TRUE(ce::GetSystemPowerStatusEx(&status, FALSE));
    EXPECT_EQ(status.BatteryLifePercent, desktop.BatteryLifePercent) << "a value that is no byte counts as missing";
}

TEST_F(DeviceStatus, FailedPowerQueryReportsEverythingUnknown) {
    Number(ce::kProfileMainBatteryPercent, 76);
    Number(ce::kProfilePowerQueryFails, 1);
    ce::SYSTEM_POWER_STATUS_EX status;
    std::memset(&status, 0x66, sizeof status);
    EXPECT_FALSE(ce::GetSystemPowerStatusEx(&status, FALSE));
    const BYTE bytes[] = {status.ACLineStatus, status.BatteryFlag, status.BatteryLifePercent,
                          status.BackupBatteryFlag, status.BackupBatteryLifePercent};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(bytes[i], ce::kPowerUnknown) << "byte " << i;
    EXPECT_EQ(status.BatteryLifeTime, BATTERY_LIFE_UNKNOWN);
    EXPECT_EQ(status.BackupBatteryFullLifeTime, BATTERY_LIFE_UNKNOWN);
    EXPECT_EQ(status.Reserved1 | status.Reserved2 | status.Reserved3, 0);
    EXPECT_FALSE(ce::GetSystemPowerStatusEx(nullptr, FALSE));
}

// ---- Storage cards ------------------------------------------------------------------------

TEST_F(StorageCard, RootFolderNamedInTheProfileIsMarked) {
    Card(L"Test Card A", 128 * kMega, 64 * kMega);
    Card(L"Test Card File", 128 * kMega, 64 * kMega);
    Card(L"Test Card Gone", 128 * kMega, 64 * kMega);
    RootFolder card(L"Test Card A");
    RootFolder plain(L"Test Plain");
    CreateDirectoryW(L"\\Test Plain\\Test Card A", nullptr);
    CloseHandle(CreateFileW(L"\\Test Card File", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));

    struct Case {
        std::wstring path;
        DWORD expected;
    };
    const DWORD cardFolder = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_TEMPORARY;
    const Case cases[] = {
        /* 0 */ {L"\\Test Card A", cardFolder},
        /* 1 */ {L"\\Test Card A\\", cardFolder},
        /* 2 */ {CurrentDrive() + L"\\Test Card A", cardFolder},
        /* 3 */ {L"\\TEST CARD A", cardFolder},
        /* 4 */ {L"\\Test Plain", FILE_ATTRIBUTE_DIRECTORY},
        /* 5 */ {L"\\Test Plain\\Test Card A", FILE_ATTRIBUTE_DIRECTORY},  // only the root holds cards
        /* 6 */ {L"\\Test Card Gone", INVALID_FILE_ATTRIBUTES},               // named, but not mounted
    };
    for (int i = 0; i < static_cast<int>(std::size(cases)); ++i) {
        DWORD attributes = ce::GetFileAttributesW(cases[i].path.c_str());
        if (cases[i].expected == INVALID_FILE_ATTRIBUTES)
            EXPECT_EQ(attributes, INVALID_FILE_ATTRIBUTES) << "case " << i;
        else
            EXPECT_EQ(attributes & cardFolder, cases[i].expected) << "case " << i;
    }
    DWORD file = ce::GetFileAttributesW(L"\\Test Card File");
    EXPECT_NE(file, INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(file & FILE_ATTRIBUTE_TEMPORARY, 0u) << "a file is never a card";
    DeleteFileW(L"\\Test Card File");
}

TEST_F(StorageCard, OnlyRootSearchesMarkCards) {
    Card(L"Test Card A", 128 * kMega, 64 * kMega);
    RootFolder card(L"Test Card A");
    RootFolder plain(L"Test Plain");
    CreateDirectoryW(L"\\Test Plain\\Test Card A", nullptr);

    // Both searches are open at once and stepped in turn: each keeps its own
    // idea of whether it lists the root.
    std::map<std::wstring, DWORD> root;
    std::map<std::wstring, DWORD> inner;
    WIN32_FIND_DATAW rootData;
    WIN32_FIND_DATAW innerData;
    HANDLE rootFind = ce::FindFirstFileW(L"\\*.*", &rootData);
    HANDLE innerFind = ce::FindFirstFileW(L"\\Test Plain\\*", &innerData);
    ASSERT_NE(rootFind, INVALID_HANDLE_VALUE);
    ASSERT_NE(innerFind, INVALID_HANDLE_VALUE);
    bool rootMore = true;
    bool innerMore = true;
    while (rootMore || innerMore) {
        if (rootMore) root[rootData.cFileName] = rootData.dwFileAttributes;
        if (innerMore) inner[innerData.cFileName] = innerData.dwFileAttributes;
        if (rootMore) rootMore = ce::FindNextFileW(rootFind, &rootData) != FALSE;
        if (innerMore) innerMore = ce::FindNextFileW(innerFind, &innerData) != FALSE;
    }
    EXPECT_TRUE(ce::FindClose(rootFind));
    EXPECT_TRUE(ce::FindClose(innerFind));

    ASSERT_EQ(root.count(L"Test Card A"), 1u);
    EXPECT_NE(root[L"Test Card A"] & FILE_ATTRIBUTE_TEMPORARY, 0u);
    ASSERT_EQ(root.count(L"Test Plain"), 1u);
    EXPECT_EQ(root[L"Test Plain"] & FILE_ATTRIBUTE_TEMPORARY, 0u);
    ASSERT_EQ(inner.count(L"Test Card A"), 1u);
    EXPECT_EQ(inner[L"Test Card A"] & FILE_ATTRIBUTE_TEMPORARY, 0u) << "a card's name below the root";
}

TEST_F(StorageCard, FreeSpaceOfCardPathsComesFromTheProfile) {
    Card(L"Test Card A", 128 * kMega, 100 * kMega);
    Card(L"Test Card Big", 8 * kGiga, 9 * kGiga);
    Card(L"Test Card Bad", 0, 5 * kMega, /*withTotal=*/false);
    RootFolder a(L"Test Card A");
    RootFolder big(L"Test Card Big");
    RootFolder bad(L"Test Card Bad");
    CreateDirectoryW(L"\\Test Card A\\Sub", nullptr);

    struct Case {
        std::wstring path;
        ULONGLONG total;
        ULONGLONG freeBytes;
    };
    const Case cases[] = {
        /* 0 */ {L"\\Test Card A", 128 * kMega, 100 * kMega},
        /* 1 */ {L"\\Test Card A\\Sub", 128 * kMega, 100 * kMega},
        /* 2 */ {CurrentDrive() + L"\\Test Card A\\", 128 * kMega, 100 * kMega},
        /* 3 */ {L"\\Test Card Big", 8 * kGiga, 8 * kGiga},  // over 4 GB kept whole; free cut to the total
    };
    for (int i = 0; i < static_cast<int>(std::size(cases)); ++i) {
        ULARGE_INTEGER available{}, total{}, totalFree{};
        ASSERT_TRUE(ce::GetDiskFreeSpaceExW(cases[i].path.c_str(), &available, &total, &totalFree)) << "case " << i;
        EXPECT_EQ(total.QuadPart, cases[i].total) << "case " << i;
        EXPECT_EQ(totalFree.QuadPart, cases[i].freeBytes) << "case " << i;
        EXPECT_EQ(available.QuadPart, cases[i].freeBytes) << "case " << i;
    }
    ULARGE_INTEGER onlyTotal{};
    EXPECT_TRUE(ce::GetDiskFreeSpaceExW(L"\\Test Card A", nullptr, &onlyTotal, nullptr)) << "null outputs are allowed";
    EXPECT_EQ(onlyTotal.QuadPart, 128 * kMega);

    ULARGE_INTEGER sentinel;
    sentinel.QuadPart = 0x6666666666666666ull;
    ULARGE_INTEGER total = sentinel;
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(ce::GetDiskFreeSpaceExW(L"\\Test Card Bad", nullptr, &total, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_READY));
    EXPECT_EQ(total.QuadPart, sentinel.QuadPart) << "a failed query wrote its output";
    EXPECT_FALSE(ce::GetDiskFreeSpaceExW(L"\\Test Card A\\Missing", nullptr, &total, nullptr));

    ULARGE_INTEGER deviceTotal{}, cardlessTotal{};
    ASSERT_TRUE(::GetDiskFreeSpaceExW(L"\\", nullptr, &deviceTotal, nullptr));
    ASSERT_TRUE(ce::GetDiskFreeSpaceExW(L"\\", nullptr, &cardlessTotal, nullptr));
    EXPECT_EQ(cardlessTotal.QuadPart, deviceTotal.QuadPart) << "the root is the desktop's";
}

// ---- In-ROM files ----------------------------------------------------------------------

TEST_F(InRomFile, ListedPathsCarryTheAttributeInBothWrappers) {
    RootFolder rom(L"Test Rom");
    for (const wchar_t* name : {L"\\Test Rom\\calc.exe", L"\\Test Rom\\calc.exe.bak", L"\\Test Rom\\user.txt"})
        CloseHandle(CreateFileW(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    CreateDirectoryW(L"\\Test Rom\\Sub", nullptr);
    InRom({L"\\test rom\\CALC.EXE", CurrentDrive() + L"\\Test Rom\\Sub\\", L"\\Test Rom\\missing.dll"});

    struct Case {
        std::wstring path;
        bool inRom;
    };
    const Case cases[] = {
        /* 0 */ {L"\\Test Rom\\calc.exe", true},
        /* 1 */ {CurrentDrive() + L"\\TEST ROM\\calc.exe", true},
        /* 2 */ {L"\\Test Rom\\calc.exe.bak", false},  // a longer name is another file
        /* 3 */ {L"\\Test Rom\\user.txt", false},
        /* 4 */ {L"\\Test Rom\\Sub", true},
        /* 5 */ {L"\\Test Rom\\Sub\\", true},
        /* 6 */ {L"\\Test Rom", false},  // the folder of an in-ROM file is not in ROM itself
    };
    for (int i = 0; i < static_cast<int>(std::size(cases)); ++i) {
        const DWORD attributes = ce::GetFileAttributesW(cases[i].path.c_str());
        ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES) << "case " << i;
        EXPECT_EQ((attributes & FILE_ATTRIBUTE_INROM) != 0, cases[i].inRom) << "case " << i;
    }
    SetLastError(0xDEADBEEF);
    EXPECT_EQ(ce::GetFileAttributesW(L"\\Test Rom\\missing.dll"), INVALID_FILE_ATTRIBUTES)
        << "a listed path that does not exist stays missing";
    EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND)) << "the desktop call's error is kept";

    std::map<std::wstring, DWORD> listed;
    WIN32_FIND_DATAW data;
    HANDLE find = ce::FindFirstFileW(L"\\Test Rom\\*", &data);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    do listed[data.cFileName] = data.dwFileAttributes;
    while (ce::FindNextFileW(find, &data));
    EXPECT_TRUE(ce::FindClose(find));
    const std::pair<const wchar_t*, bool> expected[] = {
        {L"calc.exe", true}, {L"calc.exe.bak", false}, {L"user.txt", false}, {L"Sub", true}, {L".", false}};
    for (const auto& [name, inRom] : expected) {
        ASSERT_EQ(listed.count(name), 1u) << Narrow(name);
        EXPECT_EQ((listed[name] & FILE_ATTRIBUTE_INROM) != 0, inRom) << Narrow(name);
    }
}

TEST_F(InRomFile, WithoutAListNothingIsInRom) {
    RootFolder folder(L"Test Rom");
    CloseHandle(CreateFileW(L"\\Test Rom\\calc.exe", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    EXPECT_EQ(ce::GetFileAttributesW(L"\\Test Rom\\calc.exe") & FILE_ATTRIBUTE_INROM, 0u);
    Number(ce::kProfileInRomFiles, 1);  // the wrong type counts as no list
    EXPECT_EQ(ce::GetFileAttributesW(L"\\Test Rom\\calc.exe") & FILE_ATTRIBUTE_INROM, 0u);
}
