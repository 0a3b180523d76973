// The skin checks, each reading the skin the way ReadSkinFile does.
#include "app/skincheck/skincheck.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>

#include "app/skincheck/piececolours.h"
#include "framework/gdi.h"
#include "framework/paths.h"
#include "skin/imageload.h"
#include "skin/inifile.h"

namespace {

// What the game accepts for num; anything else plays with 4 colours.
constexpr int kMinColours = 2;
constexpr int kMaxColours = 5;
// Bytes looked at to tell text from a binary file.
constexpr std::size_t kSniffBytes = 65536;
// The smaller screen the game runs on. Pictures larger than the screen are
// scaled down to fit it, as the game does; the board is as wide as the
// screen.
constexpr int kSmallScreenWidth = 240;
constexpr int kSmallScreenHeight = 320;
// Fewer cells across than this make a board that is hardly a game.
constexpr int kFewestColumns = 4;
// The larger screen, which the background is tiled over one copy at a time
// at every start.
constexpr int kLargeScreenWidth = 480;
constexpr int kLargeScreenHeight = 640;
// A background smaller than this in area takes more copies than an 8 x 8
// tile, the smallest the sample skins use.
constexpr int kSmallestTileArea = 64;

std::wstring Widen(const std::string& bytes) {
    if (bytes.empty()) return L"";
    const int units = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<std::size_t>(units), L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), units);
    return text;
}

std::wstring Quoted(const std::wstring& text) { return L"'" + text + L"'"; }
std::wstring Quoted(const std::string& text) { return Quoted(Widen(text)); }

class ProblemList {
public:
    void Error(int line, std::wstring english, std::wstring japanese) {
        problems.push_back({line, true, std::move(english), std::move(japanese)});
    }
    void Warning(int line, std::wstring english, std::wstring japanese) {
        problems.push_back({line, false, std::move(english), std::move(japanese)});
    }
    std::vector<SkinProblem> problems;
};

// True when the first bytes of the file hold a NUL: an image or some other
// binary file named as a skin, which the reader would take as a few odd lines.
bool LooksBinary(const wchar_t* path) {
    std::FILE* file = _wfopen(path, L"rb");
    if (file == nullptr) return false;
    std::vector<char> bytes(kSniffBytes);
    const std::size_t count = std::fread(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    return std::find(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(count), '\0') !=
           bytes.begin() + static_cast<std::ptrdiff_t>(count);
}

// Edit distance between two names with ASCII case ignored.
std::size_t Distance(const std::string& a, const std::string& b) {
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const char ca[2] = {a[i - 1], '\0'};
            const char cb[2] = {b[j - 1], '\0'};
            const std::size_t cost = IniCompareNoCase(ca, cb) == 0 ? 0 : 1;
            const std::size_t next = std::min({row[j] + 1, row[j - 1] + 1, diagonal + cost});
            diagonal = row[j];
            row[j] = next;
        }
    }
    return row[b.size()];
}

std::wstring DidYouMean(const std::string& name, const std::vector<std::string>& known, bool japanese) {
    const std::string nearest = NearestName(name, known);
    if (nearest.empty()) return L"";
    return japanese ? L"（" + Quoted(nearest) + L" のことですか？）" : L"; did you mean " + Quoted(nearest) + L"?";
}

// Unknown sections and keys: the game ignores them, so they are warnings,
// but a misspelt known name usually means a missing one as well.
void CheckNames(const IniFile& ini, ProblemList& out) {
    const std::vector<std::string> sections = {"PEBBLORA", "IMAGES"};
    for (const auto& section : ini.sections) {
        std::vector<std::string> keys;
        bool known = true;
        if (IniCompareNoCase(section->name.c_str(), "PEBBLORA") == 0) {
            keys = {"ver", "num"};
        } else if (IniCompareNoCase(section->name.c_str(), "IMAGES") == 0) {
            keys = {"piece", "background"};
        } else if (!section->name.empty()) {
            known = false;
            out.Warning(section->line,
                        L"unknown section [" + Widen(section->name) + L"] is ignored" +
                            DidYouMean(section->name, sections, false),
                        L"不明なセクション [" + Widen(section->name) + L"] は無視されます" +
                            DidYouMean(section->name, sections, true));
        }
        for (const auto& entry : section->entries) {
            const std::string& key = entry->key;
            // Blank lines, comments and the header line itself carry nothing.
            if (key.empty() || key == "#" || key == ";" || key[0] == '[') continue;
            if (section->name.empty()) {
                out.Warning(entry->line, L"key " + Quoted(key) + L" before any [section] is ignored",
                            L"キー " + Quoted(key) + L" はセクションの前にあるため無視されます");
                continue;
            }
            if (!known || std::find(keys.begin(), keys.end(), key) != keys.end()) continue;
            out.Warning(entry->line,
                        L"unknown key " + Quoted(key) + L" in [" + Widen(section->name) + L"] is ignored" +
                            DidYouMean(key, keys, false),
                        L"[" + Widen(section->name) + L"] の不明なキー " + Quoted(key) + L" は無視されます" +
                            DidYouMean(key, keys, true));
        }
    }
}

