// The confirmation questions of file operations.
#include "fileops/confirm.h"

#include <shellapi.h>
#include <shlwapi.h>

#include <cwchar>

#include "framework/appvalues.h"
#include "framework/dialog.h"
#include "framework/errorbox.h"
#include "framework/gdi.h"
#include "framework/language.h"
#include "framework/paths.h"
#include "platform/aygshell.h"
#include "resources/resource.h"
#include "shell/fileitem.h"
#include "shell/filetime.h"

namespace {

// Every question: its own steps at initialisation, then the handheld's
// full-screen look without an OK in the title band, and an empty menu bar:
// the question's buttons are the only answers.
class QuestionDlg : public FDlg {
public:
    INT_PTR OnInitDialog(HWND hwnd, UINT, WPARAM, LPARAM) override {
        Prepare(hwnd);
        SHINITDLGINFO init{};
        init.dwMask = SHIDIM_FLAGS;
        init.hDlg = hwnd;
        init.dwFlags = SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_SIPDOWN;
        SHInitDialog(&init);
        CreateDialogMenuBar(hwnd, false);
        return TRUE;
    }

protected:
    virtual void Prepare(HWND hwnd) = 0;

    // Shows icon resource `id` in static `control`; a missing icon leaves it empty.
    static void SetIcon(HWND hwnd, int control, int id) {
        if (HICON icon = LoadIconW(AppInstance, MAKEINTRESOURCEW(id)))
            SendDlgItemMessageW(hwnd, control, STM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
    }
    // Static 11901 from a format with one argument.
    template <class Argument>
    static void SetText(HWND hwnd, const wchar_t* format, Argument argument) {
        wchar_t text[kErrorTextUnits];
        wnsprintfW(text, kErrorTextUnits, format, argument);
        SetDlgItemTextW(hwnd, IDC_CONFIRM_TEXT, text);
    }
};

// The last component of a path, in a buffer of its own.
void NameOf(const wchar_t* path, wchar_t (&name)[kMaxPath]) {
    wchar_t folder[kMaxPath];
    if (!SplitPath(folder, name, path)) lstrcpynW(name, FindFileName(path), kMaxPath);
}

int Ask(QuestionDlg& question, HWND owner, const wchar_t* stem, bool several) {
    static const wchar_t* const kTemplates[2][2] = {{L"DlgYesNo_E", L"DlgYesNo_J"},
                                                    {L"DlgYesAllNoCancel_E", L"DlgYesAllNoCancel_J"}};
    const wchar_t* name = stem ? stem : kTemplates[several ? 1 : 0][LangJapanese ? 1 : 0];
    return static_cast<int>(DoModal(question, owner, name));
}

class MultipleDeleteQuestion : public QuestionDlg {
public:
    explicit MultipleDeleteQuestion(int count) : count_(count) {}
    void Prepare(HWND hwnd) override {
        SetWindowTextW(hwnd, ByLanguage(L"Confirm multiple file delete", L"複数ﾌｧｲﾙ削除の確認"));
        SetIcon(hwnd, IDC_CONFIRM_ICON, IDI_DELETE_WARNING);
        SetText(hwnd,
                ByLanguage(L"Are you sure you want to delete these %d items?",
                           L"これら %d 個のﾌｧｲﾙを削除してもよろしいですか?"),
                count_);
    }

private:
    int count_;
};

class FolderDeleteQuestion : public QuestionDlg {
public:
    explicit FolderDeleteQuestion(const wchar_t* path) { NameOf(path, name_); }
    void Prepare(HWND hwnd) override {
        SetWindowTextW(hwnd, ByLanguage(L"Confirm folder delete", L"ﾌｫﾙﾀﾞ削除の確認"));
        SetIcon(hwnd, IDC_CONFIRM_ICON, IDI_DELETE_WARNING);
        SetText(hwnd,
                ByLanguage(L"Are you sure you want to remove the folder '%s' and all its contents?",
                           L"ﾌｫﾙﾀﾞ'%s'とﾌｫﾙﾀﾞ内のすべてのﾌｧｲﾙを削除してもよろしいですか?"),
                name_);
    }

private:
    wchar_t name_[kMaxPath];
};

class FileDeleteQuestion : public QuestionDlg {
public:
    explicit FileDeleteQuestion(const wchar_t* path) : attributes_(GetFileAttributesW(path)) {
        NameOf(path, name_);
        executable_ = IsExecutable(path);
    }
    void Prepare(HWND hwnd) override {
        SetWindowTextW(hwnd, ByLanguage(L"Confirm file delete", L"ﾌｧｲﾙ削除の確認"));
        SetIcon(hwnd, IDC_CONFIRM_ICON, IDI_DELETE_WARNING);
        SetText(hwnd, Text(), name_);
    }

private:
    const wchar_t* Text() const {
        // A file that vanished since it was listed is asked about plainly.
        const bool known = attributes_ != INVALID_FILE_ATTRIBUTES;
        if (known && (attributes_ & FILE_ATTRIBUTE_READONLY))
            return ByLanguage(L"The file '%s' is a read-only file. Are you sure you want to delete it?",
                              L"ﾌｧｲﾙ '%s' は読み取り専用です。削除してもよろしいですか?");
        if (executable_)
            return ByLanguage(L"The file '%s' is a program.\n\nIf you remove it, you will no longer be able to run "
                              L"this program or edit some documents. Are you sure you want to delete it?",
                              L"ﾌｧｲﾙ '%s' はﾌﾟﾛｸﾞﾗﾑです。\n\n削除すると、このﾌﾟﾛｸﾞﾗﾑは実行できなくなり、"
                              L"また一部の文書は編集できなくなります。\n削除してもよろしいですか?");
        if (!known || !(attributes_ & FILE_ATTRIBUTE_SYSTEM))
            return ByLanguage(L"Are you sure you want to delete '%s'?", L"'%s' を削除してもよろしいですか?");
        return ByLanguage(L"The file '%s' is a system file.\n\nIf you remove it, your computer or one of your "
                          L"programs may no longer work correctly.",
                          L"ﾌｧｲﾙ '%s' はｼｽﾃﾑ ﾌｧｲﾙです。\n\n削除すると、ｼｽﾃﾑやｱﾌﾟﾘｹｰｼｮﾝが正しく作動しなく"
                          L"なる可能性があります。\n削除してもよろしいですか?");
    }

