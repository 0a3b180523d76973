// The INI reader: loads a whole sectioned key=value text file into memory and
// answers lookups by section and key.
//
// Contents are bytes in the device's ANSI code page (Shift-JIS when the
// interface is Japanese); conversion to wide text is the caller's business.
// Nothing is ever written back. Free of <windows.h>.
//
// Accepted text, line by line:
//   - LF ends a line; CR is dropped wherever it occurs; 0x1A ends the current
//     line and reading goes on after it; end of file ends a last line without LF.
//   - At most 255 bytes are taken per line (CR counted); the rest of a longer
//     line is read as the following line.
//   - "[name]" starts or continues a section; the name runs to the first "]" or
//     the end of the line, blanks around it removed, text after "]" ignored.
//     Lines before the first header belong to the section named "".
//   - A line starting with "#" or ";" is kept as an entry with key "#" or ";"
//     and the whole line as value; an empty line as an entry with empty key and
//     value. Any other line with "=" is an entry: key before the first "=",
//     value after it, blanks and tabs around both removed. Other lines are
//     ignored. A header line is also looked at as an entry line.
// Sections match case-insensitively (ASCII letters only); keys too unless
// keyCaseSensitive is set. The first section and the first entry that match win.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "framework/allocator.h"

// Size of a line buffer: 255 bytes of text and the terminator.
inline constexpr std::size_t IniLineSize = 256;

// One key=value pair, or a kept comment or blank line.
class IniEntry {
public:
    IniEntry(std::string key, std::string value, int line = 0);
    virtual ~IniEntry();

    std::string key;
    std::string value;
    // The line of the file it was read from, counting LFs from 1 as an
    // editor does: the rest of a line over 255 bytes, or after a 0x1A, keeps
    // that line's number. 0 when not read.
    int line;
};

// A named section with its entries in file order.
class IniSection {
public:
    IniSection(std::string name, std::int32_t keyCaseSensitive, int line = 0);
    virtual ~IniSection();

    // First entry whose key matches (byte-exact or ASCII-caseless by
    // keyCaseSensitive); null when there is none.
    const IniEntry* FindEntry(const char* key) const;

    std::string name;
    std::int32_t keyCaseSensitive;
    // Line of its first header, or of its first line for the section "".
    int line;
    FList<std::unique_ptr<IniEntry>> entries;
};

// A loaded INI file. Empty after construction; IniLoad fills it.
class IniFile {
public:
    IniFile();
    virtual ~IniFile();
    IniFile(const IniFile&) = delete;
    IniFile& operator=(const IniFile&) = delete;

    // Discards what was loaded before and reads the file at `path`.
    // Returns 1 if it cannot be opened (the object is then empty), else 0.
    // Keeps no file open after it returns.
    int IniLoad(const wchar_t* path);

    // Decimal value of section/key: leading blanks, an optional sign, then
    // digits up to the first non-digit (0 if none; saturates at the int range).
    // False, with `out` untouched, when the section or key is absent.
    bool IniGetInt(const char* section, const char* key, int& out) const;

    // Copies the value of section/key into buffer as a terminated string,
    // truncated to size - 1 bytes, the rest of the buffer zero-filled.
    // A size of 0 writes nothing. False, buffer untouched, when absent.
    bool IniGetString(const char* section, const char* key, char* buffer,
                      std::size_t size) const;

    // First section whose name matches under IniCompareNoCase; null if none.
    const IniSection* FindSection(const char* name) const;

    // Name of the section being filled while loading; "" at the start.
    char currentSection[IniLineSize];
    // Copied into every section created; set it before IniLoad.
    std::int32_t keyCaseSensitive;
    // Sections in order of first appearance.
    FList<std::unique_ptr<IniSection>> sections;
    // Lines of the file over 255 bytes, which were read as more than one.
    FList<int> longLines;

private:
    void ClearContent();
    IniSection& SectionForLoading(int lineNumber);
    void AddLine(IniSection& section, const char* line, int lineNumber);
};

// What ended a line IniReadLine read.
enum class IniLineEnd { Newline, Mark, Cut, EndOfFile };

// Reads one line of at most 255 bytes (CR bytes count but are not stored)
// into `line`, without its LF or 0x1A, and terminates it. False at end of
// file when no byte was read for this line. `end`, when given, says what
// ended it: after Cut, the next read gives the rest of the same line of the
// file; after Mark, the rest of the same line of the file after the 0x1A.
bool IniReadLine(char (&line)[IniLineSize], std::FILE* file, IniLineEnd* end = nullptr);

// Byte-wise comparison with "A"-"Z" folded to "a"-"z" and no other folding;
// the difference of the first unequal folded bytes, 0 when equal.
int IniCompareNoCase(const char* a, const char* b);

// Cuts `text` after its last byte that is neither blank nor tab. In Japanese
// mode a Shift-JIS lead byte and the byte after it are one character, so a
// trail byte that looks like a blank stays.
void TrimRight(char* text);

// First position in `text` that is neither blank nor tab.
const char* SkipBlanks(const char* text);
char* SkipBlanks(char* text);
