// The file operation engine, run as the folder view runs it: a request
// behind the real progress dialog, its questions and error boxes answered by
// a watcher that presses their buttons. What must hold above all: nothing is
// lost that the request did not ask to lose.
#include "fileops/fileop.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "fileops/confirm.h"
#include "framework/appvalues.h"
#include "framework/dialog.h"
#include "framework/language.h"
#include "platform/aygshell.h"
#include "platform/deviceprofile.h"
#include "resources/resource.h"
#include "tests/support/answerer.h"
#include "tests/support/testsupport.h"

namespace {

// Presses the progress dialog's Cancel; sent, so that the flag is set before
// the question that triggers it is answered.
void PressCancel(HWND progress) {
    if (progress) SendMessageW(progress, WM_COMMAND, IDCANCEL, 0);
}

// ---- Trees of files ---------------------------------------------------------------------

void WriteAll(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Creates every folder above `path`.
void MakeParents(const std::wstring& path) {
    for (size_t at = path.find(L'\\', 1); at != std::wstring::npos; at = path.find(L'\\', at + 1))
        CreateDirectoryW(path.substr(0, at).c_str(), nullptr);
}

// Every file below `root`: relative path -> contents.
std::map<std::wstring, std::string> Snapshot(const std::wstring& root, const std::wstring& relative = L"") {
    std::map<std::wstring, std::string> files;
    WIN32_FIND_DATAW data;
    const std::wstring folder = relative.empty() ? root : root + L"\\" + relative;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return files;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::wstring child = relative.empty() ? name : relative + L"\\" + name;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            files[child + L"\\"] = "<folder>";
            for (auto& entry : Snapshot(root, child)) files.insert(entry);
        } else {
            files[child] = ReadAll(root + L"\\" + child);
        }
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return files;
}

// A tree of `files` files of distinct contents spread over nested folders.
void MakeTree(const std::wstring& root, std::mt19937& random, int files) {
    CreateDirectoryW(root.c_str(), nullptr);
    std::vector<std::wstring> folders{root};
    for (int i = 0; i < files; ++i) {
        if (random() % 4 == 0) {
            const std::wstring parent = folders[random() % folders.size()];
            folders.push_back(parent + L"\\dir" + std::to_wstring(i));
            CreateDirectoryW(folders.back().c_str(), nullptr);
        }
        const std::wstring folder = folders[random() % folders.size()];
        WriteAll(folder + L"\\file" + std::to_wstring(i) + L".dat",
                 "contents of file " + std::to_string(i) + std::string(random() % 3000, char('a' + i % 26)));
    }
}

unsigned Seed() {
    const char* given = std::getenv("PEBBLORA_SEED");
    const unsigned seed = given ? unsigned(std::strtoul(given, nullptr, 10)) : std::random_device{}();
    std::printf("seed %u (PEBBLORA_SEED repeats it)\n", seed);
    return seed;
}

// A request and the double-NUL source list it points to.
// The window that owns every request, as the file dialog owns the folder
// view's: when a progress dialog ends, the activation returns to it, and
// not to some other program's window on the shared test desktop (whose
// answer to the activation this process would have to wait for).
HWND RequestOwner() {
    static HWND owner = CreateWindowExW(0, L"STATIC", L"request owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200,
                                        100, nullptr, nullptr, nullptr, nullptr);
    return owner;
}

struct Request {
    std::wstring list;
    std::wstring destination;
    FileOpRequest record{};

    Request(UINT kind, const std::vector<std::wstring>& sources, const std::wstring& to = L"", WORD flags = 0) {
        for (const std::wstring& source : sources) list += source + L'\0';
        list += L'\0';
        destination = to;
        record.owner = RequestOwner();
        record.kind = kind;
        record.sources = list.c_str();
        record.destination = destination.c_str();
        record.flags = flags;
    }
    bool Run() { return RunFileOperation(record); }
};

class FileOperation : public testing::Test {
protected:
    void SetUp() override {
        AppInstance = GetModuleHandleW(nullptr);
        LangJapanese = false;
        INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_BAR_CLASSES | ICC_PROGRESS_CLASS};
        InitCommonControlsEx(&controls);
        SHInitExtraControls();
    }
    void TearDown() override { LangJapanese = false; }
    ScratchFolder folder;
    std::wstring Path(const std::wstring& name) const { return folder / name; }
};

}  // namespace

// ---- The record ---------------------------------------------------------------------------

TEST(FileOpRecord, IsBytePackedWithThePlatformsKindsAndFlags) {
    EXPECT_EQ(offsetof(FileOpRequest, kind), sizeof(HWND));
    EXPECT_EQ(offsetof(FileOpRequest, flags), sizeof(HWND) + 4 + 2 * sizeof(void*));
    EXPECT_EQ(offsetof(FileOpRequest, anyOperationsAborted), offsetof(FileOpRequest, flags) + 2)
        << "the field after the 16-bit flags sits right behind them";
    EXPECT_EQ(sizeof(FileOpRequest), offsetof(FileOpRequest, anyOperationsAborted) + 4 + 2 * sizeof(void*));
    EXPECT_EQ(FO_MOVE, 1);
    EXPECT_EQ(FO_COPY, 2);
    EXPECT_EQ(FO_DELETE, 3);
    EXPECT_EQ(FO_RENAME, 4);
    EXPECT_EQ(FOF_NOCONFIRMATION, 0x10);
}