void CheckHeader(const IniFile& ini, ProblemList& out) {
    const IniSection* header = ini.FindSection("PEBBLORA");
    if (header == nullptr) {
        out.Error(1, L"no [PEBBLORA] section: the game needs one with ver= and num=",
                  L"[PEBBLORA] セクションがありません: ver= と num= を書いてください");
        return;
    }
    if (header->FindEntry("ver") == nullptr)
        out.Error(header->line, L"[PEBBLORA] has no 'ver' key: write ver=1",
                  L"[PEBBLORA] に 'ver' キーがありません: ver=1 と書いてください");
    const IniEntry* num = header->FindEntry("num");
    if (num == nullptr) {
        out.Error(header->line, L"[PEBBLORA] has no 'num' key: write the number of piece colours, 2 to 5",
                  L"[PEBBLORA] に 'num' キーがありません: 駒の色数 (2～5) を書いてください");
        return;
    }
    int colours = 0;
    (void)ini.IniGetInt("PEBBLORA", "num", colours);
    if (colours < kMinColours || colours > kMaxColours)
        out.Error(num->line,
                  L"num=" + Widen(num->value) + L" is not a colour count from 2 to 5; the game would play with 4",
                  L"num=" + Widen(num->value) + L" は 2～5 の色数ではありません。ゲームは 4 色で遊びます");
}

// The name of `path`'s file as the folder spells it, when it differs from
// `path`'s own spelling only in case; empty otherwise.
std::wstring CaseOnlyMatch(const wchar_t* path) {
    wchar_t pattern[kMaxPath];
    if (!JoinPath(pattern, path, L"")) return L"";
    RemoveFileName(pattern);
    if (!JoinPath(pattern, pattern, L"*")) return L"";
    const wchar_t* name = FindFileName(path);
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW(pattern, &found);
    if (find == INVALID_HANDLE_VALUE) return L"";
    std::wstring match;
    do {
        if (_wcsicmp(found.cFileName, name) == 0) {
            if (std::wcscmp(found.cFileName, name) == 0) {
                match.clear();
                break;
            }
            match = found.cFileName;
        }
    } while (FindNextFileW(find, &found));
    FindClose(find);
    return match;
}

// A name that starts at a root or a drive: the game joins it to the skin's
// folder like any other name, so it is never found where its author meant.
bool IsAbsoluteName(const wchar_t* name) {
    return name[0] == L'\\' || name[0] == L'/' || (name[0] != L'\0' && name[1] == L':');
}

// An image a skin names, as the game finds it: its line in the file, and
// the picture as the game decodes it for the smaller screen.
struct SkinImage {
    const IniEntry* entry = nullptr;
    FBitmap bitmap;
    int width = 0;
    int height = 0;
};

