// The object store's database enumeration over the device profile.
#include "platform/cedatabase.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "platform/deviceprofile.h"
#include "tests/support/testsupport.h"

namespace {

// The profile of one test, starting empty and removed afterwards.
class ObjectStore : public testing::Test {
protected:
    void Add(const std::wstring& label, const std::wstring& name, DWORD type) {
        const std::wstring key = std::wstring(ce::kProfileDatabasesKey) + L"\\" + label;
        ASSERT_TRUE(WriteProfileValue(key, ce::kProfileDatabaseName, REG_SZ, name.c_str(),
                                      static_cast<DWORD>((name.size() + 1) * sizeof(wchar_t))));
        ASSERT_TRUE(WriteProfileValue(key, ce::kProfileDatabaseType, REG_DWORD, &type, sizeof type));
    }
    void Remove(const std::wstring& label) {
        const std::wstring key =
            std::wstring(ce::kDeviceProfileKey) + L"\\" + ce::kProfileDatabasesKey + L"\\" + label;
        ASSERT_EQ(RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str()), ERROR_SUCCESS);
    }

    // Every identifier an enumeration of `type` gives, with the name read for it.
    std::map<ce::CEOID, std::wstring> Enumerate(DWORD type) {
        std::map<ce::CEOID, std::wstring> found;
        HANDLE search = ce::CeFindFirstDatabaseEx(nullptr, type);
        EXPECT_NE(search, INVALID_HANDLE_VALUE);
        if (search == INVALID_HANDLE_VALUE) return found;
        for (ce::CEOID oid; (oid = ce::CeFindNextDatabaseEx(search, nullptr)) != 0;) {
            ce::CEOIDINFO info;
            EXPECT_TRUE(ce::CeOidGetInfoEx(nullptr, oid, &info)) << oid;
            EXPECT_EQ(info.wObjType, ce::OBJTYPE_DATABASE);
            EXPECT_TRUE(found.emplace(oid, info.infDatabase.szDbaseName).second) << "identifier given twice: " << oid;
        }
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_ITEMS));
        EXPECT_EQ(ce::CeFindNextDatabaseEx(search, nullptr), 0u) << "past the end";
        EXPECT_TRUE(ce::CloseHandle(search));
        return found;
    }

private:
    ScratchKey profile_{ce::kDeviceProfileKey};
};

std::vector<std::wstring> Names(const std::map<ce::CEOID, std::wstring>& found) {
    std::vector<std::wstring> names;
    for (const auto& [oid, name] : found) names.push_back(name);
    return names;
}

}  // namespace

TEST_F(ObjectStore, EnumeratesByTypeWithStableIdentifiers) {
    Add(L"1", L"Contacts", 7);
    Add(L"2", L"Tasks", 9);
    Add(L"3", L"Appointments", 7);

    const auto all = Enumerate(0);
    EXPECT_EQ(Names(all), (std::vector<std::wstring>{L"Contacts", L"Tasks", L"Appointments"}));
    const auto sevens = Enumerate(7);
    EXPECT_EQ(Names(sevens), (std::vector<std::wstring>{L"Contacts", L"Appointments"}));
    for (const auto& [oid, name] : sevens) EXPECT_EQ(all.at(oid), name) << "another identifier in a second search";
    EXPECT_TRUE(Enumerate(8).empty());

    // An entry removed from the profile no longer reads, nor is it found.
    const ce::CEOID tasks = std::next(all.begin())->first;
    Remove(L"2");
    ce::CEOIDINFO info;
    std::memset(&info, 0x66, sizeof info);
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(ce::CeOidGetInfoEx(nullptr, tasks, &info));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(info.wObjType, 0) << "a failed read leaves a zeroed record";
    EXPECT_EQ(info.infDatabase.szDbaseName[0], L'\0');
    EXPECT_EQ(Enumerate(0).size(), 2u);
}

TEST_F(ObjectStore, OtherVolumesAndForeignHandlesRefused) {
    Add(L"1", L"Contacts", 0);
    ce::CEGUID systemVolume{};
    HANDLE search = ce::CeFindFirstDatabaseEx(&systemVolume, 0);
    ASSERT_NE(search, INVALID_HANDLE_VALUE) << "all zero names the object store";
    const ce::CEOID oid = ce::CeFindNextDatabaseEx(search, nullptr);
    EXPECT_NE(oid, 0u);
    EXPECT_TRUE(ce::CloseHandle(search));
    EXPECT_EQ(ce::CeFindNextDatabaseEx(search, nullptr), 0u) << "a closed enumeration gives nothing";

    ce::CEGUID card{1, 2, 3, 4};
    ce::CEOIDINFO info;
    SetLastError(0xdeadbeef);
    EXPECT_EQ(ce::CeFindFirstDatabaseEx(&card, 0), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_FALSE(ce::CeOidGetInfoEx(&card, oid, &info));
    EXPECT_FALSE(ce::CeOidGetInfoEx(nullptr, oid + 1000, &info)) << "an identifier never handed out";
    EXPECT_FALSE(ce::CeOidGetInfoEx(nullptr, oid, nullptr));
    EXPECT_TRUE(ce::CeOidGetInfoEx(nullptr, oid, &info));
}
