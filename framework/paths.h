// In-place helpers that join, split and test device paths.
//
// A path is a UTF-16 text with the backslash as its only separator ("/" is an
// ordinary character). A single leading backslash is the device root; two
// leading backslashes start a network path. There are no drive letters.
//
// The helpers work on caller-supplied buffers of kMaxPath units (terminator
// included) and never allocate. Every pointer argument must be non-null.
//
// Helpers that only look at a text, or only shorten it, need a terminated text
// and never write past its terminator. Helpers that lengthen a text
// (AddBackslash, JoinPath, SplitPath) read at most kMaxPath units of each
// input and never write past kMaxPath units of their output: a result that
// would not fit is refused, never cut, because a shortened path names a
// different file. Each of them says below how a refusal shows.
//
// Free of <windows.h> so that the INI reader and the tests can use it.
#pragma once

inline constexpr int kMaxPath = 260;

// The last backslash that is not the final unit of the text, or nullptr when
// there is none (a single trailing backslash is ignored: "\a\b\" gives the one
// before "b").
const wchar_t* FindLastSeparator(const wchar_t* path);
inline wchar_t* FindLastSeparator(wchar_t* path) {
    return const_cast<wchar_t*>(FindLastSeparator(static_cast<const wchar_t*>(path)));
}

// The unit after FindLastSeparator, or the start of the path when there is none.
const wchar_t* FindFileName(const wchar_t* path);
inline wchar_t* FindFileName(wchar_t* path) {
    return const_cast<wchar_t*>(FindFileName(static_cast<const wchar_t*>(path)));
}

// The last "." anywhere in the text, a folder name included ("\a.b\c" gives
// ".b\c"), or the terminator (an empty text) when there is no dot.
const wchar_t* FindExtension(const wchar_t* path);
inline wchar_t* FindExtension(wchar_t* path) {
    return const_cast<wchar_t*>(FindExtension(static_cast<const wchar_t*>(path)));
}

// True when the path has an extension equal to `extension` (dot included),
// compared without regard to case.
bool HasExtension(const wchar_t* path, const wchar_t* extension);
// HasExtension with ".exe".
bool IsExecutable(const wchar_t* path);
// HasExtension with ".lnk".
bool IsShortcut(const wchar_t* path);

// True when something exists at the path; false for an empty text.
bool PathExists(const wchar_t* path);
// True when the path names an existing folder; false for an empty text or
// when the file system cannot tell.
bool IsFolder(const wchar_t* path);

// Appends a backslash unless the text is empty or already ends with one.
// Returns the terminator of the result. Returns nullptr and leaves the buffer
// untouched when the backslash would not fit (a text of kMaxPath - 1 units not
// ending in a backslash) or when the text is not terminated within kMaxPath
// units, so that no name is ever appended without its separator.
[[nodiscard]] wchar_t* AddBackslash(wchar_t* path);

// out = folder, then a backslash when needed and name, unless name is empty.
// An empty folder gives just the name. Returns out.
// out may be the folder buffer itself; it must not overlap name otherwise.
// Returns nullptr and leaves out empty when the result would not fit in
// kMaxPath units or an input is not terminated within kMaxPath units: an
// empty path fails every file operation instead of acting on the folder.
[[nodiscard]] wchar_t* JoinPath(wchar_t* out, const wchar_t* folder, const wchar_t* name);

// Cuts the text at FindExtension; a text without a dot is left alone.
void RemoveExtension(wchar_t* path);

// Drops the last name and its separator, keeping a root ("\a" gives "\",
// "\\a" gives "\\", "a\b" gives "a", "abc" gives ""). A trailing backslash
// counts as the last separator, so "\a\" gives "\a". An empty text, "\" and
// "\\" are left alone. Returns true when the text changed.
bool RemoveFileName(wchar_t* path);

// Goes to the parent folder: "\a\b" and "\a\b\" give "\a", "\a" gives "\",
// and "\" or "\\" give "" (the level above the root). A name without a
// separator gives "". Returns false only for an empty text.
bool UpOneLevel(wchar_t* path);

// Splits the path at FindLastSeparator into its folder (the root "\" when the
// separator is the first unit, otherwise without the separator) and the name
// after it. Returns true when the path had a separator; otherwise the folder is
// empty and the name is the whole path.
// Both outputs are kMaxPath buffers; folderOut may be the path buffer itself,
// nameOut must overlap neither. When the path is not terminated within
// kMaxPath units both outputs are left empty and false is returned: an empty
// name for a non-empty path means refused.
bool SplitPath(wchar_t* folderOut, wchar_t* nameOut, const wchar_t* path);

// Resolves "." and ".." names and runs of backslashes in place, keeping the
// root ("\" or the network "\\"): "\a\.\b\..\c" gives "\a\c", "\a\\b\" gives
// "\a\b", "a\..\b" gives "b"; a trailing backslash is dropped unless it is
// the root. The result is never longer than the text. Returns false and leaves
// the text untouched when a ".." would climb above the root (or above the
// start of a text without one, as "..\a" does) or when the text is not
// terminated within kMaxPath units.
[[nodiscard]] bool CanonicalizePath(wchar_t* path);

// Moves the text after FindLastSeparator to the start of the buffer; a text
// without a separator is left alone.
void ToFileName(wchar_t* path);

// Removes a double quote at each end when the text has at least two units and
// both ends are quotes ("\"\"" gives "", a lone quote stays).
void StripQuotes(wchar_t* text);

// Ends the text at the first space outside double quotes (a quote opens, the
// next one closes).
void CutArguments(wchar_t* commandLine);

// Leaves only the unquoted program path of a command line such as a shell
// "open" command: CutArguments, then StripQuotes.
void CommandPath(wchar_t* commandLine);

// Splits "file,index" in place: the text is cut at the first comma and the
// file part loses its surrounding quotes. Returns the decimal index after the
// comma (leading blanks and a sign allowed), 0 when there is no comma or no
// digits; an index beyond the int range is clamped to it.
int ParseIconLocation(wchar_t* location);