// Checks the image named by IMAGES/`key` as ReadSkinFile and the layout would
// find and load it. Fills `image` and returns true when it decodes.
bool CheckImage(const IniSection& images, const char* key, const wchar_t* folder, SkinImage& image,
                ProblemList& out) {
    const IniEntry* entry = images.FindEntry(key);
    const std::wstring wideKey = Widen(key);
    if (entry == nullptr) {
        // The game keeps the path the skin before left, so such a skin may
        // even load, with another skin's picture.
        out.Error(images.line,
                  L"[IMAGES] has no " + Quoted(wideKey) +
                      L" key: name the picture file, or the game keeps the one of the skin loaded before",
                  L"[IMAGES] に " + Quoted(wideKey) +
                      L" キーがありません: 画像ファイル名を書いてください。ないと前に読んだスキンの画像が残ります");
        return false;
    }
    // The same steps as ReadSkinFile: ANSI bytes to text, quotes off, joined
    // to the skin's folder.
    std::wstring name = Widen(entry->value);
    if (name.size() >= static_cast<std::size_t>(kMaxPath)) name.resize(kMaxPath - 1);
    wchar_t unquoted[kMaxPath];
    std::wmemcpy(unquoted, name.c_str(), name.size() + 1);
    StripQuotes(unquoted);
    wchar_t path[kMaxPath];
    if (unquoted[0] == L'\0') {
        out.Error(entry->line, wideKey + L"= names no file", wideKey + L"= にファイル名がありません");
        return false;
    }
    if (IsAbsoluteName(unquoted))
        out.Warning(entry->line,
                    Quoted(unquoted) + L" is an absolute path or names a drive: the game looks for images "
                                       L"beside the skin file only, so name the file as it lies there",
                    Quoted(unquoted) + L" は絶対パスかドライブ名を含んでいます。ゲームは画像をスキンファイルと"
                                       L"同じフォルダでしか探さないので、そこにあるファイル名で書いてください");
    if (!JoinPath(path, folder, unquoted)) {
        out.Error(entry->line, L"the path of " + Quoted(unquoted) + L" is longer than 259 characters",
                  Quoted(unquoted) + L" のパスが 259 文字を超えています");
        return false;
    }
    if (!PathExists(path)) {
        out.Error(entry->line, L"image " + Quoted(unquoted) + L" does not exist",
                  L"画像 " + Quoted(unquoted) + L" がありません");
        return false;
    }
    const std::wstring caseMatch = CaseOnlyMatch(path);
    if (!caseMatch.empty())
        out.Warning(entry->line,
                    L"image " + Quoted(unquoted) + L" is spelt " + Quoted(caseMatch) +
                        L" on disk: a device that tells case apart will not find it",
                    L"画像 " + Quoted(unquoted) + L" はディスク上では " + Quoted(caseMatch) +
                        L" です: 大文字と小文字を区別する機器では見つかりません");
    image.bitmap.Reset(LoadImageFile(path, kSmallScreenWidth, kSmallScreenHeight, 24));
    if (!image.bitmap) {
        out.Error(entry->line, L"image " + Quoted(unquoted) + L" cannot be decoded as a picture",
                  L"画像 " + Quoted(unquoted) + L" を画像として読み込めません");
        return false;
    }
    image.entry = entry;
    return GetBitmapSize(image.bitmap.Get(), image.width, image.height);
}

// The piece strip as the layout cuts it: two rows of square cells, so the
// cell side is half the height, one column per colour.
void CheckPieceStrip(const IniFile& ini, const SkinImage& strip, ProblemList& out) {
    const IniEntry& entry = *strip.entry;
    const int width = strip.width;
    const int height = strip.height;
    const int side = height / 2;
    const int pieces = side >= 1 ? width / side : 0;
    if (pieces < 2) {
        out.Error(entry.line,
                  L"the piece strip is " + std::to_wstring(width) + L" x " + std::to_wstring(height) +
                      L" pixels: two rows of square cells, each half the height, with at least 2 pieces are "
                      L"needed; the game shows its own pieces instead",
                  L"駒の画像は " + std::to_wstring(width) + L" x " + std::to_wstring(height) +
                      L" ピクセルです: 高さの半分を一辺とする正方形のマスが 2 段、駒は 2 個以上必要です。"
                      L"ゲームは内蔵の駒を使います");
        return;
    }
    if (kSmallScreenWidth / side < kFewestColumns)
        out.Warning(entry.line,
                    L"cells of " + std::to_wstring(side) + L" pixels leave room for only " +
                        std::to_wstring(kSmallScreenWidth / side) +
                        L" across the 240-pixel screen; make the strip lower",
                    L"マスが " + std::to_wstring(side) + L" ピクセルあるため、幅 240 ピクセルの画面に横 " +
                        std::to_wstring(kSmallScreenWidth / side) + L" マスしか入りません。画像の高さを減らしてください");
    int colours = 0;
    if (!ini.IniGetInt("PEBBLORA", "num", colours) || colours < kMinColours || colours > kMaxColours) return;
    for (const AlikePieces& pair : FindAlikePieces(strip.bitmap.Get(), side, std::min(colours, pieces))) {
        wchar_t difference[16];
        std::swprintf(difference, std::size(difference), L"%.1f", pair.difference);
        out.Warning(entry.line,
                    L"pieces " + std::to_wstring(pair.first) + L" and " + std::to_wstring(pair.second) +
                        L" are only " + difference + L" apart in colour with " + pair.vision +
                        L" and alike in shape: some players cannot tell them apart; make one lighter or darker, "
                        L"or change its shape",
                    L"駒 " + std::to_wstring(pair.first) + L" と " + std::to_wstring(pair.second) + L" は" +
                        pair.visionJapanese + L"では色の差が " + difference +
                        L" しかなく、形も似ているため見分けられない人がいます。どちらかの明るさか形を変えてください");
    }
    if (pieces < colours)
        out.Error(entry.line,
                  L"the piece strip holds " + std::to_wstring(pieces) + L" pieces of " + std::to_wstring(side) +
                      L" pixels, fewer than num=" + std::to_wstring(colours) + L"; the game plays with " +
                      std::to_wstring(pieces) + L" colours",
                  L"駒の画像には " + std::to_wstring(side) + L" ピクセルの駒が " + std::to_wstring(pieces) +
                      L" 個しかなく、num=" + std::to_wstring(colours) + L" より少ないため、ゲームは " +
                      std::to_wstring(pieces) + L" 色で遊びます");
}

