#include "app/local_time.h"

#include <cstring>

#include "app/program.h"

namespace {

constexpr const char* LinePrefix = "本地时间：";

struct Part {
    int value;
    const char* unit;
};

// Six numbers and their unit characters, whatever the numbers are.
constexpr std::size_t DateTimeBufferSize = 6 * (DecimalDigitsMax + 2) + 1;

}  // namespace

Text dateTimeToText(int year, int month, int day, int hour, int minute, int second) {
    // The time part leaves out the zero units at its end; midnight has none at all.
    int timeParts = 0;
    if (second != 0) {
        timeParts = 3;
    } else if (minute != 0) {
        timeParts = 2;
    } else if (hour != 0) {
        timeParts = 1;
    }
    const Part parts[] = {{year, "年"}, {month, "月"}, {day, "日"}, {hour, "时"}, {minute, "分"}, {second, "秒"}};
    char buffer[DateTimeBufferSize];
    std::size_t length = 0;
    for (int i = 0; i < 3 + timeParts; ++i) {
        length += formatDecimal(parts[i].value, buffer + length);
        const std::size_t unitLength = std::strlen(parts[i].unit);
        std::memcpy(buffer + length, parts[i].unit, unitLength);
        length += unitLength;
    }
    buffer[length] = '\0';
    return Text::copyOf(buffer);
}

void showLocalTime(App& app) {
    const LocalTime now = app.platform.getLocalTime();
    const Text dateTime = dateTimeToText(now.year, now.month, now.day, now.hour, now.minute, now.second);
    const Text line = concatTexts({LinePrefix, dateTime.get()});
    writeCaption(app.platform, app.main.handle(Control::标签1), line.get(), true);
}
