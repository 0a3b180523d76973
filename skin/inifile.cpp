// The INI reader: line splitting, section and entry parsing, lookups.
#include "skin/inifile.h"

#include <climits>
#include <cstring>
#include <string>
#include <utility>

#include "framework/language.h"

namespace {

// Ends a line without being stored; reading goes on after it.
constexpr int LineEndMark = 0x1A;

// Closes the file it holds.
struct FileCloser {
    void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};
using FileHolder = std::unique_ptr<std::FILE, FileCloser>;

// Opens `path` for reading bytes; null when it cannot be opened.
//
// Binary mode on purpose: the C runtime's text mode would end the whole file
// at the first 0x1A, whereas the format lets 0x1A end only the current line.
// IniReadLine applies the text rules itself (LF ends, CR dropped).
FileHolder OpenForReading(const wchar_t* path) {
#ifdef _WIN32
    return FileHolder(_wfopen(path, L"rb"));
#else
    // Host builds of the tests only: their paths are plain ASCII.
    std::string narrow;
    for (const wchar_t* p = path; *p != L'\0'; ++p) {
        if (*p < 0 || *p > 0x7F) return nullptr;
        narrow += static_cast<char>(*p);
    }
    return FileHolder(std::fopen(narrow.c_str(), "rb"));
#endif
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// True for a Shift-JIS lead byte (0x81-0x9F, 0xE0-0xFD).
bool IsLeadByte(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFD);
}

// Bytes in the character starting at `text`: 2 for a lead byte and its trail
// in Japanese mode, else 1. A lead byte right before the terminator stands
// alone, so nothing past the string is read.
std::size_t CharacterBytes(const char* text) {
    return LangJapanese && IsLeadByte(text[0]) && text[1] != '\0' ? 2 : 1;
}

int FoldAscii(unsigned char c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; }

// Copy of [begin, end) without the blanks and tabs around it.
std::string TrimmedCopy(const char* begin, const char* end) {
    std::string text(begin, end);
    TrimRight(text.data());
    return std::string(SkipBlanks(text.c_str()));
}

// Reads the section name of a header line (first byte "[") into `name`: text
// after "[" and leading blanks, up to the first "]" or the line's end, trimmed.
void ParseSectionName(const char* line, char (&name)[IniLineSize]) {
    const char* p = SkipBlanks(line + 1);
    std::size_t length = 0;
    while (*p != '\0' && *p != ']') {
        const std::size_t bytes = CharacterBytes(p);
        if (length + bytes >= IniLineSize) break;
        std::memcpy(name + length, p, bytes);
        length += bytes;
        p += bytes;
    }
    name[length] = '\0';
    TrimRight(name);
}

// Decimal value of `text`: blanks, optional sign, digits up to the first
// non-digit. Saturates at the int range rather than overflowing.
int ParseDecimal(const char* text) {
    const char* p = SkipBlanks(text);
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    // Held one past INT_MAX at most, which is enough to tell either limit.
    const long long cap = static_cast<long long>(INT_MAX) + 1;
    long long magnitude = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        magnitude = magnitude * 10 + (*p - '0');
        if (magnitude > cap) magnitude = cap;
    }
    const long long value = negative ? -magnitude : magnitude;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

// The first matching entry of the first matching section; null if either is absent.
const IniEntry* FindValue(const IniFile& ini, const char* section, const char* key) {
    const IniSection* found = ini.FindSection(section);
    return found != nullptr ? found->FindEntry(key) : nullptr;
}

}  // namespace

IniEntry::IniEntry(std::string key, std::string value, int line)
    : key(std::move(key)), value(std::move(value)), line(line) {}

IniEntry::~IniEntry() = default;

IniSection::IniSection(std::string name, std::int32_t keyCaseSensitive, int line)
    : name(std::move(name)), keyCaseSensitive(keyCaseSensitive), line(line) {}

IniSection::~IniSection() = default;

// First entry whose key matches under this section's case rule.
const IniEntry* IniSection::FindEntry(const char* key) const {
    for (const auto& entry : entries) {
        const bool same = keyCaseSensitive != 0
                              ? std::strcmp(entry->key.c_str(), key) == 0
                              : IniCompareNoCase(entry->key.c_str(), key) == 0;
        if (same) return entry.get();
    }
    return nullptr;
}

IniFile::IniFile() : currentSection{}, keyCaseSensitive(0) {}

IniFile::~IniFile() = default;

// Empties the sections and resets the section being filled.
void IniFile::ClearContent() {
    sections.clear();
    longLines.clear();
    currentSection[0] = '\0';
}

// The section named currentSection, appended at the end if it is new.
IniSection& IniFile::SectionForLoading(int lineNumber) {
    for (auto& section : sections) {
        if (IniCompareNoCase(section->name.c_str(), currentSection) == 0) return *section;
    }
    sections.push_back(std::make_unique<IniSection>(currentSection, keyCaseSensitive, lineNumber));
    return *sections.back();
}

