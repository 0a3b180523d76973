// Shared test tools.
#include "tests/support/testsupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <utility>

#include "framework/appvalues.h"
#include "framework/language.h"
#include "platform/aygshell.h"
#include "platform/deviceprofile.h"

// ---- Child processes ------------------------------------------------------

namespace {

std::map<std::string, ChildMain>& Children() {
    static std::map<std::string, ChildMain> children;
    return children;
}

// This process's environment block with the `extra` NAME=value pairs
// replacing or adding to its entries.
std::vector<wchar_t> EnvironmentWith(const std::vector<std::wstring>& extra) {
    std::vector<wchar_t> block;
    for (const auto& pair : extra) block.insert(block.end(), pair.c_str(), pair.c_str() + pair.size() + 1);
    wchar_t* current = GetEnvironmentStringsW();
    for (const wchar_t* p = current; *p; p += std::wcslen(p) + 1) {
        std::wstring entry(p);
        bool overridden = false;
        for (const auto& pair : extra) {
            auto eq = pair.find(L'=');
            if (_wcsnicmp(entry.c_str(), pair.c_str(), eq + 1) == 0) overridden = true;
        }
        if (!overridden) block.insert(block.end(), entry.c_str(), entry.c_str() + entry.size() + 1);
    }
    FreeEnvironmentStringsW(current);
    block.push_back(L'\0');
    return block;
}

}  // namespace

std::wstring OwnExecutable() {
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    return std::wstring(path, length);
}

ChildRegistration::ChildRegistration(const char* name, ChildMain main) { Children()[name] = main; }

bool RunChildIfAsked(int argc, char** argv, int& exitCode) {
    if (argc < 3 || std::strcmp(argv[1], "--child") != 0) return false;
    auto found = Children().find(argv[2]);
    exitCode = found == Children().end() ? 99 : found->second(argc - 3, argv + 3);
    return true;
}

ChildProcess::~ChildProcess() {
    if (process) {
        if (WaitForSingleObject(process, 0) == WAIT_TIMEOUT) TerminateProcess(process, 98);
        CloseHandle(process);
    }
}

namespace {

// Serves the messages this thread has waiting, without waiting for more.
void ServeQueued() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

}  // namespace

bool ServeUntil(const char* what, const std::function<bool()>& done, DWORD ms) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > ms) {
            ADD_FAILURE() << "waited " << ms / 1000 << " s in vain for " << what;
            return false;
        }
        ServeQueued();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

namespace {

// Counts the markers that reached this thread's marker window. Posted to a
// window rather than to the thread, a marker is dispatched even by a modal
// loop that a message before it opened.
thread_local int markersServed = 0;

LRESULT CALLBACK MarkerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_APP) {
        ++markersServed;
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND MarkerWindow() {
    thread_local HWND window = nullptr;
    if (window && IsWindow(window)) return window;
    WNDCLASSW cls{};
    cls.lpfnWndProc = MarkerProc;
    cls.hInstance = GetModuleHandleW(nullptr);
    cls.lpszClassName = L"PebbloraTestQueueMarker";
    RegisterClassW(&cls);
    window = CreateWindowExW(0, cls.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, cls.hInstance, nullptr);
    return window;
}

}  // namespace

void ServePosted() {
    // A marker goes behind everything posted so far; once it has been
    // served, so has all before it. What they posted in turn lies behind
    // it, so rounds go on until one serves nothing but paints and timers,
    // which the queue makes up whenever it is empty.
    HWND marker = MarkerWindow();
    const DWORD start = GetTickCount();
    for (bool posted = true; posted;) {
        const int before = markersServed;
        PostMessageW(marker, WM_APP, 0, 0);
        posted = false;
        while (markersServed == before) {
            MSG msg;
            while (markersServed == before && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (msg.message == WM_QUIT) {
                    // Left for the caller's own loop to find.
                    PostQuitMessage(static_cast<int>(msg.wParam));
                    return;
                }
                posted |= msg.hwnd != marker && msg.message != WM_TIMER && msg.message != WM_PAINT;
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
            if (markersServed != before) break;
            if (GetTickCount() - start > 20000) {
                ADD_FAILURE() << "the messages posted to this thread were not all served within 20 s";
                return;
            }
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        }
    }
}

int ChildProcess::Wait(DWORD ms) {
    if (!process) return -1;
    // Messages are served while waiting: a child may activate or send to
    // this process's windows, and that needs this thread's attention.
    DWORD start = GetTickCount();
    DWORD state = WAIT_TIMEOUT;
    while (state != WAIT_OBJECT_0 && GetTickCount() - start < ms) {
        state = MsgWaitForMultipleObjects(1, &process, FALSE, 50, QS_ALLINPUT);
        ServeQueued();
        if (state != WAIT_OBJECT_0) state = WaitForSingleObject(process, 0);
    }
    if (state != WAIT_OBJECT_0) {
        TerminateProcess(process, 98);
        WaitForSingleObject(process, 5000);
        return -1;
    }
    DWORD code = 0;
    GetExitCodeProcess(process, &code);
    // What the child sent or posted before it ended is served before the caller goes on.
    ServeQueued();
    return static_cast<int>(code);
}

bool StartProgram(const std::wstring& exe, const std::wstring& arguments, ChildProcess& child,
                  const std::wstring& directory, const std::vector<std::wstring>& environment) {
    std::wstring commandLine = L"\"" + exe + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    std::vector<wchar_t> block;
    if (!environment.empty()) block = EnvironmentWith(environment);
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                        block.empty() ? 0 : CREATE_UNICODE_ENVIRONMENT, block.empty() ? nullptr : block.data(),
                        directory.empty() ? nullptr : directory.c_str(), &startup, &info))
        return false;
    CloseHandle(info.hThread);
    child.process = info.hProcess;
    child.id = info.dwProcessId;
    return true;
}