// ---- Data safety --------------------------------------------------------------------------

TEST_F(FileOperation, CopyLeavesSourcesAsTheyWereAndTargetsIdentical) {
    std::mt19937 random(Seed());
    MakeTree(Path(L"src"), random, 60);
    CreateDirectoryW(Path(L"dst").c_str(), nullptr);
    const auto before = Snapshot(Path(L"src"));
    Answerer answerer;
    Request request(FO_COPY, {Path(L"src")}, Path(L"dst"), FOF_NOCONFIRMATION);
    ASSERT_TRUE(request.Run());
    EXPECT_TRUE(answerer.seen.empty()) << "no question and no error";
    EXPECT_EQ(Snapshot(Path(L"src")), before);
    EXPECT_EQ(Snapshot(Path(L"dst\\src")), before);
}

TEST_F(FileOperation, InterruptedMovesKeepEveryFileExactlyOnce) {
    const unsigned seed = Seed();
    for (int round = 0; round < 12; ++round) {
        std::mt19937 random(seed + round);
        const std::wstring source = Path(L"src" + std::to_wstring(round));
        const std::wstring target = Path(L"dst" + std::to_wstring(round));
        MakeTree(source, random, 25);
        // Some files wait at the destination already, so that questions come.
        CreateDirectoryW(target.c_str(), nullptr);
        const auto sources = Snapshot(source);
        std::set<std::string> contents, old;
        for (const auto& [name, bytes] : sources) {
            if (bytes == "<folder>") continue;
            contents.insert(bytes);
            if (random() % 3 == 0) {
                // The same relative place below the moved folder.
                const std::wstring at = target + L"\\" + source.substr(source.find_last_of(L'\\') + 1) + L"\\" + name;
                MakeParents(at);
                const std::string mine = "old " + std::to_string(old.size());
                WriteAll(at, mine);
                old.insert(mine);
            }
        }
        // Answers at random: Yes, No, All, Cancel; Cancel stops the move at
        // some entry, No leaves a file behind (the folder then cannot go).
        // Every third round answers only Yes and All: all of it moves.
        const bool whole = round % 3 == 0;
        std::vector<int> answers;
        for (int i = 0; i < 20; ++i) answers.push_back(std::vector<int>{kAnswerYes, kAnswerAll, kAnswerNo,
                                                                        kAnswerCancel}[random() % (whole ? 2 : 4)]);
        Answerer answerer(answers);
        Request request(FO_MOVE, {source}, target);
        ASSERT_TRUE(request.Run()) << "round " << round;

        std::map<std::string, int> found;
        for (const std::wstring& root : {source, target})
            for (const auto& [name, bytes] : Snapshot(root))
                if (bytes != "<folder>") ++found[bytes];
        for (const std::string& bytes : contents)
            EXPECT_EQ(found[bytes], 1) << "round " << round << ": a file is " << (found[bytes] ? "twice" : "lost");
        for (const auto& [bytes, count] : found)
            EXPECT_TRUE(contents.count(bytes) || old.count(bytes)) << "round " << round << ": a file out of nowhere";
        int moved = 0;
        for (const auto& [name, bytes] : Snapshot(target)) moved += contents.count(bytes) ? 1 : 0;
        std::printf("round %d: %d of %zu files moved when the move ended, after %d questions\n", round, moved,
                    contents.size(), answerer.Questions());
        for (const std::wstring& box : answerer.Boxes())
            EXPECT_EQ(box, L"Folder not empty") << "round " << round << ": only a left file stops a move";
        if (whole) {
            EXPECT_FALSE(Exists(source)) << "round " << round << ": the emptied source folders stay";
        }
    }
}

