// Answers every dialog a process shows, on any thread: the questions of the
// file operations with scripted answers, error boxes with OK.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "fileops/confirm.h"
#include "resources/resource.h"
#include "tests/support/testsupport.h"

struct DialogSeen {
    bool question = false;  // else an error box
    std::wstring caption;
    std::wstring text;
    bool several = false;  // the question offered All and Cancel
};

// Answers every dialog this process shows, on any thread: each question with
// the next scripted answer (Yes once the script is used up), each error box
// with OK, recording what they said. It polls on a timer of the test's
// thread, which the progress dialog's modal loop serves.
class Answerer {
public:
    explicit Answerer(std::vector<int> answers = {}) : answers_(std::move(answers)) {
        active_ = this;
        timer_ = SetTimer(nullptr, 0, 10, Tick);
    }
    ~Answerer() {
        KillTimer(nullptr, timer_);
        active_ = nullptr;
    }
    Answerer(const Answerer&) = delete;
    Answerer& operator=(const Answerer&) = delete;

    std::vector<DialogSeen> seen;
    // Called with the progress dialog before a question is answered.
    std::function<void(HWND progress, const DialogSeen&)> beforeAnswer;

    int Questions() const {
        int count = 0;
        for (const DialogSeen& dialog : seen) count += dialog.question;
        return count;
    }
    std::vector<std::wstring> Boxes() const {
        std::vector<std::wstring> texts;
        for (const DialogSeen& dialog : seen)
            if (!dialog.question) texts.push_back(dialog.text);
        return texts;
    }

private:
    static BOOL CALLBACK Collect(HWND window, LPARAM list) {
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        wchar_t cls[16] = L"";
        GetClassNameW(window, cls, 16);
        if (process == GetCurrentProcessId() && IsWindowVisible(window) && lstrcmpW(cls, L"#32770") == 0)
            reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
        return TRUE;
    }

    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        Answerer* self = active_;
        if (!self || self->busy_) return;
        self->busy_ = true;
        std::vector<HWND> windows;
        EnumWindows(Collect, reinterpret_cast<LPARAM>(&windows));
        HWND progress = nullptr;
        for (HWND window : windows)
            if (GetDlgItem(window, IDC_FILEOP_GAUGE)) progress = window;
        for (HWND window : windows) {
            if (window == progress || self->handled_.count(window)) continue;
            self->handled_.insert(window);
            self->Answer(window, progress);
        }
        // A closed dialog's handle may come back for a new one.
        for (auto it = self->handled_.begin(); it != self->handled_.end();)
            it = IsWindow(*it) ? std::next(it) : self->handled_.erase(it);
        self->busy_ = false;
    }

    void Answer(HWND window, HWND progress) {
        DialogSeen dialog;
        wchar_t text[1024] = L"";
        GetWindowTextW(window, text, 1024);
        dialog.caption = text;
        dialog.question = GetDlgItem(window, IDYES) != nullptr;
        if (!dialog.question) {
            dialog.text = ReadBox(window).text;
            seen.push_back(dialog);
            PostMessageW(window, WM_COMMAND, IDOK, 0);
            return;
        }
        GetDlgItemTextW(window, IDC_CONFIRM_TEXT, text, 1024);
        dialog.text = text;
        dialog.several = GetDlgItem(window, IDCANCEL) != nullptr;
        seen.push_back(dialog);
        if (beforeAnswer) beforeAnswer(progress, dialog);
        const int answer = next_ < answers_.size() ? answers_[next_++] : kAnswerYes;
        if (HWND button = GetDlgItem(window, answer)) {
            PostMessageW(button, BM_CLICK, 0, 0);
            return;
        }
        ADD_FAILURE() << "the question \"" << Narrow(dialog.text) << "\" has no button " << answer << "; it offers "
                      << AnswersOf(window);
        // Cancel ends the question and the request, so the test goes on to its end.
        PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
    }

    static inline Answerer* active_ = nullptr;
    UINT_PTR timer_ = 0;
    bool busy_ = false;
    std::vector<int> answers_;
    size_t next_ = 0;
    std::set<HWND> handled_;
};
