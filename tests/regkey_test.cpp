// Registry access over the real registry of the test prefix.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "framework/regkey.h"
#include "tests/support/testsupport.h"

namespace {

const wchar_t* const kTestKey = L"Software\\PebbloraTests\\Registry";

// Stores raw bytes as a value of the given type, bypassing FRegKey.
void StoreRaw(const wchar_t* name, DWORD type, const void* data, DWORD bytes) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kTestKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), bytes), ERROR_SUCCESS);
    RegCloseKey(key);
}

}  // namespace

TEST(RegistryKey, StringRoundTripKeepsTextAndTerminator) {
    ScratchKey scratch(kTestKey);
    {
        FRegKey key(HKEY_CURRENT_USER);
        ASSERT_EQ(key.Create(kTestKey), ERROR_SUCCESS);
        ASSERT_EQ(key.SetString(L"skin", L"\\My Documents\\スキン\\a.ini"), ERROR_SUCCESS);
    }
    FRegKey key(HKEY_CURRENT_USER);
    ASSERT_EQ(key.Open(kTestKey), ERROR_SUCCESS);
    wchar_t text[260];
    DWORD bytes = sizeof(text);
    ASSERT_EQ(key.QueryString(L"skin", text, &bytes), ERROR_SUCCESS);
    EXPECT_STREQ(text, L"\\My Documents\\スキン\\a.ini");
    // SetString stores the terminator too.
    EXPECT_EQ(bytes, (std::wcslen(text) + 1) * sizeof(wchar_t));
}