TEST_F(FileOperation, DeleteRemovesExactlyTheSelectedItems) {
    for (const wchar_t* name : {L"A", L"AB", L"A2", L"deep"}) CreateDirectoryW(Path(name).c_str(), nullptr);
    WriteAll(Path(L"A\\in a.txt"), "a");
    WriteAll(Path(L"AB\\in ab.txt"), "ab");
    WriteAll(Path(L"A.txt"), "file named like the folder");
    std::wstring deep = Path(L"deep");
    for (int level = 0; level < 20; ++level) {
        deep += L"\\level" + std::to_wstring(level);
        CreateDirectoryW(deep.c_str(), nullptr);
        WriteAll(deep + L"\\f.txt", "x");
    }
    const DWORD protections[] = {FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_SYSTEM, FILE_ATTRIBUTE_READONLY};
    for (int i = 0; i < 3; ++i) {
        const std::wstring path = Path(L"A\\protected" + std::to_wstring(i));
        WriteAll(path, "p");
        SetFileAttributesW(path.c_str(), protections[i]);
    }
    // A protected folder goes as well, with what it holds.
    CreateDirectoryW(Path(L"A\\locked").c_str(), nullptr);
    WriteAll(Path(L"A\\locked\\in locked.txt"), "l");
    SetFileAttributesW(Path(L"A\\locked").c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    ASSERT_TRUE(GetFileAttributesW(Path(L"A\\locked").c_str()) & FILE_ATTRIBUTE_HIDDEN)
        << "the file system keeps folder attributes";
    Answerer answerer;
    Request request(FO_DELETE, {Path(L"A"), Path(L"deep")}, L"", FOF_NOCONFIRMATION);
    ASSERT_TRUE(request.Run());
    EXPECT_TRUE(answerer.seen.empty());
    EXPECT_FALSE(Exists(Path(L"A")));
    EXPECT_FALSE(Exists(Path(L"deep")));
    EXPECT_EQ(ReadAll(Path(L"AB\\in ab.txt")), "ab") << "a folder whose name starts like the deleted one";
    EXPECT_EQ(ReadAll(Path(L"A.txt")), "file named like the folder");
    EXPECT_TRUE(Exists(Path(L"A2")));
}

TEST_F(FileOperation, RecursionGuardRefusesOnlyTheSourceItselfAndBelow) {
    CreateDirectoryW(Path(L"A").c_str(), nullptr);
    CreateDirectoryW(Path(L"A\\B").c_str(), nullptr);
    CreateDirectoryW(Path(L"AB").c_str(), nullptr);
    WriteAll(Path(L"A\\f.txt"), "f");
    struct Case {
        UINT kind;
        std::wstring source, destination;
        bool refused;
    };
    const Case cases[] = {
        /* 0 */ {FO_COPY, Path(L"A\\f.txt"), Path(L"A"), true},  // a file into its own folder
        /* 1 */ {FO_COPY, Path(L"A"), Path(L"A"), true},
        /* 2 */ {FO_COPY, Path(L"A"), Path(L"A\\B"), true},
        /* 3 */ {FO_MOVE, Path(L"A"), Path(L"a\\b"), true},  // case does not matter
        /* 4 */ {FO_COPY, Path(L"A"), Path(L"AB"), false},
    };
    for (int i = 0; i < int(std::size(cases)); ++i) {
        Answerer answerer;
        Request request(cases[i].kind, {cases[i].source}, cases[i].destination, FOF_NOCONFIRMATION);
        ASSERT_TRUE(request.Run());
        if (cases[i].refused) {
            EXPECT_EQ(answerer.Boxes(), std::vector<std::wstring>{L"Source to destination is recursive"}) << "case " << i;
        } else {
            EXPECT_TRUE(answerer.seen.empty()) << "case " << i;
            EXPECT_EQ(ReadAll(Path(L"AB\\A\\f.txt")), "f") << "case " << i;
        }
    }
    EXPECT_EQ(ReadAll(Path(L"A\\f.txt")), "f") << "refused requests change nothing";
    EXPECT_FALSE(Exists(Path(L"A\\B\\A")));
}

TEST_F(FileOperation, PathsPastTheLimitAreRefusedNotCut) {
    // A folder whose files' full paths stay below the limit, copied to a
    // destination deep enough that the copies would pass it.
    CreateDirectoryW(Path(L"src").c_str(), nullptr);
    WriteAll(Path(L"src\\file-with-a-name.txt"), "x");
    std::wstring deep = Path(L"d");
    CreateDirectoryW(deep.c_str(), nullptr);
    while (deep.size() < 240) {
        deep += L"\\0123456789";
        CreateDirectoryW(deep.c_str(), nullptr);
    }
    {
        Answerer answerer;
        Request request(FO_COPY, {Path(L"src")}, deep, FOF_NOCONFIRMATION);
        ASSERT_TRUE(request.Run());
        EXPECT_EQ(answerer.Boxes(),
                  std::vector<std::wstring>{L"The path is too long:\n" + deep + L"\\src\\file-with-a-name.txt"});
        EXPECT_EQ(ReadAll(Path(L"src\\file-with-a-name.txt")), "x");
        // Nothing was written under a cut name anywhere below the destination.
        for (const auto& [name, bytes] : Snapshot(Path(L"d"))) EXPECT_EQ(bytes, "<folder>") << Narrow(name);
    }
    // A source or destination as given: 259 units and the terminator fit.
    auto sized = [&](wchar_t letter, size_t units) {
        return deep + L'\\' + std::wstring(units - deep.size() - 1, letter);
    };
    WriteAll(sized(L's', 259), "259");
    WriteAll(sized(L's', 260), "260");
    CreateDirectoryW(Path(L"to").c_str(), nullptr);
    struct Case {
        UINT kind;
        std::wstring source, destination, written;  // written: where the file must be, or empty when refused
    };
    const Case cases[] = {
        /* 0 */ {FO_COPY, sized(L's', 259), Path(L"to"), Path(L"to\\") + std::wstring(259 - deep.size() - 1, L's')},
        /* 1 */ {FO_MOVE, sized(L's', 260), Path(L"to"), L""},
        /* 2 */ {FO_COPY, Path(L"src\\file-with-a-name.txt"), sized(L'd', 259), sized(L'd', 259)},
        /* 3 */ {FO_COPY, Path(L"src\\file-with-a-name.txt"), sized(L'd', 260), L""},
    };
    for (int i = 0; i < int(std::size(cases)); ++i) {
        const Case& c = cases[i];
        const std::string before = ReadAll(c.source);
        Answerer answerer;
        Request request(c.kind, {c.source}, c.destination, FOF_NOCONFIRMATION);
        ASSERT_TRUE(request.Run());
        if (c.written.empty()) {
            const std::wstring refused = c.source.size() >= 260 ? c.source : c.destination;
            EXPECT_EQ(answerer.Boxes(), std::vector<std::wstring>{L"The path is too long:\n" + refused})
                << "case " << i;
            EXPECT_EQ(ReadAll(c.source), before) << "case " << i;
            EXPECT_EQ(Exists(c.destination), refused == c.source) << "case " << i;
        } else {
            EXPECT_TRUE(answerer.seen.empty()) << "case " << i << ": " << Narrow(answerer.seen[0].text);
            EXPECT_EQ(ReadAll(c.written), before) << "case " << i;
        }
    }
    EXPECT_EQ(Snapshot(Path(L"to")).size(), 1u) << "only the accepted copy, not the refused move";
}

// ---- Questions -----------------------------------------------------------------------------

TEST_F(FileOperation, DeleteQuestionsFollowTheFilesAttributesAndAllEndsThem) {
    CreateDirectoryW(Path(L"F").c_str(), nullptr);
    const std::pair<const wchar_t*, DWORD> files[] = {
        {L"F\\a plain.txt", 0},
        {L"F\\b tool.exe", FILE_ATTRIBUTE_READONLY},  // read-only wins over program
        {L"F\\c run.EXE", 0},
        {L"F\\d core.sys", FILE_ATTRIBUTE_SYSTEM},
        {L"F\\e later.txt", 0},
        {L"F\\f later.txt", 0},
    };
    for (const auto& [name, attributes] : files) {
        WriteAll(Path(name), "x");
        if (attributes) SetFileAttributesW(Path(name).c_str(), attributes);
    }
    // Yes to the first four, All at the fifth: the sixth is not asked.
    Answerer answerer({kAnswerYes, kAnswerYes, kAnswerYes, kAnswerYes, kAnswerAll});
    Request request(FO_DELETE, {Path(L"F")});
    ASSERT_TRUE(request.Run());
    ASSERT_EQ(answerer.Questions(), 5);
    const wchar_t* expected[] = {
        L"Are you sure you want to delete 'a plain.txt'?",
        L"The file 'b tool.exe' is a read-only file. Are you sure you want to delete it?",
        L"The file 'c run.EXE' is a program.\n\nIf you remove it, you will no longer be able to run this program "
        L"or edit some documents. Are you sure you want to delete it?",
        L"The file 'd core.sys' is a system file.\n\nIf you remove it, your computer or one of your programs may "
        L"no longer work correctly.",
        L"Are you sure you want to delete 'e later.txt'?",
    };
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(Narrow(answerer.seen[i].text), Narrow(expected[i])) << "question " << i;
        EXPECT_EQ(answerer.seen[i].caption, L"Confirm file delete");
        EXPECT_TRUE(answerer.seen[i].several) << "a folder counts as several items";
    }
    EXPECT_FALSE(Exists(Path(L"F")));
}

