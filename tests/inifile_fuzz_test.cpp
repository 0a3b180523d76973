// Randomised tests of the INI reader: generated, mutated and random files in
// both language modes must load without crashing or hanging, and every
// section and key the reader holds must be found again with consistent values.
// Prints its seed; set PEBBLORA_SEED to replay a run.
#include "skin/inifile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "framework/language.h"

namespace {

namespace fs = std::filesystem;

constexpr int FileCount = 3000;

// Bytes that steer the reader: line ends, markers, blanks and lead bytes.
const char InterestingBytes[] = {'\n', '\r', '\x1A', '\0', '[', ']', '=', '#', ';', ' ',
                                 '\t', '\x81', '\x9F', '\xE0', '\xFD', 'a', 'Z', '5', '-'};

std::uint64_t ChooseSeed() {
    if (const char* text = std::getenv("PEBBLORA_SEED")) return std::strtoull(text, nullptr, 0);
    return std::random_device{}();
}

// A section of a generated file: names unique without regard to ASCII case.
struct ModelSection {
    std::string name;
    std::vector<std::pair<std::string, std::string>> entries;
};

class Generator {
public:
    explicit Generator(std::uint64_t seed) : random(seed) {}

    int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); }
    bool OneIn(int n) { return Below(n) == 0; }
    char AnyByte() { return static_cast<char>(Below(256)); }
    char Interesting() { return InterestingBytes[Below(sizeof InterestingBytes)]; }

    std::string RandomBytes() {
        std::string bytes(Below(600), '\0');
        for (char& c : bytes) c = OneIn(2) ? Interesting() : AnyByte();
        return bytes;
    }

    // Letters and digits; distinct from earlier names when folded.
    std::string UniqueName(std::vector<std::string>& taken, bool japanese) {
        static const char alphabet[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_";
        for (;;) {
            std::string name;
            const int length = 1 + Below(10);
            for (int i = 0; i < length; ++i) {
                // A Shift-JIS pair whose trail byte is "]" tests the header scan.
                if (japanese && OneIn(8)) name += "\x83]";
                else name += alphabet[Below(sizeof alphabet - 1)];
            }
            std::string folded = Fold(name);
            if (std::find(taken.begin(), taken.end(), folded) == taken.end()) {
                taken.push_back(folded);
                return name;
            }
        }
    }

    // Printable text with inner blanks, "=", ";" and quotes, none at either
    // end; in Japanese mode also double-byte characters whose trail is a blank.
    std::string Value(bool japanese) {
        static const char inner[] = "abcXYZ019=;\"'[] \t-+";
        std::vector<std::string> characters(Below(40));
        for (std::string& character : characters) {
            if (OneIn(10)) character = japanese && OneIn(2) ? "\x81 " : "\x82\x40";
            else character = std::string(1, inner[Below(sizeof inner - 1)]);
        }
        const auto blank = [](const std::string& character) { return character == " " || character == "\t"; };
        while (!characters.empty() && blank(characters.back())) characters.pop_back();
        std::string value;
        for (const std::string& character : characters) {
            if (!value.empty() || !blank(character)) value += character;
        }
        return value;
    }

    std::string Blanks() { return std::string(Below(3), OneIn(2) ? ' ' : '\t'); }

    std::string LineEnd() {
        switch (Below(4)) {
        case 0: return "\r\n";
        case 1: return "\x1A";
        default: return "\n";
        }
    }

    // A well-formed file and the sections it holds.
    std::string WellFormed(std::vector<ModelSection>& model, bool japanese) {
        std::string text;
        std::vector<std::string> sectionNames;
        const int sectionCount = 1 + Below(4);
        for (int s = 0; s < sectionCount; ++s) {
            ModelSection section;
            if (s > 0 || OneIn(2)) {
                section.name = UniqueName(sectionNames, japanese);
                text += "[" + Blanks() + section.name + Blanks() + "]" + (OneIn(3) ? " ; c" : "") + LineEnd();
            } else {
                sectionNames.push_back("");
            }
            std::vector<std::string> keys;
            const int entryCount = Below(6);
            for (int e = 0; e < entryCount; ++e) {
                if (OneIn(4)) text += (OneIn(2) ? "# " : "; ") + Value(japanese) + LineEnd();
                const std::string key = UniqueName(keys, false);
                const std::string value = Value(japanese);
                text += Blanks() + key + Blanks() + "=" + Blanks() + value + Blanks() + LineEnd();
                section.entries.emplace_back(key, value);
            }
            model.push_back(section);
        }
        if (!text.empty() && OneIn(2)) text.pop_back();  // drop the last line end
        return text;
    }

    // Applies a few random edits to `text`.
    void Mutate(std::string& text) {
        const int edits = 1 + Below(4);
        for (int i = 0; i < edits; ++i) {
            const std::size_t at = text.empty() ? 0 : Below(static_cast<int>(text.size()) + 1);
            switch (Below(6)) {
            case 0: if (at < text.size()) text[at] = Interesting(); break;
            case 1: text.insert(at, 1, OneIn(2) ? Interesting() : AnyByte()); break;
            case 2: text.erase(at, Below(20)); break;
            case 3: text.insert(at, std::string(200 + Below(300), OneIn(2) ? 'x' : '\x81')); break;
            case 4: text.insert(at, OneIn(2) ? "\n[unterminated" : "\x81\n"); break;
            case 5: text.resize(at); break;
            }
        }
    }

    static std::string Fold(std::string text) {
        for (char& c : text) {
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        }
        return text;
    }

    // Decimal value as IniGetInt should give it, computed another way.
    static int ExpectedInt(const std::string& value) {
        std::size_t p = value.find_first_not_of(" \t");
        if (p == std::string::npos) return 0;
        const bool negative = value[p] == '-';
        if (value[p] == '-' || value[p] == '+') ++p;
        std::string digits;
        while (p < value.size() && value[p] >= '0' && value[p] <= '9') digits += value[p++];
        digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size()));
        if (digits.empty()) return 0;
        const long long magnitude = digits.size() > 11 ? LLONG_MAX / 2 : std::stoll(digits);
        const long long signedValue = negative ? -magnitude : magnitude;
        return static_cast<int>(std::clamp<long long>(signedValue, INT_MIN, INT_MAX));
    }

    std::mt19937_64 random;
};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool KeysMatch(const IniSection& section, const std::string& a, const std::string& b) {
    return section.keyCaseSensitive != 0 ? a == b : Generator::Fold(a) == Generator::Fold(b);
}