    DWORD attributes_;
    bool executable_;
    wchar_t name_[kMaxPath];
};

class FolderReplaceQuestion : public QuestionDlg {
public:
    explicit FolderReplaceQuestion(const wchar_t* path) { lstrcpynW(path_, path, kMaxPath); }
    void Prepare(HWND hwnd) override {
        SetWindowTextW(hwnd, ByLanguage(L"Confirm Folder Replace", L"ﾌｫﾙﾀﾞ置換の確認"));
        SetIcon(hwnd, IDC_CONFIRM_ICON, IDI_REPLACE_FOLDER);
        SetDlgItemTextW(hwnd, IDC_CONFIRM_ALL, ByLanguage(L"All", L"全上書"));
        SetText(hwnd,
                ByLanguage(L"This folder already contains a folder called '%s'.\n\nIf the files in the existing "
                           L"folder have the same name as files in the folder you are moving, do you want to "
                           L"replace the existing files?",
                           L"このﾌｫﾙﾀﾞにはすでに '%s' というﾌｫﾙﾀﾞが存在します。\n\n現在のﾌｫﾙﾀﾞのﾌｧｲﾙと新しいﾌｫﾙﾀﾞ"
                           L"のﾌｧｲﾙが同じ名前の場合、新しいﾌｧｲﾙで上書きしますか?"),
                path_);
    }

private:
    wchar_t path_[kMaxPath];
};

class FileReplaceQuestion : public QuestionDlg {
public:
    FileReplaceQuestion(const wchar_t* newFile, const wchar_t* existingFile) {
        lstrcpynW(new_, newFile, kMaxPath);
        lstrcpynW(existing_, existingFile, kMaxPath);
    }
    void Prepare(HWND hwnd) override {
        const DWORD attributes = GetFileAttributesW(existing_);
        if (attributes != INVALID_FILE_ATTRIBUTES) {
            wchar_t name[kMaxPath];
            NameOf(existing_, name);
            SetText(hwnd, Text(attributes), name);
        }
        ShowFile(hwnd, existing_, IDC_CONFIRM_OLD_DETAILS, IDC_CONFIRM_OLD_ICON, existingIcon_);
        ShowFile(hwnd, new_, IDC_CONFIRM_NEW_DETAILS, IDC_CONFIRM_NEW_ICON, newIcon_);
    }

private:
    static const wchar_t* Text(DWORD attributes) {
        if (attributes & FILE_ATTRIBUTE_SYSTEM)
            return ByLanguage(L"This folder already contains a system file called '%s'.",
                              L"このﾌｫﾙﾀﾞには既にｼｽﾃﾑﾌｧｲﾙ %s が存在します。現在あるﾌｧｲﾙを、新しいﾌｧｲﾙで上書きしますか?");
        if (attributes & FILE_ATTRIBUTE_READONLY)
            return ByLanguage(L"This folder already contains a read-only file called '%s'.",
                              L"このﾌｫﾙﾀﾞには既に読み取り専用ﾌｧｲﾙ %s が存在します。現在あるﾌｧｲﾙを、新しいﾌｧｲﾙで"
                              L"上書きしますか?");
        return ByLanguage(L"This folder already contains a file called '%s'.",
                          L"このﾌｫﾙﾀﾞには既に %s というﾌｧｲﾙが存在します。現在あるﾌｧｲﾙを、新しいﾌｧｲﾙで上書きしますか?");
    }

