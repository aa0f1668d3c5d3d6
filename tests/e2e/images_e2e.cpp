// The program's own recipes turn its embedded images into real icons and cursors: the
// tray icon's two passes over the .ico bytes, and cursors from .cur bytes with the hot
// spot in front. Checked on the system's objects with GetIconInfo.
#include <windows.h>

#include <gtest/gtest.h>

#include "app/tray.h"
#include "common/cursor_file.h"
#include "common/images.h"
#include "platform/win32_platform.h"

namespace tavik::e2e {
namespace {

struct IconFacts {
    bool isIcon = false;
    DWORD hotX = 0;
    DWORD hotY = 0;
    LONG width = 0;
    LONG height = 0;
    bool hasColour = false;
};

// Reads what the system made, and releases the bitmaps GetIconInfo hands out.
IconFacts factsOf(IconHandle handle) {
    IconFacts facts;
    ICONINFO info{};
    const auto icon = reinterpret_cast<HICON>(static_cast<std::uintptr_t>(handle));
    if (!GetIconInfo(icon, &info)) {
        return facts;
    }
    facts.isIcon = info.fIcon != FALSE;
    facts.hotX = info.xHotspot;
    facts.hotY = info.yHotspot;
    facts.hasColour = info.hbmColor != nullptr;
    BITMAP mask{};
    GetObjectA(info.hbmMask, sizeof mask, &mask);
    facts.width = mask.bmWidth;
    // A mask without a colour bitmap holds the AND and XOR halves stacked.
    facts.height = facts.hasColour ? mask.bmHeight : mask.bmHeight / 2;
    if (info.hbmColor != nullptr) {
        DeleteObject(info.hbmColor);
    }
    DeleteObject(info.hbmMask);
    return facts;
}

TEST(Images, TheTrayIconIsMadeFromTheIcoBytesAtItsFullSize) {
    Platform& platform = win32Platform();
    const IconHandle icon = iconFromIcoBytes(platform, trayIconImage);
    ASSERT_NE(icon, IconHandle::none);
    const IconFacts facts = factsOf(icon);
    EXPECT_TRUE(facts.isIcon);
    EXPECT_TRUE(facts.hasColour);
    EXPECT_EQ(facts.width, 128);
    EXPECT_EQ(facts.height, 128);
    EXPECT_TRUE(platform.destroyIcon(icon));
}

TEST(Images, CursorsAreMadeWithTheirHotSpots) {
    struct Case {
        const char* name;
        ByteSet bytes;
        DWORD hotX;
        DWORD hotY;
    };
    const Case cases[] = {
        {"target", targetImage, 8, 6},
        {"arrow", arrowImage, 2, 4},
    };
    Platform& platform = win32Platform();
    for (const Case& c : cases) {
        const IconHandle cursor = cursorFromCurData(platform, c.bytes);
        ASSERT_NE(cursor, IconHandle::none) << c.name;
        const IconFacts facts = factsOf(cursor);
        EXPECT_FALSE(facts.isIcon) << c.name;
        EXPECT_EQ(facts.hotX, c.hotX) << c.name;
        EXPECT_EQ(facts.hotY, c.hotY) << c.name;
        EXPECT_EQ(facts.width, 32) << c.name;
        EXPECT_EQ(facts.height, 32) << c.name;
        EXPECT_TRUE(platform.destroyCursor(cursor)) << c.name;
    }
}

TEST(Images, ThePictureBoxIconOfTheTargetIs32Pixels) {
    Platform& platform = win32Platform();
    const IconHandle icon = iconFromCurData(platform, targetImage);
    ASSERT_NE(icon, IconHandle::none);
    const IconFacts facts = factsOf(icon);
    EXPECT_TRUE(facts.isIcon);
    EXPECT_EQ(facts.width, 32);
    EXPECT_EQ(facts.height, 32);
    EXPECT_TRUE(platform.destroyIcon(icon));
}

}  // namespace
}  // namespace tavik::e2e
