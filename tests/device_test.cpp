// The device drive and the device profile.
#include <gtest/gtest.h>

#include <string>

#include "platform/device.h"
#include "platform/deviceprofile.h"
#include "tests/support/testsupport.h"

// Run from a copy installed on the device: enters the device root and
// reports 0 when "\" is the device and the module path has no drive letter.
PEBBLORA_CHILD(EnterRootFromDevice) {
    if (!ce::EnterDeviceRoot()) return 2;
    wchar_t current[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, current);
    wchar_t module[MAX_PATH];
    ::GetModuleFileNameW(nullptr, module, MAX_PATH);
    if (current[0] != module[0] || std::wstring(current + 1) != L":\\") return 3;
    wchar_t devicePath[MAX_PATH];
    DWORD length = ce::GetModuleFileNameW(nullptr, devicePath, MAX_PATH);
    if (std::wstring(devicePath) != L"\\Program Files\\PebbloraTests\\device_test.exe") return 4;
    if (length != wcslen(devicePath)) return 5;
    // "\" now names the device root: its standard folders are there.
    if (GetFileAttributesW(L"\\Program Files\\PebbloraTests") == INVALID_FILE_ATTRIBUTES) return 6;
    return 0;
}

TEST(DeviceDrive, ProgramOnTheDeviceSeesTheDeviceAsRoot) {
    // The test runs with the device root current; install a copy of this
    // program there and start it from another drive's folder.
    ASSERT_TRUE(CreateDirectoryW(L"\\Program Files\\PebbloraTests", nullptr) ||
                GetLastError() == ERROR_ALREADY_EXISTS);
    const wchar_t* installed = L"\\Program Files\\PebbloraTests\\device_test.exe";
    ASSERT_TRUE(CopyFileW(OwnExecutable().c_str(), installed, FALSE));
    wchar_t full[MAX_PATH];
    GetFullPathNameW(installed, MAX_PATH, full, nullptr);
    wchar_t elsewhere[MAX_PATH];
    GetEnvironmentVariableW(L"WINDIR", elsewhere, MAX_PATH);  // C:\windows, inside the Wine prefix

    ChildProcess child;
    ASSERT_TRUE(StartProgram(full, L"--child EnterRootFromDevice", child, elsewhere));
    EXPECT_EQ(child.Wait(30000), 0);
    DeleteFileW(installed);
    RemoveDirectoryW(L"\\Program Files\\PebbloraTests");
}

TEST(DeviceDrive, OnlyTheCurrentDriveLetterIsRemoved) {
    wchar_t current[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, current);
    std::wstring onDevice = std::wstring(1, current[0]) + L":\\Windows\\calc.exe";
    std::wstring elsewhere = std::wstring(1, current[0] == L'Q' ? L'R' : L'Q') + L":\\Windows\\calc.exe";
    wchar_t path[MAX_PATH];
    wcscpy(path, onDevice.c_str());
    EXPECT_TRUE(ce::StripDeviceDrive(path));
    EXPECT_STREQ(path, L"\\Windows\\calc.exe");
    wcscpy(path, elsewhere.c_str());
    EXPECT_FALSE(ce::StripDeviceDrive(path));
    EXPECT_EQ(std::wstring(path), elsewhere);
    wcscpy(path, L"\\Windows");
    EXPECT_FALSE(ce::StripDeviceDrive(path));
    EXPECT_STREQ(path, L"\\Windows");
}

TEST(DeviceDrive, ModulePathThatDoesNotFitIsRefused) {
    wchar_t small[8];
    std::fill(std::begin(small), std::end(small), static_cast<wchar_t>(0x6666));
    EXPECT_EQ(ce::GetModuleFileNameW(nullptr, small, 4), 0u);
    EXPECT_EQ(small[0], L'\0');
    EXPECT_EQ(small[4], 0x6666) << "wrote past the stated size";
}

TEST(DeviceProfile, ValuesAreReadOnEveryCall) {
    ScratchKey profile(ce::kDeviceProfileKey);
    EXPECT_EQ(ce::ReadProfileNumber(ce::kProfileSipShown, 7), 7u) << "missing value gives the fallback";
    HKEY key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, ce::kDeviceProfileKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    DWORD one = 1;
    RegSetValueExW(key, ce::kProfileSipShown, 0, REG_DWORD, reinterpret_cast<BYTE*>(&one), sizeof(one));
    EXPECT_EQ(ce::ReadProfileNumber(ce::kProfileSipShown, 7), 1u);
    RegSetValueExW(key, ce::kProfileSipHeight, 0, REG_SZ, reinterpret_cast<const BYTE*>(L"80"), 6);
    EXPECT_EQ(ce::ReadProfileNumber(ce::kProfileSipHeight, 5), 5u) << "a text is not a number";

    wchar_t text[4];
    EXPECT_TRUE(ce::ReadProfileText(ce::kProfileSipHeight, text, 4));
    EXPECT_STREQ(text, L"80");
    RegSetValueExW(key, L"Long", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"too long"), 18);
    wchar_t guarded[4 + 4];
    std::fill(std::begin(guarded), std::end(guarded), static_cast<wchar_t>(0x6666));
    EXPECT_FALSE(ce::ReadProfileText(L"Long", guarded, 4));
    EXPECT_EQ(guarded[0], L'\0');
    for (int i = 4; i < 8; ++i) EXPECT_EQ(guarded[i], 0x6666) << "guard unit " << i;

    HKEY sub;
    ASSERT_EQ(RegCreateKeyExW(key, L"Cards\\Storage Card", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &sub, nullptr),
              ERROR_SUCCESS);
    DWORD size = 42;
    RegSetValueExW(sub, L"Size", 0, REG_DWORD, reinterpret_cast<BYTE*>(&size), sizeof(size));
    RegCloseKey(sub);
    RegCloseKey(key);
    EXPECT_EQ(ce::ReadProfileNumber(L"Size", 0, L"Cards\\Storage Card"), 42u);
}
