// The .ico → icon recipe (iconFromIcoBytes) on arbitrary bytes: never reads outside them,
// and every block it hands to the system lies entirely inside them. Whether the system
// takes a block is drawn from the input too, so both of the recipe's calls are reached.

#include "app/tray.h"
#include "fuzz_check.h"
#include "inert_platform.h"

namespace {

constexpr std::uintptr_t MadeIcon = 0x1C0;
constexpr unsigned char RefuseExBit = 0x01;
constexpr unsigned char RefusePlainBit = 0x02;

class IcoPlatform : public InertPlatform {
public:
    IcoPlatform(const ExactBytes& file, unsigned char refusals) : file_(file), refusals_(refusals) {}

    IconHandle createIconFromResourceEx(const unsigned char* bits, std::uint32_t size, bool icon, std::uint32_t version,
                                        int, int, std::uint32_t) override {
        check(bits, size, icon, version);
        ++exCalls;
        return (refusals_ & RefuseExBit) != 0 ? IconHandle::none : IconHandle{MadeIcon};
    }
    IconHandle createIconFromResource(const unsigned char* bits, std::uint32_t size, bool icon,
                                      std::uint32_t version) override {
        check(bits, size, icon, version);
        ++plainCalls;
        return (refusals_ & RefusePlainBit) != 0 ? IconHandle::none : IconHandle{MadeIcon};
    }

    int exCalls = 0;
    int plainCalls = 0;

private:
    void check(const unsigned char* bits, std::uint32_t size, bool icon, std::uint32_t version) const {
        FUZZ_CHECK(file_.holds(bits, size));
        touchAll(bits, size);
        FUZZ_CHECK(icon);
        FUZZ_CHECK(version == win::IconResourceVersion);
    }

    const ExactBytes& file_;
    unsigned char refusals_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    // The first byte says which calls the system refuses; the rest is the file.
    const ExactBytes file(data + 1, size - 1);
    IcoPlatform platform(file, data[0]);
    const IconHandle icon = iconFromIcoBytes(platform, ByteSet{file.begin(), file.size()});

    FUZZ_CHECK(icon == IconHandle::none || icon == IconHandle{MadeIcon});
    FUZZ_CHECK(icon == IconHandle::none || platform.exCalls + platform.plainCalls > 0);
    // One try of each kind per pass, and at most two passes (16 pixels, then 32).
    FUZZ_CHECK(platform.exCalls <= 2 && platform.plainCalls <= platform.exCalls);
    return 0;
}