TEST(RegistryKey, MissingValueOrKeyGivesErrorAndEmptyText) {
    ScratchKey scratch(kTestKey);
    FRegKey key(HKEY_CURRENT_USER);
    EXPECT_EQ(key.Open(kTestKey), ERROR_FILE_NOT_FOUND);
    ASSERT_EQ(key.Create(kTestKey), ERROR_SUCCESS);
    wchar_t text[16];
    std::fill(std::begin(text), std::end(text), L'x');
    DWORD bytes = sizeof(text);
    EXPECT_EQ(key.QueryString(L"absent", text, &bytes), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(text[0], L'\0');
}

TEST(RegistryKey, UnterminatedStringComesBackTerminated) {
    ScratchKey scratch(kTestKey);
    StoreRaw(L"bare", REG_SZ, L"abc", 6);  // three units, no terminator
    FRegKey key(HKEY_CURRENT_USER);
    ASSERT_EQ(key.Open(kTestKey), ERROR_SUCCESS);

    // Room for two more bytes: terminated after the data. (Some registries
    // add the terminator themselves and count it.)
    wchar_t roomy[8];
    std::fill(std::begin(roomy), std::end(roomy), static_cast<wchar_t>(0x6666));
    DWORD bytes = sizeof(roomy);
    ASSERT_EQ(key.QueryString(L"bare", roomy, &bytes), ERROR_SUCCESS);
    EXPECT_TRUE(bytes == 6u || bytes == 8u) << "bytes stored: " << bytes;
    EXPECT_STREQ(roomy, L"abc");
    EXPECT_EQ(roomy[5], 0x6666) << "wrote beyond the terminator";

    // Exactly room for the data and the terminator.
    wchar_t exact[4];
    bytes = sizeof(exact);
    ASSERT_EQ(key.QueryString(L"bare", exact, &bytes), ERROR_SUCCESS);
    EXPECT_STREQ(exact, L"abc");

    // The data fills the buffer: whether the registry refuses it or hands it
    // over without a terminator, the caller gets a terminated text and
    // nothing is written past the capacity.
    wchar_t full[3 + 2];
    std::fill(std::begin(full), std::end(full), static_cast<wchar_t>(0x6666));
    bytes = 3 * sizeof(wchar_t);
    LONG result = key.QueryString(L"bare", full, &bytes);
    if (result == ERROR_SUCCESS)
        EXPECT_STREQ(full, L"ab");
    else
        EXPECT_STREQ(full, L"") << "error " << result;
    EXPECT_EQ(full[3], 0x6666) << "wrote past the stated capacity";
    EXPECT_EQ(full[4], 0x6666) << "wrote past the stated capacity";
}

TEST(RegistryKey, OddByteCountIsTerminatedAtTheEvenOffset) {
    ScratchKey scratch(kTestKey);
    StoreRaw(L"odd", REG_SZ, "a\0b\0c", 5);
    FRegKey key(HKEY_CURRENT_USER);
    ASSERT_EQ(key.Open(kTestKey), ERROR_SUCCESS);
    wchar_t text[8];
    DWORD bytes = sizeof(text);
    ASSERT_EQ(key.QueryString(L"odd", text, &bytes), ERROR_SUCCESS);
    EXPECT_STREQ(text, L"ab");
}

TEST(RegistryKey, NonStringTypesAreLeftAsStored) {
    ScratchKey scratch(kTestKey);
    const unsigned char data[4] = {'x', 0, 'y', 0};
    StoreRaw(L"binary", REG_BINARY, data, 4);
    FRegKey key(HKEY_CURRENT_USER);
    ASSERT_EQ(key.Open(kTestKey), ERROR_SUCCESS);
    wchar_t text[4] = {0x6666, 0x6666, 0x6666, 0x6666};
    DWORD bytes = sizeof(text);
    ASSERT_EQ(key.QueryString(L"binary", text, &bytes), ERROR_SUCCESS);
    EXPECT_EQ(text[0], L'x');
    EXPECT_EQ(text[1], L'y');
    EXPECT_EQ(text[2], 0x6666) << "a binary value must not be terminated";
}

TEST(RegistryKey, CreateOfExistingKeyOpensItAndSecondCreateClosesTheFirst) {
    ScratchKey scratch(kTestKey);
    FRegKey key(HKEY_CURRENT_USER);
    ASSERT_EQ(key.Create(kTestKey), ERROR_SUCCESS);
    ASSERT_EQ(key.SetString(L"v", L"first"), ERROR_SUCCESS);
    ASSERT_EQ(key.Create(kTestKey), ERROR_SUCCESS);
    wchar_t text[16];
    DWORD bytes = sizeof(text);
    ASSERT_EQ(key.QueryString(L"v", text, &bytes), ERROR_SUCCESS);
    EXPECT_STREQ(text, L"first");
    // Opening a missing key gives up the key held before.
    EXPECT_EQ(key.Open(L"Software\\PebbloraTests\\NoSuchKey"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key.Handle(), nullptr);
    ASSERT_EQ(key.Create(kTestKey), ERROR_SUCCESS);
    EXPECT_EQ(key.Close(), ERROR_SUCCESS);
    EXPECT_EQ(key.Handle(), nullptr);
    EXPECT_EQ(key.Close(), ERROR_SUCCESS) << "closing twice";
}

TEST(OneShotRegistryRead, ReadsNumbersAndShortDataOfAnyType) {
    ScratchKey scratch(kTestKey);
    DWORD number = 7;
    StoreRaw(L"number", REG_DWORD, &number, 4);
    StoreRaw(L"text1", REG_SZ, L"A", 4);  // one character and its terminator
    StoreRaw(L"long", REG_SZ, L"AB", 6);

    DWORD out = 0x6666;
    EXPECT_EQ(ReadRegValue(HKEY_CURRENT_USER, kTestKey, L"number", &out), ERROR_SUCCESS);
    EXPECT_EQ(out, 7u);
    out = 0x6666;
    EXPECT_EQ(ReadRegValue(HKEY_CURRENT_USER, kTestKey, L"text1", &out), ERROR_SUCCESS);
    EXPECT_EQ(out, 0x41u) << "the 4 bytes of \"A\" read as a number";

    out = 0x6666;
    EXPECT_EQ(ReadRegValue(HKEY_CURRENT_USER, kTestKey, L"long", &out), ERROR_MORE_DATA);
    EXPECT_EQ(out, 0x6666u) << "a failed read must leave the number alone";
    EXPECT_EQ(ReadRegValue(HKEY_CURRENT_USER, kTestKey, L"absent", &out), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(ReadRegValue(HKEY_CURRENT_USER, L"Software\\PebbloraTests\\NoSuchKey", L"x", &out),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(out, 0x6666u);
}