TEST_F(FileOperation, ReplaceQuestionsAndTheirAnswers) {
    for (const wchar_t* name : {L"src", L"dst", L"dst\\src"}) CreateDirectoryW(Path(name).c_str(), nullptr);
    for (const wchar_t* name : {L"1.txt", L"2.txt", L"3.txt"}) {
        WriteAll(Path(std::wstring(L"src\\") + name), "new");
        WriteAll(Path(std::wstring(L"dst\\src\\") + name), "old");
    }
    SetFileAttributesW(Path(L"dst\\src\\2.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    {
        LangJapanese = true;
        // The folder question, then Yes, No for the files; Cancel at the third stops.
        Answerer answerer({kAnswerYes, kAnswerYes, kAnswerNo, kAnswerCancel});
        Request request(FO_COPY, {Path(L"src")}, Path(L"dst"));
        ASSERT_TRUE(request.Run());
        ASSERT_EQ(answerer.Questions(), 4);
        EXPECT_EQ(answerer.seen[0].caption, L"ﾌｫﾙﾀﾞ置換の確認");
        EXPECT_NE(answerer.seen[0].text.find(Path(L"dst\\src")), std::wstring::npos) << "the full path";
        EXPECT_EQ(Narrow(answerer.seen[1].text),
                  Narrow(L"このﾌｫﾙﾀﾞには既に 1.txt というﾌｧｲﾙが存在します。現在あるﾌｧｲﾙを、新しいﾌｧｲﾙで上書きしますか?"))
            << "the Japanese text names the file without quotes";
        EXPECT_NE(answerer.seen[2].text.find(L"読み取り専用ﾌｧｲﾙ 2.txt"), std::wstring::npos);
        EXPECT_TRUE(answerer.Boxes().empty());
        LangJapanese = false;
    }
    EXPECT_EQ(ReadAll(Path(L"dst\\src\\1.txt")), "new");
    EXPECT_EQ(ReadAll(Path(L"dst\\src\\2.txt")), "old") << "No skips";
    EXPECT_EQ(ReadAll(Path(L"dst\\src\\3.txt")), "old") << "Cancel stops";
    {
        Answerer answerer({kAnswerNo});
        Request request(FO_COPY, {Path(L"src")}, Path(L"dst"));
        ASSERT_TRUE(request.Run());
        EXPECT_EQ(answerer.Questions(), 1) << "No at the folder skips the whole folder";
        EXPECT_EQ(ReadAll(Path(L"dst\\src\\3.txt")), "old");
    }
}

// How far the progress dialog's bar is filled, as a share of its width: the
// columns of its left part that differ from its empty right end.
double BarFill(HWND progress) {
    RECT bar;
    GetWindowRect(GetDlgItem(progress, IDC_FILEOP_GAUGE), &bar);
    MapWindowPoints(nullptr, progress, reinterpret_cast<POINT*>(&bar), 2);
    HDC dc = GetDC(progress);
    const int y = bar.top + 1;  // above the centred percentage text
    const COLORREF empty = GetPixel(dc, bar.right - 2, y);
    int filled = 0;
    for (int x = bar.left; x < bar.right; ++x) filled += GetPixel(dc, x, y) != empty;
    ReleaseDC(progress, dc);
    return double(filled) / double(bar.right - bar.left);
}

TEST_F(FileOperation, TheBarShowsTheShareFinishedBeforeEachItem) {
    for (int i = 0; i < 4; ++i) WriteAll(Path(L"f" + std::to_wstring(i)), "x");
    std::vector<double> fills;
    Answerer answerer;
    answerer.beforeAnswer = [&](HWND progress, const DialogSeen&) { fills.push_back(BarFill(progress)); };
    Request request(FO_DELETE, {Path(L"f0"), Path(L"f1"), Path(L"f2"), Path(L"f3")});
    ASSERT_TRUE(request.Run());
    ASSERT_EQ(fills.size(), 4u);
    const double expected[] = {0.0, 0.25, 0.5, 0.75};  // 0 % on the first item
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(fills[i], expected[i], 0.06) << "question " << i;
}

// Records the texts the progress dialog's item controls receive, on this
// (the dialog's) thread.
class ItemTextRecorder {
public:
    ItemTextRecorder() {
        texts.clear();
        hook_ = SetWindowsHookExW(WH_CALLWNDPROC, Hook, nullptr, GetCurrentThreadId());
    }
    ~ItemTextRecorder() { UnhookWindowsHookEx(hook_); }
    // Control id -> every text it was given, in order.
    static inline std::map<int, std::vector<std::wstring>> texts;

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
        const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
        const int id = code == HC_ACTION && call->message == WM_SETTEXT ? GetDlgCtrlID(call->hwnd) : 0;
        if (id == IDC_FILEOP_SOURCE || id == IDC_FILEOP_TARGET)
            texts[id].push_back(reinterpret_cast<const wchar_t*>(call->lParam));
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    HHOOK hook_;
};

TEST_F(FileOperation, ItemTextsGoToTheDialogOnlyWhenTheyChange) {
    // Each question shows its item first, so every file's name is shown;
    // a delete has no destination, and its empty text is not sent again.
    for (int i = 0; i < 4; ++i) WriteAll(Path(L"f" + std::to_wstring(i)), "x");
    std::vector<std::wstring> asked;
    Answerer answerer;
    answerer.beforeAnswer = [&](HWND progress, const DialogSeen&) {
        wchar_t text[MAX_PATH] = L"";
        GetDlgItemTextW(progress, IDC_FILEOP_SOURCE, text, MAX_PATH);
        asked.push_back(text);
    };
    ItemTextRecorder recorder;
    Request request(FO_DELETE, {Path(L"f0"), Path(L"f1"), Path(L"f2"), Path(L"f3")});
    ASSERT_TRUE(request.Run());
    EXPECT_EQ(asked, (std::vector<std::wstring>{Path(L"f0"), Path(L"f1"), Path(L"f2"), Path(L"f3")}));
    EXPECT_EQ(ItemTextRecorder::texts[IDC_FILEOP_SOURCE],
              (std::vector<std::wstring>{L"", Path(L"f0"), Path(L"f1"), Path(L"f2"), Path(L"f3")}));
    EXPECT_EQ(ItemTextRecorder::texts[IDC_FILEOP_TARGET], std::vector<std::wstring>{L""}) << "set with the labels only";
}

TEST_F(FileOperation, ConfirmDeleteAsksForSeveralItemsAndFoldersOnly) {
    CreateDirectoryW(Path(L"Fold").c_str(), nullptr);
    WriteAll(Path(L"a.txt"), "a");
    WriteAll(Path(L"b.txt"), "b");
    struct Case {
        std::vector<std::wstring> sources;
        int answer;
        bool proceeds;
        std::wstring caption, text;  // the question, or none when empty
    };
    const Case cases[] = {
        /* 0 */ {{Path(L"a.txt")}, kAnswerNo, true, L"", L""},
        /* 1 */ {{Path(L"a.txt"), Path(L"b.txt"), Path(L"Fold")}, kAnswerNo, false, L"Confirm multiple file delete",
                 L"Are you sure you want to delete these 3 items?"},
        /* 2 */ {{Path(L"a.txt"), Path(L"b.txt")}, kAnswerYes, true, L"Confirm multiple file delete",
                 L"Are you sure you want to delete these 2 items?"},
        /* 3 */ {{Path(L"Fold")}, kAnswerNo, false, L"Confirm folder delete",
                 L"Are you sure you want to remove the folder 'Fold' and all its contents?"},
    };
    for (int i = 0; i < int(std::size(cases)); ++i) {
        Answerer answerer({cases[i].answer});
        Request request(FO_DELETE, cases[i].sources);
        EXPECT_EQ(ConfirmDelete(RequestOwner(), request.list.c_str()), cases[i].proceeds) << "case " << i;
        if (cases[i].caption.empty()) {
            EXPECT_EQ(answerer.Questions(), 0) << "case " << i << ": one file is asked about by the engine only";
            continue;
        }
        ASSERT_EQ(answerer.Questions(), 1) << "case " << i;
        EXPECT_EQ(answerer.seen[0].caption, cases[i].caption) << "case " << i;
        EXPECT_EQ(Narrow(answerer.seen[0].text), Narrow(cases[i].text)) << "case " << i;
        EXPECT_FALSE(answerer.seen[0].several) << "case " << i << ": asked with Yes and No only";
    }
    EXPECT_TRUE(Exists(Path(L"a.txt")) && Exists(Path(L"Fold"))) << "asking deletes nothing";
}

// ---- Cancel -----------------------------------------------------------------------------

// Presses Cancel the moment the preparation shows its first folder count:
// the count is a message to this thread, so the press comes while the
// preparation is still walking.
class CancelAtFirstCount {
public:
    CancelAtFirstCount() { hook_ = SetWindowsHookExW(WH_CALLWNDPROC, Hook, nullptr, GetCurrentThreadId()); }
    ~CancelAtFirstCount() { UnhookWindowsHookEx(hook_); }
    static inline int presses = 0;

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
        const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (code == HC_ACTION && call->message == WM_SETTEXT && GetDlgCtrlID(call->hwnd) == IDC_FILEOP_SOURCE) {
            HWND progress = GetParent(call->hwnd);
            wchar_t caption[64] = L"";
            GetWindowTextW(progress, caption, 64);
            if (lstrcmpW(caption, L"Prepare operation") == 0 && presses++ == 0) PressCancel(progress);
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    HHOOK hook_;
};

TEST_F(FileOperation, CancelDuringPreparationChangesNothing) {
    for (const wchar_t* name : {L"F", L"F\\a", L"F\\b", L"F\\c"}) CreateDirectoryW(Path(name).c_str(), nullptr);
    for (const wchar_t* name : {L"F\\a\\1", L"F\\b\\2", L"F\\c\\3", L"F\\4"}) WriteAll(Path(name), "x");
    const auto before = Snapshot(Path(L"F"));
    CancelAtFirstCount canceller;
    Answerer answerer;
    Request request(FO_DELETE, {Path(L"F")}, L"", FOF_NOCONFIRMATION);
    ASSERT_TRUE(request.Run()) << "the dialog closes";
    EXPECT_EQ(CancelAtFirstCount::presses, 1) << "the walk stopped before the next folder was counted";
    EXPECT_TRUE(answerer.seen.empty());
    EXPECT_EQ(Snapshot(Path(L"F")), before);
}

TEST_F(FileOperation, CancelStopsAFolderWalkButNotTopLevelFiles) {
    CreateDirectoryW(Path(L"F").c_str(), nullptr);
    for (int i = 0; i < 5; ++i) WriteAll(Path(L"F\\" + std::to_wstring(i)), "x");
    {
        // Cancel while the first question of the walk is open: that file
        // still goes (Yes), the walk stops before the next entry.
        Answerer answerer;
        answerer.beforeAnswer = [](HWND progress, const DialogSeen&) { PressCancel(progress); };
        Request request(FO_DELETE, {Path(L"F")});
        ASSERT_TRUE(request.Run());
        EXPECT_EQ(answerer.Questions(), 1);
        EXPECT_EQ(Snapshot(Path(L"F")).size(), 4u);
    }
    for (int i = 0; i < 3; ++i) WriteAll(Path(L"top" + std::to_wstring(i)), "x");
    {
        Answerer answerer;
        answerer.beforeAnswer = [](HWND progress, const DialogSeen&) { PressCancel(progress); };
        Request request(FO_DELETE, {Path(L"top0"), Path(L"top1"), Path(L"top2")});
        ASSERT_TRUE(request.Run());
        EXPECT_EQ(answerer.Questions(), 3) << "Cancel has no effect on top-level plain files";
        for (int i = 0; i < 3; ++i) EXPECT_FALSE(Exists(Path(L"top" + std::to_wstring(i))));
    }
}

// The owner of a request goes away while it runs: the dialog goes with it,
// and the request returns only once its worker has stopped, not deleting on
// with the request's memory gone.
TEST_F(FileOperation, AnOwnerClosedMidRequestStopsTheWorkerBeforeTheRequestReturns) {
    CreateDirectoryW(Path(L"F").c_str(), nullptr);
    for (int i = 0; i < 3000; ++i) WriteAll(Path(L"F\\" + std::to_wstring(i)), "x");
    static HWND owner = nullptr;
    owner = CreateWindowExW(0, L"STATIC", L"closing owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                            nullptr, nullptr, nullptr, nullptr);
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR, DWORD) {
        if (IsWindow(owner)) DestroyWindow(owner);
    });
    Request request(FO_DELETE, {Path(L"F")}, L"", FOF_NOCONFIRMATION);
    request.record.owner = owner;
    EXPECT_FALSE(request.Run()) << "a request whose dialog was destroyed did not finish";
    KillTimer(nullptr, timer);
    const std::size_t left = Snapshot(Path(L"F")).size();
    Sleep(300);
    EXPECT_EQ(Snapshot(Path(L"F")).size(), left) << "files went on being deleted after the request returned";
    EXPECT_GT(left, 0u) << "the whole delete ran before the owner closed: nothing was tried";
}

// ---- Faults ------------------------------------------------------------------------------

TEST_F(FileOperation, EachFailureShowsOneMessageAndStopsTheRequest) {
    CreateDirectoryW(Path(L"dst").c_str(), nullptr);
    WriteAll(Path(L"a.txt"), "a");
    WriteAll(Path(L"b.txt"), "b");
    WriteAll(Path(L"dst\\a.txt"), "held");
    HANDLE held = CreateFileW(Path(L"dst\\a.txt").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    {
        Answerer answerer;
        Request request(FO_COPY, {Path(L"a.txt"), Path(L"b.txt")}, Path(L"dst"), FOF_NOCONFIRMATION);
        ASSERT_TRUE(request.Run());
        EXPECT_EQ(answerer.Boxes(), std::vector<std::wstring>{Path(L"a.txt") + L" is in use"}) << "one message";
        EXPECT_FALSE(Exists(Path(L"dst\\b.txt"))) << "the request stopped at the failure";
    }
    CloseHandle(held);
    {
        // A file where a folder must be made: stops without a message.
        CreateDirectoryW(Path(L"tree").c_str(), nullptr);
        CreateDirectoryW(Path(L"tree\\sub").c_str(), nullptr);
        WriteAll(Path(L"tree\\sub\\x.txt"), "x");
        CreateDirectoryW(Path(L"dst\\tree").c_str(), nullptr);
        WriteAll(Path(L"dst\\tree\\sub"), "a file in the way");
        Answerer answerer;
        Request request(FO_COPY, {Path(L"tree"), Path(L"b.txt")}, Path(L"dst"), FOF_NOCONFIRMATION);
        ASSERT_TRUE(request.Run());
        EXPECT_TRUE(answerer.seen.empty());
        EXPECT_EQ(ReadAll(Path(L"dst\\tree\\sub")), "a file in the way");
        EXPECT_FALSE(Exists(Path(L"dst\\b.txt")));
    }
    {
        // A source that vanished between listing and action, a full disk.
        Answerer answerer;
        Request gone(FO_COPY, {Path(L"vanished.txt")}, Path(L"dst"), FOF_NOCONFIRMATION);
        ASSERT_TRUE(gone.Run());
        Request full(FO_COPY, {Path(L"b.txt")}, L"Z:\\dev\\full", FOF_NOCONFIRMATION);
        ASSERT_TRUE(full.Run());
        EXPECT_EQ(answerer.Boxes(), (std::vector<std::wstring>{L"File not found", L"The disk is full"}));
        EXPECT_EQ(ReadAll(Path(L"b.txt")), "b");
    }
    {
        // A read-only target is cleared before the copy. Root writes through
        // it all the same, so the attributes the copy ends with tell.
        WriteAll(Path(L"dst\\ro.txt"), "old");
        SetFileAttributesW(Path(L"dst\\ro.txt").c_str(), FILE_ATTRIBUTE_READONLY);
        WriteAll(Path(L"ro.txt"), "new");
        Answerer answerer;
        Request request(FO_COPY, {Path(L"ro.txt")}, Path(L"dst"), FOF_NOCONFIRMATION);
        ASSERT_TRUE(request.Run());
        EXPECT_TRUE(answerer.seen.empty());
        EXPECT_EQ(ReadAll(Path(L"dst\\ro.txt")), "new");
        EXPECT_EQ(GetFileAttributesW(Path(L"dst\\ro.txt").c_str()) & FILE_ATTRIBUTE_READONLY, 0u)
            << "the copy went onto a target still read-only";
    }
}

TEST_F(FileOperation, InRomFilesStayAndTheirFolderStaysSilently) {
    CreateDirectoryW(Path(L"F").c_str(), nullptr);
    WriteAll(Path(L"F\\rom.exe"), "rom");
    WriteAll(Path(L"F\\user.txt"), "user");
    ScratchKey profile(ce::kDeviceProfileKey);
    std::wstring list = Path(L"F\\rom.exe") + L'\0' + L'\0';
    ASSERT_TRUE(WriteProfileValue(L"", ce::kProfileInRomFiles, REG_MULTI_SZ, list.data(),
                                  DWORD(list.size() * sizeof(wchar_t))));
    Answerer answerer;
    Request request(FO_DELETE, {Path(L"F")}, L"", FOF_NOCONFIRMATION);
    ASSERT_TRUE(request.Run());
    EXPECT_TRUE(answerer.seen.empty());
    EXPECT_EQ(ReadAll(Path(L"F\\rom.exe")), "rom");
    EXPECT_FALSE(Exists(Path(L"F\\user.txt")));
}

TEST_F(FileOperation, RenameRequestTouchesNothing) {
    WriteAll(Path(L"a.txt"), "a");
    Answerer answerer;
    Request request(FO_RENAME, {Path(L"a.txt")}, Path(L"b.txt"));
    ASSERT_TRUE(request.Run());
    EXPECT_TRUE(answerer.seen.empty());
    EXPECT_EQ(ReadAll(Path(L"a.txt")), "a");
    EXPECT_FALSE(Exists(Path(L"b.txt")));
}

// ---- Threads ------------------------------------------------------------------------------

// Fails a long run, ending its process, when its steps stop finishing: a run
// stuck inside the platform is reported with the windows it left open, not
// waited out to the test's timeout. Each finished step restarts the quiet
// time; the whole run has a limit of its own.
class Watchdog {
public:
    Watchdog(DWORD quietMs, DWORD totalMs) : quietMs_(quietMs), totalMs_(totalMs) {
        stop_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        thread_ = CreateThread(nullptr, 0, Main, this, 0, nullptr);
    }
    ~Watchdog() {
        SetEvent(stop_);
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
        CloseHandle(stop_);
    }
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

    void Finished(int steps) {
        steps_ = steps;
        last_ = GetTickCount();
    }

private:
    static DWORD WINAPI Main(void* param) {
        auto* self = static_cast<Watchdog*>(param);
        while (WaitForSingleObject(self->stop_, 500) == WAIT_TIMEOUT) {
            const DWORD now = GetTickCount();
            const bool quiet = now - self->last_ > self->quietMs_;
            if (!quiet && now - self->start_ <= self->totalMs_) continue;
            std::printf("Failure: watchdog: %s after %d finished steps in %lu ms; open windows of this process:\n",
                        quiet ? "nothing finished for too long" : "the run took too long", self->steps_.load(),
                        now - self->start_);
            EnumWindows(PrintOwnWindow, 0);
            std::fflush(stdout);
            TerminateProcess(GetCurrentProcess(), 1);
        }
        return 0;
    }
    static BOOL CALLBACK PrintOwnWindow(HWND window, LPARAM) {
        DWORD process = 0;
        const DWORD thread = GetWindowThreadProcessId(window, &process);
        if (process != GetCurrentProcessId() || !IsWindowVisible(window)) return TRUE;
        wchar_t cls[64] = L"", caption[128] = L"";
        GetClassNameW(window, cls, 64);
        GetWindowTextW(window, caption, 128);
        std::printf("  thread %lu: %s \"%s\"\n", thread, Narrow(cls).c_str(), Narrow(caption).c_str());
        return TRUE;
    }

    const DWORD quietMs_, totalMs_;
    const DWORD start_ = GetTickCount();
    std::atomic<DWORD> last_{GetTickCount()};
    std::atomic<int> steps_{0};
    HANDLE stop_ = nullptr;
    HANDLE thread_ = nullptr;
};

// The worker opens its questions while this thread runs the progress dialog,
// and ends the dialog whose object goes as soon as the run returns: two
// hundred requests in a row, each with a question.
TEST_F(FileOperation, TwoHundredRequestsWithQuestionsInARow) {
    Watchdog watchdog(30'000, 300'000);
    Answerer answerer;
    const DWORD start = GetTickCount();
    for (int i = 0; i < 200; ++i) {
        WriteAll(Path(L"x.txt"), "x");
        Request request(FO_DELETE, {Path(L"x.txt")});
        ASSERT_TRUE(request.Run()) << "request " << i;
        ASSERT_FALSE(Exists(Path(L"x.txt"))) << "request " << i;
        watchdog.Finished(i + 1);
        // Progress in the log tells a slow machine from a hang.
        if ((i + 1) % 50 == 0) std::printf("%d requests in %lu ms\n", i + 1, GetTickCount() - start), std::fflush(stdout);
    }
    EXPECT_EQ(answerer.Questions(), 200);
    EXPECT_TRUE(answerer.Boxes().empty());
}