// The background is tiled over the whole screen one copy at a time at every
// start and skin change: a tiny tile makes that thousands of copies.
void CheckBackground(const SkinImage& background, ProblemList& out) {
    if (background.width * background.height >= kSmallestTileArea) return;
    const long long copies = static_cast<long long>(kLargeScreenWidth / background.width + 1) *
                             (kLargeScreenHeight / background.height + 1);
    const std::wstring size = std::to_wstring(background.width) + L" x " + std::to_wstring(background.height);
    out.Warning(background.entry->line,
                L"the background is only " + size + L" pixels: the game copies it " + std::to_wstring(copies) +
                    L" times to fill the 480 x 640 screen, which slows every start; make it at least 8 x 8 "
                    L"(it is tiled, so any size fits)",
                L"背景は " + size + L" ピクセルしかなく、480 x 640 の画面を埋めるために " +
                    std::to_wstring(copies) +
                    L" 回コピーするので起動が遅くなります。8 x 8 以上にしてください (タイル状に並べるので大きさは自由です)");
}

}  // namespace

std::string NearestName(const std::string& name, const std::vector<std::string>& known) {
    std::string best;
    std::size_t bestDistance = 3;
    for (const auto& candidate : known) {
        const std::size_t distance = Distance(name, candidate);
        if (distance < bestDistance) {
            best = candidate;
            bestDistance = distance;
        }
    }
    return best;
}

std::vector<SkinProblem> CheckSkin(const wchar_t* path) {
    ProblemList out;
    if (wcsnlen(path, kMaxPath) >= static_cast<std::size_t>(kMaxPath)) {
        out.Error(1, L"the skin's path is longer than 259 characters; the game cannot load it",
                  L"スキンのパスが 259 文字を超えているため、ゲームは読み込めません");
        return out.problems;
    }
    IniFile ini;
    ini.keyCaseSensitive = 1;
    if (ini.IniLoad(path) != 0) {
        out.Error(1, L"cannot open the skin file", L"スキンファイルを開けません");
        return out.problems;
    }
    if (LooksBinary(path)) {
        out.Error(1, L"this is not a text file; a skin is an INI text file",
                  L"テキストファイルではありません。スキンは INI テキストファイルです");
        return out.problems;
    }
    for (const int line : ini.longLines)
        out.Error(line, L"the line is longer than 255 bytes; the game reads the rest as a line of its own",
                  L"行が 255 バイトを超えています。ゲームは残りを別の行として読みます");
    CheckNames(ini, out);
    CheckHeader(ini, out);
    const IniSection* images = ini.FindSection("IMAGES");
    if (images == nullptr) {
        out.Error(1, L"no [IMAGES] section: the game needs one with piece= and background=",
                  L"[IMAGES] セクションがありません: piece= と background= を書いてください");
    } else {
        wchar_t folder[kMaxPath];
        std::wmemcpy(folder, path, wcsnlen(path, kMaxPath) + 1);
        RemoveFileName(folder);
        SkinImage piece;
        if (CheckImage(*images, "piece", folder, piece, out)) CheckPieceStrip(ini, piece, out);
        SkinImage background;
        if (CheckImage(*images, "background", folder, background, out)) CheckBackground(background, out);
    }
    std::stable_sort(out.problems.begin(), out.problems.end(),
                     [](const SkinProblem& a, const SkinProblem& b) { return a.line < b.line; });
    return out.problems;
}

std::wstring FormatSkinProblem(const std::wstring& shownPath, const SkinProblem& problem, bool japanese) {
    // The words "error" and "warning" stay English in both languages:
    // editors find problems by them.
    return shownPath + L":" + std::to_wstring(problem.line) + (problem.error ? L": error: " : L": warning: ") +
           (japanese ? problem.japanese : problem.english);
}

std::wstring FormatSkinSummary(int skins, int errors, int warnings, bool japanese) {
    if (japanese)
        return std::to_wstring(skins) + L" 個のスキンを検査しました: エラー " + std::to_wstring(errors) +
               L" 件、警告 " + std::to_wstring(warnings) + L" 件";
    return std::to_wstring(skins) + (skins == 1 ? L" skin" : L" skins") + L" checked: " +
           std::to_wstring(errors) + (errors == 1 ? L" error, " : L" errors, ") + std::to_wstring(warnings) +
           (warnings == 1 ? L" warning" : L" warnings");
}

int SkinCheckStatus(int errors, int warnings) {
    if (errors > 0) return 2;
    return warnings > 0 ? 1 : 0;
}
