#include "hide/hide_show.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "app/program.h"
#include "fake_platform.h"

namespace {

const std::string HideCaption = "隐藏窗口";
const std::string ShowCaption = "显示窗口";
constexpr std::uint32_t HideMenuCommand = MenuCommandBase + 3;
constexpr std::uint32_t ShowMenuCommand = MenuCommandBase + 4;
constexpr std::uint32_t ButtonClicked = 0;

// ------------------------------------------------------------------ registerHotkey

TEST(RegisterHotkey, TranslatesModifierCodesIntoModFlags) {
    struct Case {
        std::int32_t code;
        std::uint32_t flags;
    };
    const Case cases[] = {
        {HotkeyModifierCtrl, 0x2},
        {HotkeyModifierShift, 0x4},
        {HotkeyModifierCtrlShift, 0x6},
        {HotkeyModifierAlt, 0x1},
        {HotkeyModifierCtrlAlt, 0x3},
        {HotkeyModifierShiftAlt, 0x5},
        {0, 0x0},
        {7, 0x7},
        {8, 0x8},
        {0x4001, 0x4001},
    };
    for (const Case& c : cases) {
        FakePlatform fake;
        HotkeyRegistry registry;
        registerHotkey(fake, registry, static_cast<Hwnd>(9), static_cast<Hwnd>(10), c.code, VirtualKeyZ);
        EXPECT_EQ(fake.callsNamed("RegisterHotKey"),
                  std::vector<std::string>{"RegisterHotKey(#9, 33001, " + hex(c.flags) + ", 0x5A)"})
            << "code " << c.code;
    }
}

TEST(RegisterHotkey, IssuesIdsInSequenceAndAFailureUsesUpItsId) {
    FakePlatform fake;
    fake.takenHotkeys.insert({win::ModAlt, VirtualKeyZ});
    HotkeyRegistry registry;
    const auto owner = static_cast<Hwnd>(9);

    EXPECT_EQ(registerHotkey(fake, registry, owner, static_cast<Hwnd>(10), HotkeyModifierAlt, VirtualKeyZ), 0);
    EXPECT_EQ(registry.lastId, 33001);
    EXPECT_EQ(registerHotkey(fake, registry, owner, static_cast<Hwnd>(11), HotkeyModifierAlt, VirtualKeyX), 33002);
    EXPECT_EQ(registry.sequence, 2);
    EXPECT_EQ(registry.lastId, 33002);
    EXPECT_EQ(show(registry.notifyControl), "#11") << "the latest registration names the notification control";
    const std::vector<std::string> expected = {
        "RegisterHotKey(#9, 33001, 0x1, 0x5A)",
        "RegisterHotKey(#9, 33002, 0x1, 0x58)",
    };
    EXPECT_EQ(fake.callsNamed("RegisterHotKey"), expected);
}

// ------------------------------------------------------------------ the program's hotkeys

class HideShow : public ::testing::Test {
public:  // the case tables' triggers use the helpers
    FakePlatform fake;
    App app{fake};
    Hwnd other = Hwnd::none;
    std::vector<std::string> boxes;

    void SetUp() override {
        FakeWindow window;
        window.text = "Other Program";
        window.visible = true;
        other = fake.addWindow(window);
        fake.onMessageBox = [this](const std::string& text, const std::string& title, std::uint32_t style) {
            boxes.push_back(text + " | " + title + " | " + hex(style));
        };
    }

    void build() {
        buildMainWindow(app);
        fake.clearCalls();
    }

    void typeTitle(const std::string& title) { fake.window(app.main.handle(Control::编辑框_标题)).text = title; }
    std::string caption() { return fake.window(app.main.handle(Control::按钮_隐藏)).text; }
    void setCaption(const std::string& text) { fake.window(app.main.handle(Control::按钮_隐藏)).text = text; }
    bool otherVisible() { return fake.window(other).visible; }

    void clickButton() {
        app.onCommand(static_cast<std::uint32_t>(controlId(Control::按钮_隐藏)), ButtonClicked,
                      app.main.handle(Control::按钮_隐藏));
    }
    void menu(std::uint32_t command) { app.onCommand(command, 0, Hwnd::none); }
    void hotkey(std::uintptr_t id) { app.onHotkey(id); }

