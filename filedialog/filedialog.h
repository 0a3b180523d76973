// The file selection dialog: a full-screen modal chooser that takes the
// place of the platform's open and save dialogs. The caller describes its
// request in an OPENFILENAMEW record and gets the chosen path back in its
// own buffer; nothing of the dialog survives between two runs.
//
// The dialog owns a folder view on its list control (11000), the folder bar
// at its bottom (13300) that shows the current location, the menu bar with
// its eight toolbar buttons, and the Back history. Everything runs on the
// caller's (user-interface) thread.
#pragma once

#include <windows.h>

#include <commdlg.h>

#include <memory>
#include <string>

#include "filedialog/folderview.h"
#include "framework/allocator.h"
#include "framework/dialog.h"
#include "shell/locations.h"

class FDlgGetFileName : public FDlg {
public:
    FDlgGetFileName() = default;
    ~FDlgGetFileName() override;

    // Runs the dialog modally over request.hwndOwner: Save mode when `save`
    // is true. Returns 1 after a path was accepted into request.lpstrFile,
    // 2 after Cancel, -1 when the template is missing.
    INT_PTR Run(bool save, OPENFILENAMEW& request);

    // Adds WM_SIZE and WM_SETTINGCHANGE to the base routing; every other
    // message as the base does.
    INT_PTR DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;
    INT_PTR OnInitDialog(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;
    INT_PTR OnDestroy(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;
    // Replaces the base entirely: commands 3 to 20 do not end this dialog.
    INT_PTR OnCommand(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;
    INT_PTR OnNotify(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;
    virtual INT_PTR OnSize(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    virtual INT_PTR OnSettingChange(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    // ---- Navigation among locations --------------------------------------------------
    // Moves the view to (code, path); with `remember` the location left goes
    // to the front of History. False, with nothing changed, when the view
    // refuses the move.
    bool Navigate(LocationCode code, const wchar_t* path, bool remember);
    // Back: the front of History, which is dropped whether or not the move works.
    void GoBack();
    // Up one level by the parent rules; nothing where there is no parent.
    void GoUp();
    // The location menu of the current location's ancestors, over the folder bar.
    void ShowLocationMenu();
    // Goes to ancestor `level` (0 the Desktop) of the current location.
    void GoToAncestor(int level);

    // ---- Find (filedialog_find.cpp) ----------------------------------------------------------
    // Asks what to look for, searches the current location's tree and shows
    // what was found in the Find Result location (Back returns); says so
    // and stays where it was when nothing was found. Nothing where the
    // location offers no search.
    void Find();
    // The folder the current location's search covers ("\" for the whole
    // device); false where none is offered (Control Panel, Database, Find
    // Result, My Network, no location).
    bool SearchRoot(wchar_t* root) const;

    // ---- Choosing a name ---------------------------------------------------------------
    // A shortcut's target (made canonical; one that climbs above the root is
    // refused), a special location or a folder is gone to; anything else is
    // offered to AcceptName.
    void OpenOrAccept(const wchar_t* path);
    // Ends the dialog with `path` in the caller's buffer when the request's
    // rules allow; otherwise the dialog stays open.
    void AcceptName(const wchar_t* path);

    bool save = false;
    OPENFILENAMEW* request = nullptr;
    FList<std::wstring> History;  // most recent first
    std::unique_ptr<FFolderView> view;
    HWND FolderBar = nullptr;     // destroyed with the dialog window
    HWND menuBar = nullptr;       // the menu bar; its toolbar holds the eight buttons
    HHOOK findKeys = nullptr;     // catches Ctrl+F for this dialog and its controls

private:
    void CreateFolderBar();
    void CreateToolbar();
    void LayoutControls();
    void FillFileTypes();
    void OnFileTypeChange();
    void OnSelectionChange();
    void OpenSelection();
    void AcceptTypedName();
    void ShowBackUpMenu();
    // Shows the current location on the folder bar's button.
    void UpdateFolderBar();
    void EnableButton(int command, bool enabled);
    // Pattern n of the request's filter list, or null.
    const wchar_t* FilterPattern(int n) const;
};

// Starts (on) or stops watching the dialog's keys for Ctrl+F.
void WatchFindKeys(FDlgGetFileName& dialog, bool on);

// Runs the dialog in Open or Save mode; true exactly when a path was
// accepted, which is then in request.lpstrFile.
bool FGetOpenFileName(OPENFILENAMEW& request);
bool FGetSaveFileName(OPENFILENAMEW& request);