// Checks that a stored string is one clean line fragment.
void CheckStoredText(const std::string& text, const char* what) {
    EXPECT_LE(text.size(), IniLineSize - 1) << what;
    EXPECT_EQ(std::string::npos, text.find_first_of(std::string("\n\r\x1A\0", 4))) << what;
}

// Looks every held section and key up again through the public getters.
void CheckLookups(const IniFile& ini, Generator& generator, bool japanese, bool fileEmpty) {
    EXPECT_EQ(fileEmpty, ini.sections.empty());
    if (!fileEmpty) {
        EXPECT_NE(nullptr, ini.FindSection(ini.currentSection));
    }
    for (const auto& section : ini.sections) {
        CheckStoredText(section->name, "section name");
        ASSERT_EQ(section.get(), ini.FindSection(section->name.c_str())) << "section names must be unique";
        EXPECT_EQ(ini.keyCaseSensitive, section->keyCaseSensitive);
        for (const auto& entry : section->entries) {
            CheckStoredText(entry->key, "key");
            CheckStoredText(entry->value, "value");
            const bool wholeLine = entry->key.size() == 1 && !entry->value.empty() &&
                                   entry->value[0] == entry->key[0];
            // Leading blanks go in both modes; a trailing one may be a trail byte in Japanese.
            if (!entry->key.empty()) {
                EXPECT_FALSE(IsBlank(entry->key.front())) << entry->key;
                EXPECT_FALSE(!japanese && IsBlank(entry->key.back())) << entry->key;
            }
            if (!wholeLine && !entry->value.empty()) {
                EXPECT_FALSE(IsBlank(entry->value.front())) << entry->value;
                EXPECT_FALSE(!japanese && IsBlank(entry->value.back())) << entry->value;
            }

            const std::string* expected = nullptr;
            for (const auto& other : section->entries) {
                if (KeysMatch(*section, other->key, entry->key)) {
                    expected = &other->value;
                    break;
                }
            }
            const std::size_t size = generator.Below(300);
            std::string buffer(size + 16, '\x66');
            ASSERT_TRUE(ini.IniGetString(section->name.c_str(), entry->key.c_str(), buffer.data() + 8, size));
            std::string wanted(8, '\x66');
            if (size > 0) {
                const std::size_t copied = std::min(expected->size(), size - 1);
                wanted += expected->substr(0, copied) + std::string(size - copied, '\0');
            }
            wanted += std::string(8, '\x66');
            EXPECT_EQ(wanted, buffer) << "key " << entry->key << " size " << size;

            int number = 0;
            ASSERT_TRUE(ini.IniGetInt(section->name.c_str(), entry->key.c_str(), number));
            EXPECT_EQ(Generator::ExpectedInt(*expected), number) << "value " << *expected;
        }
    }
}