// Appends what `line` contributes to `section`: a kept blank or comment line,
// a trimmed key=value pair, or nothing.
void IniFile::AddLine(IniSection& section, const char* line, int lineNumber) {
    if (line[0] == '\0') {
        section.entries.push_back(std::make_unique<IniEntry>("", "", lineNumber));
        return;
    }
    if (line[0] == '#' || line[0] == ';') {
        section.entries.push_back(std::make_unique<IniEntry>(std::string(1, line[0]), line, lineNumber));
        return;
    }
    const char* equals = std::strchr(line, '=');
    if (equals == nullptr) return;
    section.entries.push_back(std::make_unique<IniEntry>(
        TrimmedCopy(line, equals), TrimmedCopy(equals + 1, equals + std::strlen(equals)), lineNumber));
}

// Replaces the content with that of the file at `path`; 1 if it cannot be opened.
int IniFile::IniLoad(const wchar_t* path) {
    ClearContent();
    const FileHolder file = OpenForReading(path);
    if (!file) return 1;
    char line[IniLineSize];
    int lineNumber = 1;
    IniLineEnd end = IniLineEnd::Newline;
    bool cut = false;
    while (IniReadLine(line, file.get(), &end)) {
        // A line of exactly 255 bytes is cut before its LF, which then reads
        // as an empty rest: only a rest with text in it makes a long line.
        if (cut && line[0] != '\0' && (longLines.empty() || longLines.back() != lineNumber))
            longLines.push_back(lineNumber);
        // A header line is also an entry line: "[a]=b" adds the key "[a]".
        if (line[0] == '[') ParseSectionName(line, currentSection);
        AddLine(SectionForLoading(lineNumber), line, lineNumber);
        cut = end == IniLineEnd::Cut;
        if (end == IniLineEnd::Newline) ++lineNumber;
    }
    return 0;
}

const IniSection* IniFile::FindSection(const char* name) const {
    for (const auto& section : sections) {
        if (IniCompareNoCase(section->name.c_str(), name) == 0) return section.get();
    }
    return nullptr;
}

bool IniFile::IniGetInt(const char* section, const char* key, int& out) const {
    const IniEntry* entry = FindValue(*this, section, key);
    if (entry == nullptr) return false;
    out = ParseDecimal(entry->value.c_str());
    return true;
}

// Every caller treats the buffer as a string, so a long value is cut to leave
// room for the terminator rather than filling the buffer unterminated.
bool IniFile::IniGetString(const char* section, const char* key, char* buffer,
                           std::size_t size) const {
    const IniEntry* entry = FindValue(*this, section, key);
    if (entry == nullptr) return false;
    if (size == 0) return true;
    const std::size_t length = entry->value.size() < size ? entry->value.size() : size - 1;
    std::memcpy(buffer, entry->value.data(), length);
    std::memset(buffer + length, 0, size - length);
    return true;
}

bool IniReadLine(char (&line)[IniLineSize], std::FILE* file, IniLineEnd* end) {
    std::size_t consumed = 0;
    std::size_t stored = 0;
    bool readAny = false;
    IniLineEnd ending = IniLineEnd::Cut;
    while (consumed < IniLineSize - 1) {
        const int c = std::fgetc(file);
        if (c == EOF) {
            ending = IniLineEnd::EndOfFile;
            break;
        }
        readAny = true;
        if (c == '\n' || c == LineEndMark) {
            ending = c == '\n' ? IniLineEnd::Newline : IniLineEnd::Mark;
            break;
        }
        ++consumed;
        if (c != '\r') line[stored++] = static_cast<char>(c);
    }
    line[stored] = '\0';
    if (end != nullptr) *end = ending;
    return readAny;
}

int IniCompareNoCase(const char* a, const char* b) {
    for (;; ++a, ++b) {
        const int foldedA = FoldAscii(static_cast<unsigned char>(*a));
        const int foldedB = FoldAscii(static_cast<unsigned char>(*b));
        if (foldedA != foldedB || foldedA == 0) return foldedA - foldedB;
    }
}

// Walks the string character by character from its start, which is the only
// way to know where Shift-JIS characters begin.
void TrimRight(char* text) {
    char* end = text;
    for (char* p = text; *p != '\0';) {
        const std::size_t bytes = CharacterBytes(p);
        if (bytes == 2 || !IsBlank(*p)) end = p + bytes;
        p += bytes;
    }
    *end = '\0';
}

const char* SkipBlanks(const char* text) {
    while (IsBlank(*text)) ++text;
    return text;
}

char* SkipBlanks(char* text) {
    while (IsBlank(*text)) ++text;
    return text;
}
