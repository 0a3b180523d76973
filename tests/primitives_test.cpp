// File primitives: each does its one change or shows exactly one message that
// fits the failure, in the interface language; in-ROM files are passed over.
#include "fileops/primitives.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/language.h"
#include "platform/deviceprofile.h"
#include "tests/support/testsupport.h"

namespace {

struct LanguageScope {
    bool saved = LangJapanese;
    explicit LanguageScope(bool japanese) { LangJapanese = japanese; }
    ~LanguageScope() { LangJapanese = saved; }
};

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// A file held open without any sharing, as another program would hold it.
class HeldOpen {
public:
    explicit HeldOpen(const std::wstring& path)
        : file_(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr)) {}
    ~HeldOpen() {
        if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
    }
    bool Held() const { return file_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE file_;
};

class FilePrimitives : public testing::Test {
protected:
    ScratchFolder folder;
    std::wstring Path(const std::wstring& name) const { return folder / name; }
    std::wstring File(const std::wstring& name, const std::string& bytes = "contents") const {
        return folder.WriteFile(name, bytes);
    }
};

// One call, its result and the single message it must show (none when empty).
struct Expectation {
    const char* name;
    std::function<bool()> call;
    bool result;
    std::wstring message;
};

void Check(const Expectation& expected) {
    BoxWatcher watcher;
    EXPECT_EQ(expected.call(), expected.result) << expected.name;
    if (expected.message.empty()) {
        EXPECT_TRUE(watcher.Seen().empty()) << expected.name << ": unexpected box "
                                            << (watcher.Seen().empty() ? "" : Narrow(watcher.Seen()[0].text));
        return;
    }
    ASSERT_EQ(watcher.Seen().size(), 1u) << expected.name << ": one message, and only one";
    EXPECT_EQ(Narrow(watcher.Seen()[0].text), Narrow(expected.message)) << expected.name;
}

}  // namespace

TEST_F(FilePrimitives, FailuresShowTheMessageOfTheirCode) {
    const std::wstring missing = Path(L"missing.txt");
    const std::wstring held = File(L"held.txt");
    const std::wstring nowhere = Path(L"no folder\\copy.txt");
    auto hold = std::make_unique<HeldOpen>(held);
    ASSERT_TRUE(hold->Held());
    const std::wstring full = Path(L"full");
    CreateDirectoryW(full.c_str(), nullptr);
    File(L"full\\a.txt");
    const Expectation cases[] = {
        {"copy of a missing file", [&] { return CopyFileChecked(nullptr, missing.c_str(), Path(L"c").c_str()); },
         false, L"File not found"},
        {"delete of a missing file", [&] { return DeleteFileChecked(nullptr, missing.c_str()); }, false,
         L"Error DeleteFile 2"},
        {"move of a missing file", [&] { return MoveFileChecked(nullptr, missing.c_str(), Path(L"m").c_str()); },
         false, L"Error Move file 2"},
        {"copy of a file in use", [&] { return CopyFileChecked(nullptr, held.c_str(), Path(L"c").c_str()); }, false,
         held + L" is in use"},
        {"move of a file in use", [&] { return MoveFileChecked(nullptr, held.c_str(), Path(L"m").c_str()); }, false,
         held + L" is in use"},
        {"delete of a file in use", [&] { return DeleteFileChecked(nullptr, held.c_str()); }, false,
         L"Access denied"},
        {"copy into a missing folder",
         [&] { return CopyFileChecked(nullptr, Path(L"full\\a.txt").c_str(), nowhere.c_str()); }, false,
         L"Error CopyFile 3"},
        {"removal of a folder with a file", [&] { return RemoveFolderChecked(nullptr, full.c_str()); }, false,
         L"Folder not empty"},
        {"folder below a missing one", [&] { return CreateFolderChecked(nullptr, Path(L"x\\y").c_str()); }, false,
         L"Can't find the path specified. '" + Path(L"x\\y") + L"'"},
        {"attributes of a missing file",
         [&] { return SetAttributesChecked(nullptr, missing.c_str(), FILE_ATTRIBUTE_NORMAL); }, false,
         L"Error SetFileAttribute 2"},
    };
    for (const Expectation& expected : cases) Check(expected);
    hold.reset();
    EXPECT_EQ(ReadAll(held), "contents") << "a failed copy or move leaves its source alone";
}

TEST_F(FilePrimitives, JapaneseMessagesAndTheCodeTextsThatStayEnglish) {
    LanguageScope japanese(true);
    const std::wstring missing = Path(L"missing.txt");
    const std::wstring held = File(L"held.txt");
    HeldOpen hold(held);
    const Expectation cases[] = {
        {"copy of a missing file", [&] { return CopyFileChecked(nullptr, missing.c_str(), Path(L"c").c_str()); },
         false, L"ﾌｧｲﾙが見つかりません"},
        {"copy of a file in use", [&] { return CopyFileChecked(nullptr, held.c_str(), Path(L"c").c_str()); }, false,
         held + L" は使用中です"},
        {"unlisted code", [&] { return CopyFileChecked(nullptr, Path(L"none\\c").c_str(), Path(L"d").c_str()); },
         false, L"Error CopyFile 3"},
        {"delete of a missing file", [&] { return DeleteFileChecked(nullptr, missing.c_str()); }, false,
         L"Error DeleteFile 2"},
        {"folder below a missing one", [&] { return CreateFolderChecked(nullptr, Path(L"x\\y").c_str()); }, false,
         L"ﾃﾞｨﾚｸﾄﾘﾊﾟｽ '" + Path(L"x\\y") + L"'が見つかりません。"},
    };
    for (const Expectation& expected : cases) Check(expected);
}