// Checks that a well-formed file reads back as generated, names in any case.
void CheckModel(const IniFile& ini, const std::vector<ModelSection>& model) {
    for (const auto& section : model) {
        const std::string otherCase = Generator::Fold(section.name);
        for (const auto& [key, value] : section.entries) {
            char buffer[IniLineSize];
            ASSERT_TRUE(ini.IniGetString(otherCase.c_str(), key.c_str(), buffer, sizeof buffer))
                << "[" << section.name << "] " << key;
            EXPECT_EQ(value, buffer) << "[" << section.name << "] " << key;
            if (ini.keyCaseSensitive == 0) {
                EXPECT_TRUE(ini.IniGetString(section.name.c_str(), Generator::Fold(key).c_str(), buffer,
                                             sizeof buffer));
            }
        }
    }
}

TEST(IniFileFuzz, GeneratedMutatedAndRandomFilesReadConsistently) {
    const std::uint64_t seed = ChooseSeed();
    std::printf("IniFileFuzz seed: %llu (set PEBBLORA_SEED to replay)\n",
                static_cast<unsigned long long>(seed));
    RecordProperty("seed", std::to_string(seed));
    Generator generator(seed);

    const fs::path folder("inifile_fuzz_scratch");
    fs::create_directories(folder);
    const fs::path path = folder / "fuzz.ini";
    const bool savedJapanese = LangJapanese;

    int tried = 0;
    for (int i = 0; i < FileCount && !HasFatalFailure(); ++i, ++tried) {
        const bool japanese = generator.OneIn(2);
        std::vector<ModelSection> model;
        std::string text;
        const int kind = i % 3;
        if (kind == 0) text = generator.RandomBytes();
        else text = generator.WellFormed(model, japanese);
        if (kind == 2) generator.Mutate(text);
        // A fresh file each time: rewriting one in place makes some file
        // systems flush it to disk on close, which costs milliseconds per file.
        fs::remove(path);
        std::ofstream(path, std::ios::binary) << text;

        SCOPED_TRACE("file " + std::to_string(i) + " of seed " + std::to_string(seed));
        LangJapanese = japanese;
        IniFile ini;
        ini.keyCaseSensitive = generator.OneIn(2) ? 1 : 0;
        ASSERT_EQ(0, ini.IniLoad(path.wstring().c_str()));
        CheckLookups(ini, generator, japanese, text.empty());
        if (kind == 1) CheckModel(ini, model);
    }

    std::printf("IniFileFuzz: %d files read (random, generated and mutated in turn)\n", tried);
    LangJapanese = savedJapanese;
    std::error_code ignored;
    fs::remove_all(folder, ignored);
}

}  // namespace
