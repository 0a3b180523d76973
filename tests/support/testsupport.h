// Shared test tools: child processes, message-box watchers, scratch folders
// and scratch registry keys.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// ---- Child processes ------------------------------------------------------
//
// A test executable can run one of its own "child" functions in a fresh
// process: `exe --child NAME args...`. The child's return value is the
// process exit code.

using ChildMain = int (*)(int argc, char** argv);

struct ChildRegistration {
    ChildRegistration(const char* name, ChildMain main);
};

#define PEBBLORA_CHILD(name)                                                   \
    static int name##_ChildMain(int argc, char** argv);                       \
    static ChildRegistration name##_registration(#name, name##_ChildMain);    \
    static int name##_ChildMain([[maybe_unused]] int argc, [[maybe_unused]] char** argv)

// Runs the named child of this executable. Returns its process handle and id,
// or a null handle when it could not start.
struct ChildProcess {
    HANDLE process = nullptr;
    DWORD id = 0;
    ~ChildProcess();
    // Waits up to `ms`; returns the exit code, or -1 on a timeout (the child
    // is then killed).
    int Wait(DWORD ms);
};
// Serves this thread's messages until `done` holds; true then. When `ms`
// pass first (a bound for a test gone wrong, never a pause), fails the test
// saying what it waited for and returns false.
bool ServeUntil(const char* what, const std::function<bool()>& done, DWORD ms = 20000);

// Serves every message posted to this thread before the call, and what they
// post on their way, then returns: the wait for "nothing more happens".
void ServePosted();

bool StartChild(const char* name, const std::wstring& arguments, ChildProcess& child,
                const std::vector<std::wstring>& environment = {});

// Runs `exe` (any path) with `arguments`; `child` as above. `directory` is
// the child's current directory (this process's when empty); `environment`
// lists extra NAME=value pairs added to this process's environment.
bool StartProgram(const std::wstring& exe, const std::wstring& arguments, ChildProcess& child,
                  const std::wstring& directory = L"", const std::vector<std::wstring>& environment = {});

// Path of this test executable.
std::wstring OwnExecutable();

// Runs the child body registered under `name` when argv asks for it; returns
// true and sets `exitCode` when it did.
bool RunChildIfAsked(int argc, char** argv, int& exitCode);

// ---- Message boxes --------------------------------------------------------

struct BoxSeen {
    HWND window = nullptr;
    HWND owner = nullptr;
    std::wstring caption;
    std::wstring text;
    bool hasIcon = false;  // an icon control is shown
};

// Reads caption and text of a message box window.
BoxSeen ReadBox(HWND box);

// Whether `dialog` can be answered `id`: a button of that id, a command of
// its menu bar, or for IDOK the OK of its title band.
bool Offers(HWND dialog, int id);
// Every answer `dialog` offers, as id and label, for a failure message.
std::string AnswersOf(HWND dialog);

// Watches the current thread for modal dialogs: every one of this thread
// that becomes active is recorded once and closed with `answer` (a button
// id); one still open half a second later is pressed again. A dialog that
// does not offer `answer` fails the test at once, naming what it offers, and
// is ended. Dialogs for which `leave` says true (the dialog under test) are
// neither recorded nor pressed. Only one watcher may exist at a time.
class BoxWatcher {
public:
    explicit BoxWatcher(int answer = IDOK, std::function<bool(HWND)> leave = {});
    ~BoxWatcher();
    BoxWatcher(const BoxWatcher&) = delete;
    BoxWatcher& operator=(const BoxWatcher&) = delete;

    const std::vector<BoxSeen>& Seen() const { return seen_; }

private:
    static LRESULT CALLBACK HookProc(int code, WPARAM wParam, LPARAM lParam);
    static void CALLBACK PressAgain(HWND, UINT, UINT_PTR, DWORD);
    void Press(HWND box) const;
    HHOOK hook_ = nullptr;
    UINT_PTR timer_ = 0;
    int answer_;
    std::function<bool(HWND)> leave_;
    std::vector<BoxSeen> seen_;
    // Recorded boxes that may still be open.
    std::vector<HWND> open_;
};

// Waits up to `ms` for a dialog window of process `pid`, reads it and presses
// `answer` there. Returns false when none appeared in time.
bool AnswerBoxOfProcess(DWORD pid, DWORD ms, BoxSeen& seen, int answer = IDOK);

// ---- Process-wide values ----------------------------------------------------

// Sets the program's values as a 96-dpi English device has them (this
// executable's resources, single-size images) and initialises the common
// and extra controls the dialogs use.
void UseEnglishDeviceValues();

// ---- Scratch places -------------------------------------------------------

// A fresh folder under the current directory (the test device), removed with
// everything in it when the object goes.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::wstring& Path() const { return path_; }
    // Path of `name` inside the folder.
    std::wstring operator/(const std::wstring& name) const { return path_ + L"\\" + name; }
    // Writes `bytes` to the file `name` inside the folder; returns its path.
    std::wstring WriteFile(const std::wstring& name, const std::string& bytes) const;

private:
    std::wstring path_;
};

// Removes a folder tree; true when it is gone.
bool RemoveTree(const std::wstring& path);

// A registry key under HKEY_CURRENT_USER emptied before and deleted after
// the test. Tests that use one hold the "registry" resource lock.
class ScratchKey {
public:
    explicit ScratchKey(std::wstring subkey);
    ~ScratchKey();
    const std::wstring& Path() const { return subkey_; }

private:
    std::wstring subkey_;
};

// Writes one value of the device profile (below its subkey `subkey` when
// not empty), creating the keys. True when it was written.
bool WriteProfileValue(const std::wstring& subkey, const wchar_t* name, DWORD type, const void* data, DWORD size);

// The whole contents of a file, or "<missing>" when it cannot be opened.
std::string ReadAll(const std::wstring& path);

// UTF-16 from UTF-8, for test messages and arguments.
std::wstring Widen(const std::string& text);
std::string Narrow(const std::wstring& text);
