// Date and time texts: the date, one space, the time; and nothing written
// past the buffer when the text does not fit or the time cannot be shown.
#include "shell/filetime.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/testsupport.h"

namespace {

constexpr wchar_t kGuardUnit = 0x6666;
constexpr int kGuard = 8;

// A file time that shows as 2024-03-05 14:07:09 local time.
FILETIME SampleTime() {
    const SYSTEMTIME local{2024, 3, 2, 5, 14, 7, 9, 0};
    FILETIME localTime, time;
    EXPECT_TRUE(SystemTimeToFileTime(&local, &localTime));
    EXPECT_TRUE(LocalFileTimeToFileTime(&localTime, &time));
    return time;
}

// The text the system's default formats give for `local`.
std::wstring SystemText(const SYSTEMTIME& local) {
    wchar_t date[64], time[64];
    EXPECT_GT(GetDateFormatW(LOCALE_SYSTEM_DEFAULT, 0, &local, nullptr, date, 64), 0);
    EXPECT_GT(GetTimeFormatW(LOCALE_SYSTEM_DEFAULT, 0, &local, nullptr, time, 64), 0);
    return std::wstring(date) + L" " + time;
}

// Formats into `capacity` units followed by guards; checks the guards.
struct Formatted {
    std::vector<wchar_t> buffer;
    bool ok;
    Formatted(const FILETIME& time, int capacity) : buffer(capacity + kGuard, kGuardUnit) {
        ok = FormatFileTime(time, buffer.data(), capacity);
        for (int i = capacity; i < capacity + kGuard; ++i)
            EXPECT_EQ(buffer[i], kGuardUnit) << "guard unit " << i - capacity << " overwritten, capacity " << capacity;
    }
    std::wstring Text() const { return buffer.data(); }
};

TEST(FileTimeTexts, DateSpaceTimeInTheSystemFormats) {
    const std::wstring expected = SystemText({2024, 3, 2, 5, 14, 7, 9, 0});
    Formatted full(SampleTime(), 64);
    ASSERT_TRUE(full.ok);
    EXPECT_EQ(full.Text(), expected);
    EXPECT_NE(full.Text().find(L"2024"), std::wstring::npos) << Narrow(full.Text());
}

TEST(FileTimeTexts, TextsThatDoNotFitLeaveTheEmptyText) {
    const FILETIME time = SampleTime();
    const int needed = static_cast<int>(SystemText({2024, 3, 2, 5, 14, 7, 9, 0}).size()) + 1;

    Formatted exact(time, needed);
    EXPECT_TRUE(exact.ok);
    EXPECT_EQ(static_cast<int>(exact.Text().size()), needed - 1);

    // One unit short, room for the date alone, for the date without its
    // terminator, and for nothing but a terminator.
    const SYSTEMTIME local{2024, 3, 2, 5, 14, 7, 9, 0};
    const int date = GetDateFormatW(LOCALE_SYSTEM_DEFAULT, 0, &local, nullptr, nullptr, 0);
    ASSERT_GT(date, 1) << "the date's own length";
    for (int capacity : {needed - 1, date, date - 1, 2, 1}) {
        Formatted cut(time, capacity);
        EXPECT_FALSE(cut.ok) << "capacity " << capacity;
        EXPECT_EQ(cut.buffer[0], L'\0') << "capacity " << capacity;
    }

    // No room at all: not even a terminator is written.
    Formatted none(time, 0);
    EXPECT_FALSE(none.ok);
}

TEST(FileTimeTexts, TimesThatCannotBeShownLeaveTheEmptyText) {
    const FILETIME unshowable[] = {
        {0xFFFFFFFF, 0xFFFFFFFF},
        {0x00000000, 0x80000000},
    };
    for (int i = 0; i < int(std::size(unshowable)); ++i) {
        Formatted text(unshowable[i], 64);
        EXPECT_FALSE(text.ok) << "case " << i;
        EXPECT_EQ(text.Text(), L"") << "case " << i;
    }
}

}  // namespace