bool StartChild(const char* name, const std::wstring& arguments, ChildProcess& child,
                const std::vector<std::wstring>& environment) {
    return StartProgram(OwnExecutable(), L"--child " + Widen(name) + L" " + arguments, child, L"", environment);
}

// ---- Message boxes --------------------------------------------------------

namespace {

BoxWatcher* activeWatcher = nullptr;

std::wstring WindowText(HWND window) {
    wchar_t text[1024];
    int length = GetWindowTextW(window, text, 1024);
    return std::wstring(text, length > 0 ? length : 0);
}

bool IsDialogWindow(HWND window) {
    wchar_t cls[64];
    return GetClassNameW(window, cls, 64) && std::wcscmp(cls, L"#32770") == 0;
}

using Answers = std::vector<std::pair<int, std::wstring>>;

BOOL CALLBACK CollectAnswer(HWND child, LPARAM list) {
    Answers& answers = *reinterpret_cast<Answers*>(list);
    wchar_t cls[64] = L"";
    GetClassNameW(child, cls, 64);
    if (_wcsicmp(cls, L"Button") == 0) {
        const int id = GetDlgCtrlID(child);
        answers.emplace_back(id == ce::kDoneButtonId ? IDOK : id, WindowText(child));
    } else if (ce::MenuBarToolbar(GetParent(child)) == child) {
        const int count = static_cast<int>(SendMessageW(child, TB_BUTTONCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            TBBUTTON button{};
            SendMessageW(child, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button));
            wchar_t label[64] = L"";
            if (SendMessageW(child, TB_GETBUTTONTEXTW, button.idCommand, 0) < 64)
                SendMessageW(child, TB_GETBUTTONTEXTW, button.idCommand, reinterpret_cast<LPARAM>(label));
            answers.emplace_back(button.idCommand, label);
        }
    }
    return TRUE;
}

Answers AnswerList(HWND dialog) {
    Answers answers;
    EnumChildWindows(dialog, CollectAnswer, reinterpret_cast<LPARAM>(&answers));
    return answers;
}

}  // namespace

bool Offers(HWND dialog, int id) {
    for (const auto& answer : AnswerList(dialog))
        if (answer.first == id) return true;
    return false;
}

std::string AnswersOf(HWND dialog) {
    std::string text;
    for (const auto& [id, label] : AnswerList(dialog))
        text += (text.empty() ? "" : ", ") + std::to_string(id) + " \"" + Narrow(label) + "\"";
    return text.empty() ? "no answer at all" : text;
}

BoxSeen ReadBox(HWND box) {
    BoxSeen seen;
    seen.window = box;
    seen.owner = GetWindow(box, GW_OWNER);
    seen.caption = WindowText(box);
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t cls[64];
        if (!GetClassNameW(child, cls, 64) || _wcsicmp(cls, L"Static") != 0) continue;
        LONG style = GetWindowLongW(child, GWL_STYLE);
        if ((style & SS_TYPEMASK) == SS_ICON) {
            seen.hasIcon = seen.hasIcon || SendMessageW(child, STM_GETICON, 0, 0) != 0;
            continue;
        }
        std::wstring text = WindowText(child);
        if (!text.empty()) seen.text = text;
    }
    return seen;
}

BoxWatcher::BoxWatcher(int answer, std::function<bool(HWND)> leave)
    : answer_(answer), leave_(std::move(leave)) {
    activeWatcher = this;
    hook_ = SetWindowsHookExW(WH_CBT, HookProc, nullptr, GetCurrentThreadId());
    // A thread timer: the box's own modal loop serves it.
    timer_ = SetTimer(nullptr, 0, 500, PressAgain);
}

BoxWatcher::~BoxWatcher() {
    if (timer_) KillTimer(nullptr, timer_);
    if (hook_) UnhookWindowsHookEx(hook_);
    activeWatcher = nullptr;
}

void BoxWatcher::Press(HWND box) const {
    // Posted, so the box closes from its own loop as after a click.
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(answer_, BN_CLICKED), 0);
}