    // Size and date of a file in `details`, its shell icon in `iconControl`;
    // the icon is kept in `icon` for as long as the question lives.
    static void ShowFile(HWND hwnd, const wchar_t* path, int details, int iconControl, FIcon& icon) {
        WIN32_FIND_DATAW data;
        if (ReadFindData(path, &data)) {
            wchar_t text[kByteSizeUnits + 1 + 64];
            FormatByteSize(data.nFileSizeLow, text, kByteSizeUnits);
            const size_t used = std::wcslen(text);
            text[used] = L' ';
            FormatFileTime(data.ftLastWriteTime, text + used + 1, static_cast<int>(std::size(text) - used - 1));
            SetDlgItemTextW(hwnd, details, text);
        }
        SHFILEINFOW info{};
        if (SHGetFileInfoW(path, 0, &info, sizeof(info), SHGFI_ICON) && info.hIcon) {
            icon.Reset(info.hIcon);
            SendDlgItemMessageW(hwnd, iconControl, STM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon.Get()));
        }
    }

    wchar_t new_[kMaxPath];
    wchar_t existing_[kMaxPath];
    // Kept until the question goes, after its dialog window is gone.
    FIcon existingIcon_;
    FIcon newIcon_;
};

// The number of entries of a double-NUL list.
int CountSources(const wchar_t* sources) {
    int count = 0;
    for (const wchar_t* source = sources; source && *source; source += std::wcslen(source) + 1) ++count;
    return count;
}

}  // namespace

bool ConfirmDelete(HWND owner, const wchar_t* sources) {
    const int count = CountSources(sources);
    if (count > 1) {
        MultipleDeleteQuestion question(count);
        return Ask(question, owner, nullptr, false) != kAnswerNo;
    }
    if (count == 1 && IsFolder(sources)) {
        FolderDeleteQuestion question(sources);
        return Ask(question, owner, nullptr, false) != kAnswerNo;
    }
    return true;
}

int AskDeleteFile(HWND owner, const wchar_t* path, bool several) {
    FileDeleteQuestion question(path);
    return Ask(question, owner, nullptr, several);
}

int AskReplaceFolder(HWND owner, const wchar_t* existingFolder, bool several) {
    FolderReplaceQuestion question(existingFolder);
    return Ask(question, owner, nullptr, several);
}

int AskReplaceFile(HWND owner, const wchar_t* newFile, const wchar_t* existingFile, bool several) {
    FileReplaceQuestion question(newFile, existingFile);
    const wchar_t* stem = several ? ByLanguage(L"FDlgConfReplaceMultiFile_E", L"FDlgConfReplaceMultiFile_J")
                                  : ByLanguage(L"FDlgConfReplaceFile_E", L"FDlgConfReplaceFile_J");
    return Ask(question, owner, stem, several);
}
