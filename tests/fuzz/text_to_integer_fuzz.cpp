// textToInteger on arbitrary bytes: never fails; a plain sign and up to nine digits give
// their obvious value; the full-width (code page 936) form of a text gives the same value
// as its ASCII form.

#include <string>

#include "fuzz_check.h"
#include "power/scheduled_task.h"

namespace {

constexpr unsigned char FirstLeadByte = 0x80;
constexpr char FirstWidened = '!';
constexpr char LastWidened = '~';
constexpr unsigned char FullWidthLead = 0xA3;
constexpr unsigned char FullWidthOffset = 0x80;
constexpr unsigned char IdeographicSpace[] = {0xA1, 0xA1};
constexpr std::size_t ObviousDigitsMax = 9;
constexpr std::int32_t Ten = 10;

// The value of an optional sign and 1 to ObviousDigitsMax ASCII digits; false for any
// other text.
bool obviousValue(const std::string& text, std::int32_t& value) {
    std::size_t at = 0;
    const bool negative = !text.empty() && text[0] == '-';
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        at = 1;
    }
    const std::size_t digits = text.size() - at;
    if (digits == 0 || digits > ObviousDigitsMax) {
        return false;
    }
    std::int32_t magnitude = 0;
    for (; at < text.size(); ++at) {
        if (text[at] < '0' || text[at] > '9') {
            return false;
        }
        magnitude = magnitude * Ten + (text[at] - '0');
    }
    value = negative ? -magnitude : magnitude;
    return true;
}

// Every single-byte printable character in its full-width form and the space as the
// ideographic space; double-byte characters (a lead byte and the byte after it) stay.
std::string widened(const std::string& text) {
    std::string out;
    for (std::size_t at = 0; at < text.size(); ++at) {
        const char c = text[at];
        if (static_cast<unsigned char>(c) >= FirstLeadByte) {
            out += c;
            if (at + 1 < text.size()) {
                out += text[++at];
            }
        } else if (c >= FirstWidened && c <= LastWidened) {
            out += static_cast<char>(FullWidthLead);
            out += static_cast<char>(static_cast<unsigned char>(c) + FullWidthOffset);
        } else if (c == ' ') {
            out.append(reinterpret_cast<const char*>(IdeographicSpace), sizeof IdeographicSpace);
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The text ends at the first NUL, as the edit box's text would.
    const std::string text(reinterpret_cast<const char*>(data), strnlen(reinterpret_cast<const char*>(data), size));
    const std::int32_t value = textToInteger(text.c_str());

    std::int32_t expected = 0;
    if (obviousValue(text, expected)) {
        FUZZ_CHECK(value == expected);
    }
    FUZZ_CHECK(textToInteger(widened(text).c_str()) == value);
    return 0;
}