    std::vector<std::string> windowCalls() {
        std::vector<std::string> found = fake.callsNamed("FindWindowA");
        for (const std::string& call : fake.callsNamed("ShowWindow")) {
            found.push_back(call);
        }
        return found;
    }
};

TEST_F(HideShow, StartRegistersAltZThenAltXForTheMainWindowNotifyingTheClockLabel) {
    buildMainWindow(app);
    EXPECT_EQ(app.hideHotkeyId, 33001);
    EXPECT_EQ(app.showHotkeyId, 33002);
    const std::vector<std::string> expected = {
        "RegisterHotKey(" + show(app.main.window) + ", 33001, 0x1, 0x5A)",
        "RegisterHotKey(" + show(app.main.window) + ", 33002, 0x1, 0x58)",
    };
    EXPECT_EQ(fake.callsNamed("RegisterHotKey"), expected);
    EXPECT_EQ(show(app.hotkeys.notifyControl), show(app.main.handle(Control::标签1)));
}

TEST_F(HideShow, AltZHeldElsewhereLeavesAltXWorkingWithItsOwnIdAndReportsNothing) {
    fake.takenHotkeys.insert({win::ModAlt, VirtualKeyZ});
    build();
    EXPECT_EQ(app.hideHotkeyId, 0);
    EXPECT_EQ(app.showHotkeyId, 33002);
    EXPECT_TRUE(boxes.empty());

    typeTitle("Other Program");
    fake.window(other).visible = false;
    hotkey(33001);  // nobody's: Alt+Z reached another program
    EXPECT_FALSE(otherVisible());
    EXPECT_EQ(caption(), HideCaption);
    hotkey(33002);
    EXPECT_TRUE(otherVisible());
    EXPECT_TRUE(boxes.empty());
}

TEST_F(HideShow, OnlyIdsThisProgramIssuedReachTheDispatch) {
    build();
    typeTitle("Other Program");
    for (const std::uintptr_t id : {std::uintptr_t{0}, std::uintptr_t{1}, std::uintptr_t{33000}, std::uintptr_t{33003},
                                    std::uintptr_t{0x100000000ULL + 33001}}) {
        fake.clearCalls();
        hotkey(id);
        EXPECT_TRUE(windowCalls().empty()) << "id " << id;
        EXPECT_EQ(caption(), HideCaption) << "id " << id;
    }
}

TEST_F(HideShow, HotkeysHideAndShowTheTitledWindow) {
    build();
    typeTitle("other program");  // FindWindowA does not mind the case
    hotkey(33001);
    EXPECT_FALSE(otherVisible());
    EXPECT_EQ(caption(), ShowCaption);
    EXPECT_EQ(windowCalls(),
              (std::vector<std::string>{"FindWindowA(null, other program)", "ShowWindow(" + show(other) + ", 0)"}));
    fake.clearCalls();
    hotkey(33002);
    EXPECT_TRUE(otherVisible());
    EXPECT_EQ(caption(), HideCaption);
    // Alt+X looks up the titled window only: no second lookup of any other window.
    EXPECT_EQ(windowCalls(),
              (std::vector<std::string>{"FindWindowA(null, other program)", "ShowWindow(" + show(other) + ", 1)"}));
    EXPECT_TRUE(boxes.empty());
}

TEST_F(HideShow, BindsFindWindowAndShowWindowBeforeTheFirstLookup) {
    build();
    typeTitle("Other Program");
    menu(HideMenuCommand);
    const std::vector<std::string>& calls = fake.calls();
    const auto bind = std::find(calls.begin(), calls.end(), "BindByName()");
    const auto find = std::find(calls.begin(), calls.end(), "FindWindowA(null, Other Program)");
    ASSERT_NE(bind, calls.end());
    ASSERT_NE(find, calls.end());
    EXPECT_LT(bind, find);
}

TEST_F(HideShow, FailingToBindIsFatal) {
    build();
    fake.bindSucceeds = false;
    typeTitle("Other Program");
    try {
        menu(HideMenuCommand);
        FAIL() << "the program went on";
    } catch (const ProcessExit& exit) {
        EXPECT_EQ(static_cast<std::int32_t>(exit.code), -1);
    }
    EXPECT_TRUE(fake.callsNamed("FindWindowA").empty());
    ASSERT_EQ(boxes.size(), 1U);
    EXPECT_NE(boxes[0].find("| 0x10"), std::string::npos) << boxes[0];
    EXPECT_TRUE(otherVisible());
}

// Every trigger from every caption, with a title in the box: the caption names the
// next action, and the window follows the trigger.
TEST_F(HideShow, CaptionStateTable) {
    struct Case {
        const char* name;
        std::string before;
        std::function<void(HideShow&)> trigger;
        std::string after;
        bool visibleAfter;
        std::vector<std::string> boxesShown;
    };
    const std::string hiddenReport = "成功隐藏了Other Program | 信息： | 0x2000";
    const std::vector<Case> cases = {
        {"button hides", HideCaption, [](HideShow& t) { t.clickButton(); }, ShowCaption, false, {hiddenReport}},
        {"button shows", ShowCaption, [](HideShow& t) { t.clickButton(); }, HideCaption, true, {}},
        {"button with another caption shows", "?", [](HideShow& t) { t.clickButton(); }, HideCaption, true, {}},
        {"hide item from hide", HideCaption, [](HideShow& t) { t.menu(HideMenuCommand); }, ShowCaption, false, {}},
        {"hide item from show", ShowCaption, [](HideShow& t) { t.menu(HideMenuCommand); }, ShowCaption, false, {}},
        {"show item from hide", HideCaption, [](HideShow& t) { t.menu(ShowMenuCommand); }, HideCaption, true, {}},
        {"show item from show", ShowCaption, [](HideShow& t) { t.menu(ShowMenuCommand); }, HideCaption, true, {}},
        {"Alt+Z from hide", HideCaption, [](HideShow& t) { t.hotkey(33001); }, ShowCaption, false, {}},
        {"Alt+Z from show", ShowCaption, [](HideShow& t) { t.hotkey(33001); }, ShowCaption, false, {}},
        {"Alt+X from hide", HideCaption, [](HideShow& t) { t.hotkey(33002); }, HideCaption, true, {}},
        {"Alt+X from show", ShowCaption, [](HideShow& t) { t.hotkey(33002); }, HideCaption, true, {}},
    };
    build();
    typeTitle("Other Program");
    for (const Case& c : cases) {
        setCaption(c.before);
        fake.window(other).visible = !c.visibleAfter;
        boxes.clear();
        c.trigger(*this);
        EXPECT_EQ(caption(), c.after) << c.name;
        EXPECT_EQ(otherVisible(), c.visibleAfter) << c.name;
        EXPECT_EQ(boxes, c.boxesShown) << c.name;
    }
}

TEST_F(HideShow, ButtonWithAnEmptyTitleWarnsAndKeepsItsCaption) {
    build();
    clickButton();
    EXPECT_EQ(boxes, std::vector<std::string>{"请选取需要隐藏的窗口！ | 信息： | 0x2030"});
    EXPECT_EQ(fake.callsNamed("MessageBoxA"),
              std::vector<std::string>{"MessageBoxA(#0, 请选取需要隐藏的窗口！, 信息：, 0x2030)"});
    EXPECT_EQ(caption(), HideCaption);
    EXPECT_TRUE(windowCalls().empty());
}

TEST_F(HideShow, ATitleMatchingNoWindowStillChangesTheCaptionAndReports) {
    build();
    typeTitle("No Such Window");
    clickButton();
    EXPECT_EQ(caption(), ShowCaption);
    EXPECT_EQ(fake.callsNamed("MessageBoxA"),
              std::vector<std::string>{"MessageBoxA(#0, 成功隐藏了No Such Window, 信息：, 0x2000)"});
    EXPECT_TRUE(otherVisible());
    EXPECT_EQ(fake.callsNamed("ShowWindow"), std::vector<std::string>{"ShowWindow(#0, 0)"});
}

// An empty title names no window: no path looks one up or touches one, and the
// caption moves as it would with a title.
TEST_F(HideShow, AnEmptyTitleTouchesNoWindow) {
    struct Case {
        const char* name;
        std::string before;
        std::function<void(HideShow&)> trigger;
        std::string after;
    };
    const std::vector<Case> cases = {
        {"button shows", ShowCaption, [](HideShow& t) { t.clickButton(); }, HideCaption},
        {"hide item", HideCaption, [](HideShow& t) { t.menu(HideMenuCommand); }, ShowCaption},
        {"show item", ShowCaption, [](HideShow& t) { t.menu(ShowMenuCommand); }, HideCaption},
        {"Alt+Z", HideCaption, [](HideShow& t) { t.hotkey(33001); }, ShowCaption},
        {"Alt+X", ShowCaption, [](HideShow& t) { t.hotkey(33002); }, HideCaption},
    };
    build();
    for (const Case& c : cases) {
        setCaption(c.before);
        fake.clearCalls();
        c.trigger(*this);
        EXPECT_EQ(caption(), c.after) << c.name;
        EXPECT_TRUE(windowCalls().empty()) << c.name;
        EXPECT_TRUE(fake.callsNamed("BindByName").empty()) << c.name;
        EXPECT_TRUE(otherVisible()) << c.name;
        EXPECT_TRUE(fake.window(app.main.window).visible) << c.name;
        EXPECT_TRUE(boxes.empty()) << c.name;
    }
}

TEST_F(HideShow, HidingTheProgramsOwnTitleHidesTheMainWindow) {
    build();
    typeTitle("Tavik小助手");
    hotkey(33001);
    EXPECT_FALSE(fake.window(app.main.window).visible);
    EXPECT_TRUE(otherVisible());
}

}  // namespace