TEST_F(FilePrimitives, AttributesAreClearedBeforeADelete) {
    for (DWORD attributes : {FILE_ATTRIBUTE_READONLY, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM,
                             FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM}) {
        const std::wstring path = File(L"protected.txt");
        ASSERT_TRUE(SetFileAttributesW(path.c_str(), attributes));
        Check({"delete of a protected file", [&] { return DeleteFileChecked(nullptr, path.c_str()); }, true, L""});
        EXPECT_FALSE(Exists(path)) << "attributes " << attributes;
    }
    CreateDirectoryW(Path(L"ro").c_str(), nullptr);
    SetFileAttributesW(Path(L"ro").c_str(), FILE_ATTRIBUTE_READONLY);
    Check({"removal of a read-only folder", [&] { return RemoveFolderChecked(nullptr, Path(L"ro").c_str()); }, true,
           L""});
    EXPECT_FALSE(Exists(Path(L"ro")));
}

TEST_F(FilePrimitives, CopyOverwritesAnExistingTarget) {
    const std::wstring source = File(L"source.txt", "new");
    const std::wstring target = File(L"target.txt", "old");
    Check({"copy onto an existing target", [&] { return CopyFileChecked(nullptr, source.c_str(), target.c_str()); },
           true, L""});
    EXPECT_EQ(ReadAll(target), "new");
    EXPECT_EQ(ReadAll(source), "new");
}

TEST_F(FilePrimitives, AFullDiskHasATextOfItsOwnForCopy) {
    // Wine shows the host's /dev/full on drive Z:; every write to it fails
    // with a full disk.
    const std::wstring source = File(L"source.txt", std::string(70000, 'x'));
    Check({"copy to a full disk", [&] { return CopyFileChecked(nullptr, source.c_str(), L"Z:\\dev\\full"); }, false,
           L"The disk is full"});
    EXPECT_EQ(ReadAll(source).size(), 70000u);
}

TEST_F(FilePrimitives, InRomFilesArePassedOverAsDone) {
    const std::wstring rom = File(L"rom.exe", "rom");
    const DWORD bytes = DWORD((rom.size() + 2) * sizeof(wchar_t));
    std::wstring list = rom + L'\0' + L'\0';
    ScratchKey profile(ce::kDeviceProfileKey);
    ASSERT_TRUE(WriteProfileValue(L"", ce::kProfileInRomFiles, REG_MULTI_SZ, list.data(), bytes));
    const Expectation cases[] = {
        {"copy", [&] { return CopyFileChecked(nullptr, rom.c_str(), Path(L"copy.exe").c_str()); }, true, L""},
        {"move", [&] { return MoveFileChecked(nullptr, rom.c_str(), Path(L"moved.exe").c_str()); }, true, L""},
        {"rename", [&] { return MoveFileChecked(nullptr, rom.c_str(), Path(L"ROM.EXE2").c_str()); }, true, L""},
        {"delete", [&] { return DeleteFileChecked(nullptr, rom.c_str()); }, true, L""},
    };
    for (const Expectation& expected : cases) Check(expected);
    EXPECT_EQ(ReadAll(rom), "rom") << "the in-ROM file is where it was";
    for (const wchar_t* name : {L"copy.exe", L"moved.exe", L"ROM.EXE2"}) EXPECT_FALSE(Exists(Path(name))) << Narrow(name);
}

TEST_F(FilePrimitives, FolderPathsAreMadeLevelByLevel) {
    File(L"file");
    const std::wstring deep = Path(L"a\\b\\c");
    Check({"a new path", [&] { return CreateFolderPath(nullptr, deep.c_str()); }, true, L""});
    EXPECT_TRUE(Exists(deep));
    Check({"an existing folder", [&] { return CreateFolderPath(nullptr, deep.c_str()); }, true, L""});
    Check({"a file in the way", [&] { return CreateFolderPath(nullptr, Path(L"file\\b").c_str()); }, false, L""});
    Check({"the path is a file", [&] { return CreateFolderPath(nullptr, Path(L"file").c_str()); }, false, L""});
    Check({"a name without a folder", [] { return CreateFolderPath(nullptr, L"plainname"); }, false, L""});
    EXPECT_FALSE(Exists(L"plainname"));

    // A path past the limit makes no folder above it; the platform's answer
    // to the whole path is the one message.
    std::wstring tooLong = Path(L"long");
    while (tooLong.size() < 300) tooLong += L"\\segment";
    BoxWatcher watcher;
    EXPECT_FALSE(CreateFolderPath(nullptr, tooLong.c_str()));
    EXPECT_EQ(watcher.Seen().size(), 1u);
    EXPECT_FALSE(Exists(Path(L"long")));
}
