#include "common/message_box.h"

#include <gtest/gtest.h>

#include "fake_platform.h"

namespace {

TEST(MessageBox, DefaultsTheTitleAndMakesBoxesTaskModal) {
    struct Case {
        const char* title;
        std::uint32_t style;
        const char* call;
    };
    const Case cases[] = {
        {nullptr, win::MbOk, "MessageBoxA(#0, text, 信息：, 0x2000)"},
        {"关机助手:", win::MbYesNo, "MessageBoxA(#0, text, 关机助手:, 0x2004)"},
        {nullptr, win::MbIconExclamation, "MessageBoxA(#0, text, 信息：, 0x2030)"},
        {"t", win::MbIconInformation, "MessageBoxA(#0, text, t, 0x2040)"},
        // A system-modal box stays system-modal only.
        {"t", win::MbSystemModal, "MessageBoxA(#0, text, t, 0x1000)"},
    };
    for (const Case& c : cases) {
        FakePlatform fake;
        showMessageBox(fake, "text", c.title, c.style);
        EXPECT_EQ(fake.calls(), std::vector<std::string>{c.call});
    }
}

TEST(MessageBox, ReturnsTheButtonPressed) {
    FakePlatform fake;
    fake.messageBoxAnswers = {win::IdYes, win::IdNo};
    EXPECT_EQ(showMessageBox(fake, "q", nullptr, win::MbYesNo), win::IdYes);
    EXPECT_EQ(showMessageBox(fake, "q", nullptr, win::MbYesNo), win::IdNo);
}

}  // namespace