LRESULT CALLBACK BoxWatcher::HookProc(int code, WPARAM wParam, LPARAM lParam) {
    BoxWatcher* self = activeWatcher;
    if (code == HCBT_ACTIVATE && self) {
        HWND window = reinterpret_cast<HWND>(wParam);
        // When a box closes, the activation passes on from the closing
        // thread, and this hook sees it even when the next window belongs to
        // another test process on the shared desktop: only this thread's
        // boxes are its own. One of them is activated again whenever another
        // program's window took the activation in between: it is one box.
        const bool own = GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId();
        std::erase_if(self->open_, [](HWND box) { return !IsWindow(box); });
        const bool known = std::find(self->open_.begin(), self->open_.end(), window) != self->open_.end();
        if (own && !known && IsDialogWindow(window) && !(self->leave_ && self->leave_(window))) {
            self->seen_.push_back(ReadBox(window));
            self->open_.push_back(window);
            if (Offers(window, self->answer_)) {
                self->Press(window);
            } else {
                ADD_FAILURE() << "the box \"" << Narrow(self->seen_.back().caption) << "\" saying \""
                              << Narrow(self->seen_.back().text) << "\" has no answer " << self->answer_
                              << "; it offers " << AnswersOf(window);
                EndDialog(window, IDCANCEL);
            }
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void CALLBACK BoxWatcher::PressAgain(HWND, UINT, UINT_PTR, DWORD) {
    BoxWatcher* self = activeWatcher;
    if (!self) return;
    // A press that came before the box could take it is not lost for good.
    std::erase_if(self->open_, [](HWND box) { return !IsWindow(box); });
    for (HWND box : self->open_) self->Press(box);
}

bool AnswerBoxOfProcess(DWORD pid, DWORD ms, BoxSeen& seen, int answer) {
    struct Search {
        DWORD pid;
        HWND found;
    } search{pid, nullptr};
    DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
        EnumWindows(
            [](HWND window, LPARAM param) -> BOOL {
                auto* s = reinterpret_cast<Search*>(param);
                DWORD owner = 0;
                GetWindowThreadProcessId(window, &owner);
                if (owner == s->pid && IsDialogWindow(window) && IsWindowVisible(window)) {
                    s->found = window;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
        if (search.found) {
            seen = ReadBox(search.found);
            PostMessageW(search.found, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), 0);
            return true;
        }
        Sleep(50);
    }
    return false;
}

// ---- Scratch places -------------------------------------------------------

ScratchFolder::ScratchFolder() {
    static int counter = 0;
    path_ = L"\\scratch-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
    RemoveTree(path_);
    CreateDirectoryW(path_.c_str(), nullptr);
}

ScratchFolder::~ScratchFolder() { RemoveTree(path_); }

std::wstring ScratchFolder::WriteFile(const std::wstring& name, const std::string& bytes) const {
    std::wstring path = *this / name;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(file);
    }
    return path;
}

bool RemoveTree(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return true;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        WIN32_FIND_DATAW data;
        HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &data);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                if (std::wcscmp(data.cFileName, L".") && std::wcscmp(data.cFileName, L".."))
                    RemoveTree(path + L"\\" + data.cFileName);
            } while (FindNextFileW(find, &data));
            FindClose(find);
        }
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        return RemoveDirectoryW(path.c_str()) != FALSE;
    }
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    return DeleteFileW(path.c_str()) != FALSE;
}

ScratchKey::ScratchKey(std::wstring subkey) : subkey_(std::move(subkey)) {
    RegDeleteTreeW(HKEY_CURRENT_USER, subkey_.c_str());
}

ScratchKey::~ScratchKey() { RegDeleteTreeW(HKEY_CURRENT_USER, subkey_.c_str()); }

bool WriteProfileValue(const std::wstring& subkey, const wchar_t* name, DWORD type, const void* data, DWORD size) {
    std::wstring path = std::wstring(ce::kDeviceProfileKey) + (subkey.empty() ? L"" : L"\\" + subkey);
    HKEY key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    const bool written = RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
    RegCloseKey(key);
    return written;
}

std::wstring Widen(const std::string& text) {
    if (text.empty()) return {};
    int units = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(units, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), units);
    return out;
}

std::string Narrow(const std::wstring& text) {
    if (text.empty()) return {};
    int bytes = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(bytes, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), bytes, nullptr, nullptr);
    return out;
}

std::string ReadAll(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "<missing>";
    std::string bytes;
    char chunk[4096];
    DWORD read = 0;
    while (ReadFile(file, chunk, sizeof chunk, &read, nullptr) && read > 0) bytes.append(chunk, read);
    CloseHandle(file);
    return bytes;
}

void UseEnglishDeviceValues() {
    AppInstance = GetModuleHandleW(nullptr);
    LangJapanese = false;
    ScreenDpiX = ScreenDpiY = 96;
    HiRes = false;
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    SHInitExtraControls();
}
