// skincheck [--ja] SKIN.ini...: checks each skin file and prints one line per
// problem, then a summary. Exit status 0 clean, 1 warnings only, 2 errors
// (also for a command line without a skin).
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <exception>
#include <string>

#include "app/skincheck/skincheck.h"

namespace {

// A Windows console gets the text as text, whatever its code page; a file or
// a pipe (a terminal on the Linux side) gets UTF-8, so that the Japanese texts
// read as they are.
void PrintLine(const std::wstring& text) {
    const std::wstring line = text + L"\n";
    HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    DWORD written = 0;
    if (GetConsoleMode(output, &mode) &&
        WriteConsoleW(output, line.data(), static_cast<DWORD>(line.size()), &written, nullptr))
        return;
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), nullptr, 0,
                                          nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), utf8.data(), bytes, nullptr,
                        nullptr);
    std::fwrite(utf8.data(), 1, utf8.size(), stdout);
    std::fflush(stdout);
}

int Run(int argc, wchar_t** argv) {
    bool japanese = false;
    std::vector<std::wstring> paths;
    for (int i = 1; i < argc; ++i) {
        if (std::wstring(argv[i]) == L"--ja")
            japanese = true;
        else
            paths.emplace_back(argv[i]);
    }
    if (paths.empty()) {
        PrintLine(L"usage: skincheck [--ja] SKIN.ini...");
        return 2;
    }
    int errors = 0;
    int warnings = 0;
    for (const auto& shown : paths) {
        // The game is always handed backslashes; a path typed on the Linux
        // side has slashes, which the skin's folder must not keep.
        std::wstring path = shown;
        for (auto& unit : path)
            if (unit == L'/') unit = L'\\';
        for (const auto& problem : CheckSkin(path.c_str())) {
            PrintLine(FormatSkinProblem(shown, problem, japanese));
            ++(problem.error ? errors : warnings);
        }
    }
    PrintLine(FormatSkinSummary(static_cast<int>(paths.size()), errors, warnings, japanese));
    return SkinCheckStatus(errors, warnings);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    // LF line ends: the lines are read on the Linux side, and by editors
    // that would show a stray CR.
    _setmode(_fileno(stdout), _O_BINARY);
    try {
        return Run(argc, argv);
    } catch (const std::exception& failure) {
        std::fprintf(stdout, "skincheck: stopped: %s\n", failure.what());
        return 2;
    }
}
