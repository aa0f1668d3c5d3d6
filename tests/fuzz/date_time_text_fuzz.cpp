// dateTimeToText on arbitrary ints: never fails and never gives the absent text; for a
// valid date and time the numbers read back from the text are the ones given, in plain
// decimal, with the zero trailing units left out.

#include <string>
#include <vector>

#include "app/local_time.h"
#include "fuzz_check.h"

namespace {

constexpr int FieldCount = 6;
constexpr int DateFieldCount = 3;  // year, month and day, always shown
constexpr unsigned char ValidDateBit = 0x01;
constexpr int FirstYear = 1601;  // the range SYSTEMTIME can hold
constexpr int LastYear = 30827;
constexpr int MonthsPerYear = 12;
constexpr int HoursPerDay = 24;
constexpr int MinutesPerHour = 60;
constexpr int SecondsPerMinute = 60;
// Six numbers of any int with their signs and six units of a few bytes each.
constexpr std::size_t IntTextMax = 11;
constexpr std::size_t UnitBytesMax = 4;
constexpr std::size_t LongestText = FieldCount * (IntTextMax + UnitBytesMax);

bool leapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int daysIn(int year, int month) {
    constexpr int Days[MonthsPerYear] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    constexpr int February = 2;
    return month == February && leapYear(year) ? Days[month - 1] + 1 : Days[month - 1];
}

// `raw` brought into [first, first + count).
int within(int raw, int first, int count) {
    const auto offset = static_cast<unsigned>(raw) % static_cast<unsigned>(count);
    return first + static_cast<int>(offset);
}

// The runs of ASCII digits in the text, each with its own bytes; the units between them
// are other bytes (in code page 936 and in UTF-8 alike).
std::vector<std::string> numbersIn(const char* text, std::vector<std::string>& gaps) {
    std::vector<std::string> numbers;
    std::string gap;
    for (const char* at = text; *at != '\0';) {
        if (*at >= '0' && *at <= '9') {
            gaps.push_back(gap);
            gap.clear();
            std::string number;
            while (*at >= '0' && *at <= '9') {
                number += *at++;
            }
            numbers.push_back(number);
        } else {
            gap += *at++;
        }
    }
    gaps.push_back(gap);
    return numbers;
}

void checkValidDate(const Text& text, const int (&fields)[FieldCount]) {
    std::vector<std::string> expected;
    // Year, month and day always; then the time units up to the last one that is not 0.
    int shown = DateFieldCount;
    for (int unit = FieldCount - 1; unit >= DateFieldCount; --unit) {
        if (fields[unit] != 0) {
            shown = unit + 1;
            break;
        }
    }
    expected.reserve(static_cast<std::size_t>(shown));
    for (int i = 0; i < shown; ++i) {
        expected.push_back(std::to_string(fields[i]));
    }
    std::vector<std::string> gaps;
    const std::vector<std::string> numbers = numbersIn(text.get(), gaps);
    FUZZ_CHECK(numbers == expected);
    // The text starts with the year, and every number is followed by its unit.
    FUZZ_CHECK(gaps.front().empty());
    for (std::size_t i = 1; i < gaps.size(); ++i) {
        FUZZ_CHECK(!gaps[i].empty());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    constexpr std::size_t Needed = 1 + FieldCount * sizeof(int);
    if (size < Needed) {
        return 0;
    }
    int fields[FieldCount];
    std::memcpy(fields, data + 1, sizeof fields);
    const bool valid = (data[0] & ValidDateBit) != 0;
    if (valid) {
        fields[0] = within(fields[0], FirstYear, LastYear - FirstYear + 1);
        fields[1] = within(fields[1], 1, MonthsPerYear);
        fields[2] = within(fields[2], 1, daysIn(fields[0], fields[1]));
        fields[3] = within(fields[3], 0, HoursPerDay);
        fields[4] = within(fields[4], 0, MinutesPerHour);
        fields[5] = within(fields[5], 0, SecondsPerMinute);
    }
    const Text text = dateTimeToText(fields[0], fields[1], fields[2], fields[3], fields[4], fields[5]);
    FUZZ_CHECK(!text.absent());
    FUZZ_CHECK(textLength(text.get()) <= LongestText);
    if (valid) {
        checkValidDate(text, fields);
    }
    return 0;
}
