// What the file operation engine costs over the plain work it does.
//
// A tree of 5,000 small files in 100 folders is copied and deleted three
// ways, each on identical fresh trees in the same run: through
// RunFileOperation (confirmations off, progress dialog shown), through a
// plain CopyFileW / DeleteFileW walk, and through the platform's
// SHFileOperationW. Prints the times, then one line per measure:
// "ratio <measure> <ours / baseline>".
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

#include "fileops/fileop.h"
#include "framework/appvalues.h"
#include "platform/aygshell.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kFolders = 100;
constexpr int kFilesPerFolder = 50;

std::wstring Root() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    return std::wstring(temp) + L"pebblora-fileop-bench";
}

void MakeTree(const std::wstring& root) {
    CreateDirectoryW(root.c_str(), nullptr);
    const std::string bytes(512, 'x');
    for (int f = 0; f < kFolders; ++f) {
        const std::wstring folder = root + L"\\folder" + std::to_wstring(f);
        CreateDirectoryW(folder.c_str(), nullptr);
        for (int i = 0; i < kFilesPerFolder; ++i) {
            HANDLE file = CreateFileW((folder + L"\\file" + std::to_wstring(i) + L".dat").c_str(), GENERIC_WRITE, 0,
                                      nullptr, CREATE_ALWAYS, 0, nullptr);
            DWORD written = 0;
            WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr);
            CloseHandle(file);
        }
    }
}

// The plain walks: what the engine does, without dialog, questions or checks.
void CopyWalk(const std::wstring& from, const std::wstring& to) {
    CreateDirectoryW(to.c_str(), nullptr);
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((from + L"\\*.*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            CopyWalk(from + L"\\" + name, to + L"\\" + name);
        else
            CopyFileW((from + L"\\" + name).c_str(), (to + L"\\" + name).c_str(), FALSE);
    } while (FindNextFileW(find, &data));
    FindClose(find);
}

void DeleteWalk(const std::wstring& path) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((path + L"\\*.*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") continue;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                DeleteWalk(path + L"\\" + name);
            else
                DeleteFileW((path + L"\\" + name).c_str());
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    RemoveDirectoryW(path.c_str());
}

bool Shell(UINT kind, const std::wstring& from, const std::wstring& to) {
    const std::wstring list = from + L'\0';
    const std::wstring target = to + L'\0';
    SHFILEOPSTRUCTW op{};
    op.wFunc = kind;
    op.pFrom = list.c_str();
    op.pTo = kind == FO_DELETE ? nullptr : target.c_str();
    op.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT | FOF_NOCONFIRMMKDIR;
    return SHFileOperationW(&op) == 0;
}

bool Engine(UINT kind, const std::wstring& from, const std::wstring& to) {
    const std::wstring list = from + L'\0';
    FileOpRequest request{};
    request.kind = kind;
    request.sources = list.c_str();
    request.destination = to.c_str();
    request.flags = FOF_NOCONFIRMATION;
    return RunFileOperation(request);
}

template <class Work>
double Seconds(Work work) {
    const auto start = Clock::now();
    work();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

int main() {
    InitAppValues(GetModuleHandleW(nullptr));
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_PROGRESS_CLASS | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    SHInitExtraControls();

    const std::wstring root = Root();
    DeleteWalk(root);
    CreateDirectoryW(root.c_str(), nullptr);
    const std::wstring source = root + L"\\source";
    MakeTree(source);

    // Each measure is taken in three rounds on fresh trees, the engine and
    // the plain walk in turn going first (the file system is faster for
    // whichever comes second), and the best round counts. The platform's
    // operation, many times slower, is run once.
    constexpr int kRounds = 3;
    double copyOurs = 1e9, copyRaw = 1e9, deleteOurs = 1e9, deleteRaw = 1e9;
    for (int round = 0; round < kRounds; ++round) {
        const std::wstring ours = root + L"\\ours" + std::to_wstring(round);
        const std::wstring raw = root + L"\\raw" + std::to_wstring(round);
        CreateDirectoryW(ours.c_str(), nullptr);
        const auto copyEngine = [&] { copyOurs = std::min(copyOurs, Seconds([&] { Engine(FO_COPY, source, ours); })); };
        const auto copyPlain = [&] { copyRaw = std::min(copyRaw, Seconds([&] { CopyWalk(source, raw); })); };
        const auto deleteEngine = [&] {
            deleteOurs = std::min(deleteOurs, Seconds([&] { Engine(FO_DELETE, ours + L"\\source", L""); }));
        };
        const auto deletePlain = [&] { deleteRaw = std::min(deleteRaw, Seconds([&] { DeleteWalk(raw); })); };
        if (round % 2 == 0) {
            copyEngine(), copyPlain(), deleteEngine(), deletePlain();
        } else {
            copyPlain(), copyEngine(), deletePlain(), deleteEngine();
        }
    }
    const std::wstring shell = root + L"\\shell";
    CreateDirectoryW(shell.c_str(), nullptr);
    const double copyShell = Seconds([&] { Shell(FO_COPY, source, shell); });
    const double deleteShell = Seconds([&] { Shell(FO_DELETE, shell + L"\\source", L""); });
    DeleteWalk(root);

    std::printf("%d files in %d folders\n", kFolders * kFilesPerFolder, kFolders);
    std::printf("copy:   engine %.3f s, plain walk %.3f s, SHFileOperationW %.3f s\n", copyOurs, copyRaw, copyShell);
    std::printf("delete: engine %.3f s, plain walk %.3f s, SHFileOperationW %.3f s\n", deleteOurs, deleteRaw,
                deleteShell);
    std::printf("ratio delete_vs_raw %.3f\n", deleteOurs / deleteRaw);
    std::printf("ratio delete_vs_shfileop %.3f\n", deleteOurs / deleteShell);
    std::printf("ratio copy_vs_raw %.3f\n", copyOurs / copyRaw);
    std::printf("ratio copy_vs_shfileop %.3f\n", copyOurs / copyShell);
    return 0;
}
