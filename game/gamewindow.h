// The main window: owner of the board, its view and the skin in use; the
// menu and keyboard commands; the end of each game.
#pragma once

#include <windows.h>

#include "framework/dialog.h"
#include "framework/window.h"
#include "game/boardpainter.h"

class GameWindow : public FMainFrame {
public:
    GameWindow();
    ~GameWindow() override;

    LRESULT WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT OnCreate(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT OnCommand(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;

    // Sizes the view to the frame, loads the skin's images, sizes the board
    // to the view and deals. Runs only once the view and its drawing
    // surfaces exist.
    void LayoutBoard();
    // Settles the finished game, shows its score, then deals the next one.
    void GameOver();
    // Makes the skin file at `path` current (skins arrive with the next step).
    void LoadSkin(const wchar_t* path);
    // Lets the player choose a skin.
    void OpenSkin();

    // The view's messages (paint, pen down, pen up, and keys should the
    // view hold the focus).
    static LRESULT ViewProc(void* self, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    BoardPainter board;

private:
    // Which input holds the press that marked the group: a press by the pen
    // or the action key ends only with the same input's release, so that one
    // press never clears two groups nor leaves one marked.
    enum class Press { None, Pen, Key };

    void OnViewPaint();
    void OnPenDown(LPARAM position);
    void OnPenUp();
    // The arrow keys move the cursor; the action key (Enter, the d-pad's
    // centre) is pen down when it goes down and pen up when it comes up, at
    // the cursor. Other keys are left to the caller. True when handled.
    bool OnKeyDown(WPARAM key, LPARAM flags);
    bool OnKeyUp(WPARAM key);
    // Opens the menu bar's first menu (File) above the bar and carries out
    // the item chosen there: the bar is a row of buttons that the keyboard
    // cannot reach, so F10 and Alt open it this way.
    void OpenMenuByKeys();
    // A press held by the action key is dropped with its marking when the
    // keyboard goes elsewhere, since its release will not come here.
    void OnKeysLost();
    // The end of a press: the game's end, or the marked group's removal and
    // the cursor's landing.
    void EndPress();
    // Creates the view, subclasses it and makes the drawing surfaces.
    bool CreateView();
    // Makes the background layer at least `width` x `height`.
    bool EnsureBackgroundLayer(int width, int height);
    void ShowAbout();

    Press press = Press::None;
};

// The dialog at the end of a game: shows the settled score.
class DlgGameOver : public FDlg {
public:
    explicit DlgGameOver(int settledScore) : score(settledScore) {}

    INT_PTR OnInitDialog(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;
    INT_PTR OnDestroy(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;
    INT_PTR OnCommand(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;
    INT_PTR OnNotify(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;
    INT_PTR OnPaint(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;

    int score;
};

// The application main: runs the game and returns the process exit code.
int RunGame(int showCommand);
