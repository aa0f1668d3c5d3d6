// The notification-area icon, its pop-up menu, the close question and the menu entries
// of the tray, against the recording fake.

#include "app/tray.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/program.h"
#include "common/images.h"
#include "byte_writer.h"
#include "fake_platform.h"

namespace {

const std::string StartTip = "nolva助手";
const std::string TrayTip = "Vorla关机小助手";
const std::string CloseQuestion = " 是否关闭小助手 ？\r\n是-关闭小助手 否-最小化托盘";
const std::string ExitQuestion = " 是否关闭小助手 ？";
const std::string QuestionTitle = "关机助手:";
const std::string AboutTitle = "关于作者：";
constexpr std::uint32_t YesNoTaskModal = win::MbYesNo | win::MbTaskModal;
constexpr std::uint32_t MainViewCommand = MenuCommandBase + 1;  // "M.主界面"
constexpr std::uint32_t AboutCommand = MenuCommandBase + 11;    // "E.说明"
constexpr std::uint32_t ExitCommand = MenuCommandBase + 12;     // "S.退出"
constexpr std::uint32_t CancelCommand = MenuCommandBase + 13;   // "C.取消"

// The line the fake records for one Shell_NotifyIconA call.
std::string notifyCall(const char* message, Hwnd window, std::uint32_t flags, IconHandle icon, const std::string& tip) {
    const std::uint32_t callback = flags == 0 ? 0 : TrayCallbackMessage;
    return std::string("Shell_NotifyIconA(") + message + ", " + std::to_string(win::NotifyIconDataV1Size) + ", " +
           show(window) + ", 100, " + hex(flags) + ", " + hex(callback) + ", " + show(icon) + ", " + tip + ")";
}

std::string shown(IconHandle icon, Hwnd window, const char* message, const std::string& tip) {
    return notifyCall(message, window, win::NifMessage | win::NifIcon | win::NifTip, icon, tip);
}

// A deletion carries the tooltip only when one was given.
std::string deleted(Hwnd window, const std::string& tip = "") {
    return notifyCall("NIM_DELETE", window, 0, IconHandle::none, tip);
}

std::ptrdiff_t positionOf(const std::vector<std::string>& calls, const std::string& call) {
    const auto found = std::find(calls.begin(), calls.end(), call);
    return found == calls.end() ? -1 : found - calls.begin();
}

// The first recorded call that starts with `prefix`, or -1.
std::ptrdiff_t firstStartingWith(const std::vector<std::string>& calls, const std::string& prefix) {
    const auto found = std::find_if(calls.begin(), calls.end(), [&](const std::string& call) {
        return call.compare(0, prefix.size(), prefix) == 0;
    });
    return found == calls.end() ? -1 : found - calls.begin();
}

std::string messageBoxCall(const std::string& text, const std::string& title, std::uint32_t style) {
    return "MessageBoxA(#0, " + text + ", " + title + ", " + hex(style) + ")";
}

class Tray : public ::testing::Test {
protected:
    void SetUp() override {
        buildMainWindow(app);
        window = app.main.window;
        fake.clearCalls();
    }

    void close() { fake.sendMessage(window, win::WmClose, 0, 0); }
    void command(std::uint32_t id) { app.onCommand(id, 0, Hwnd::none); }
    bool visible() { return fake.window(window).visible; }

    FakePlatform fake;
    App app{fake};
    Hwnd window = Hwnd::none;
};

// ---------------------------------------------------------------------------
// setTrayIcon over a whole run.

TEST(TrayRun, AddsAtStartModifiesOnEachCloseToTrayAndDeletesOnExit) {
    FakePlatform fake;
    App app(fake);
    app.cleanup.add(releaseWindowResources);  // as the program's start does
    buildMainWindow(app);
    const Hwnd window = app.main.window;
    const IconHandle first = app.tray.held;
    ASSERT_NE(first, IconHandle::none);
    EXPECT_EQ(fake.callsNamed("Shell_NotifyIconA"),
              std::vector<std::string>{shown(first, window, "NIM_ADD", StartTip)});
    // The created handler's order: the time line, then the icon, then the guard.
    const std::ptrdiff_t timeLine = firstStartingWith(
        fake.calls(), "SendMessageA(" + show(app.main.handle(Control::标签1)) + ", " + hex(win::WmSetText) + ", ");
    const std::ptrdiff_t added = firstStartingWith(fake.calls(), "Shell_NotifyIconA(NIM_ADD");
    const std::ptrdiff_t guard = firstStartingWith(fake.calls(), "FindFirstFileA(");
    EXPECT_TRUE(timeLine >= 0 && timeLine < added && added < guard);
    const std::size_t iconsAtStart = fake.liveIcons();

    IconHandle previous = first;
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        fake.clearCalls();
        fake.sendMessage(window, win::WmClose, 0, 0);
        const IconHandle now = app.tray.held;
        EXPECT_NE(now, previous);
        EXPECT_EQ(fake.callsNamed("Shell_NotifyIconA"),
                  std::vector<std::string>{shown(now, window, "NIM_MODIFY", TrayTip)});
        EXPECT_LT(positionOf(fake.calls(), shown(now, window, "NIM_MODIFY", TrayTip)),
                  positionOf(fake.calls(), "DestroyIcon(" + show(previous) + ")"));
        EXPECT_EQ(fake.liveIcons(), iconsAtStart);
        EXPECT_TRUE(fake.isWindow(window));
        EXPECT_FALSE(fake.window(window).visible);
        previous = now;
    }

    fake.clearCalls();
    fake.messageBoxAnswers.push_back(win::IdYes);
    try {
        fake.sendMessage(window, win::WmClose, 0, 0);
        FAIL() << "the program did not end";
    } catch (const ProcessExit& exit) {
        EXPECT_EQ(exit.code, 0U);
    }
    EXPECT_EQ(fake.callsNamed("Shell_NotifyIconA"), std::vector<std::string>{deleted(window)});
    EXPECT_LT(positionOf(fake.calls(), deleted(window)),
              positionOf(fake.calls(), "DestroyIcon(" + show(previous) + ")"));
    EXPECT_LT(positionOf(fake.calls(), deleted(window)), positionOf(fake.calls(), "ExitProcess(0)"));
    EXPECT_EQ(app.tray.held, IconHandle::none);
    EXPECT_EQ(fake.liveIcons(), 0U);
}

TEST(TrayRun, ACopyTurnedAwayShowsItsIconDuringTheWarningAndRemovesIt) {
    FakePlatform fake;
    fake.files["C:\\WINDOWS\\KEMSY1"].openHandles = 1;  // held by the running copy
    std::vector<std::string> atWarning;
    fake.onMessageBox = [&](const std::string&, const std::string&, std::uint32_t) {
        atWarning = fake.callsNamed("Shell_NotifyIconA");
    };
    App app(fake);
    app.cleanup.add(releaseWindowResources);
    EXPECT_THROW(buildMainWindow(app), ProcessExit);
    ASSERT_EQ(atWarning.size(), 1U);
    EXPECT_EQ(atWarning[0].rfind("Shell_NotifyIconA(NIM_ADD", 0), 0U);
    const std::vector<std::string> notified = fake.callsNamed("Shell_NotifyIconA");
    ASSERT_EQ(notified.size(), 2U);
    EXPECT_EQ(notified[1], deleted(app.main.window));
    EXPECT_EQ(fake.liveIcons(), 0U);
}

// ---------------------------------------------------------------------------
// setTrayIcon on its own.

class SetTrayIcon : public ::testing::Test {
protected:
    FakePlatform fake;
    TrayState tray;
    Hwnd window = fake.addWindow(FakeWindow{});
};

TEST_F(SetTrayIcon, CopiesAtMostSixtyTwoBytesOfTheTooltip) {
    const std::string longest(TrayTipLimit, 'a');
    struct Case {
        const char* tooltip;
        std::string shownTip;
    } cases[] = {
        {nullptr, ""},  // no tooltip: the tip becomes empty
        {"Vorla关机小助手", "Vorla关机小助手"},
        {longest.c_str(), longest},                                          // exactly the limit: whole
        {"bbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbb"  // 64
         "cccccccccccccccccccccccccccccc",
         std::string(TrayTipLimit, 'b')},
        {"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaX", longest},  // 63
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shownTip);
        fake.clearCalls();
        setTrayIcon(fake, tray, window, trayIconImage, c.tooltip);
        const std::vector<std::string> notified = fake.callsNamed("Shell_NotifyIconA");
        ASSERT_EQ(notified.size(), 1U);
        EXPECT_EQ(notified[0].substr(notified[0].rfind(", ") + 2), c.shownTip + ")");
        EXPECT_EQ(std::string(tray.tip), c.shownTip);
    }
}

// Bytes of an .ico file with the given entries; each entry's image is a bare
// BITMAPINFOHEADER (40 bytes) unless `headerSize` says otherwise.
struct IcoEntry {
    std::uint8_t width;
    std::uint8_t colours;
    std::int32_t imageWidth;
    std::uint16_t bitCount;
    std::uint32_t headerSize = 40;
};

std::vector<unsigned char> icoFile(const std::vector<IcoEntry>& entries, std::uint16_t type = 1) {
    constexpr std::uint32_t ImageSize = 48;
    std::vector<unsigned char> bytes(6 + 16 * entries.size() + ImageSize * entries.size());
    putWord(bytes, 2, type);
    putWord(bytes, 4, static_cast<std::uint32_t>(entries.size()));
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const IcoEntry& entry = entries[i];
        const std::size_t at = 6 + 16 * i;
        const std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * entries.size() + ImageSize * i);
        bytes[at] = entry.width;
        bytes[at + 2] = entry.colours;
        putDword(bytes, at + 8, ImageSize - static_cast<std::uint32_t>(i));  // tells the entries apart
        putDword(bytes, at + 12, offset);
        putDword(bytes, offset, entry.headerSize);
        putDword(bytes, offset + 4, static_cast<std::uint32_t>(entry.imageWidth));
        putDword(bytes, offset + 8, static_cast<std::uint32_t>(entry.imageWidth * 2 + 1));  // odd: halved down
        putWord(bytes, offset + 14, entry.bitCount);
    }
    return bytes;
}

ByteSet bytesOf(const std::vector<unsigned char>& bytes) { return ByteSet{bytes.data(), bytes.size()}; }

TEST_F(SetTrayIcon, TakesTheFirstSixteenPixelImageOfSixteenColoursOrElseTheLast) {
    struct Case {
        const char* name;
        std::vector<IcoEntry> entries;
        std::string expected;  // the CreateIconFromResourceEx call
    } cases[] = {
        {"16 px with 16 colours",
         {{32, 16, 32, 4}, {16, 16, 16, 4}, {16, 0, 17, 32}},
         "CreateIconFromResourceEx(47, TRUE, 0x30000, 16, 16, 0x0)"},
        {"16 px of 0 colours does not count",
         {{16, 0, 16, 32}, {48, 0, 48, 32}},
         "CreateIconFromResourceEx(47, TRUE, 0x30000, 48, 48, 0x0)"},
        {"the program's own icon", {{0, 0, 128, 32}}, "CreateIconFromResourceEx(48, TRUE, 0x30000, 128, 128, 0x0)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<unsigned char> bytes = icoFile(c.entries);
        fake.clearCalls();
        const IconHandle icon = iconFromIcoBytes(fake, bytesOf(bytes));
        EXPECT_NE(icon, IconHandle::none);
        ASSERT_FALSE(fake.calls().empty());
        EXPECT_EQ(fake.calls()[0].substr(0, c.expected.size()), c.expected);
        fake.destroyIcon(icon);
    }
}

TEST_F(SetTrayIcon, FallsBackToCreateIconFromResourceExceptForSixteenBitImages) {
    fake.iconFromResourceExFails = true;
    const std::vector<unsigned char> thirtyTwo = icoFile({{0, 0, 128, 32}});
    EXPECT_NE(iconFromIcoBytes(fake, bytesOf(thirtyTwo)), IconHandle::none);
    EXPECT_EQ(fake.callsNamed("CreateIconFromResource").size(), 1U);

    fake.clearCalls();
    const std::vector<unsigned char> sixteen = icoFile({{0, 0, 128, 16}});
    EXPECT_EQ(iconFromIcoBytes(fake, bytesOf(sixteen)), IconHandle::none);
    EXPECT_EQ(fake.callsNamed("CreateIconFromResource").size(), 0U);
    EXPECT_EQ(fake.callsNamed("CreateIconFromResourceEx").size(), 2U);  // one per pass
}

TEST_F(SetTrayIcon, BytesThatMakeNoIconCountAsNoIcon) {
    std::vector<unsigned char> reserved = icoFile({{0, 0, 128, 32}});
    reserved[0] = 1;
    const std::vector<unsigned char> wrongType = icoFile({{0, 0, 128, 32}}, 3);
    const std::vector<unsigned char> noEntries = icoFile({});
    std::vector<unsigned char> cutEntry = icoFile({{0, 0, 128, 32}});
    cutEntry.resize(6 + 10);
    std::vector<unsigned char> cutImage = icoFile({{0, 0, 128, 32}});
    cutImage.resize(cutImage.size() - 1);
    const std::vector<unsigned char> notABitmap = icoFile({{0, 0, 128, 32, 12}});
    const std::vector<unsigned char> directoryOnly(reserved.begin(), reserved.begin() + 4);
    const struct {
        const char* name;
        ByteSet bytes;
    } cases[] = {
        {"none", ByteSet{}},
        {"reserved word", bytesOf(reserved)},
        {"type 3", bytesOf(wrongType)},
        {"no entries", bytesOf(noEntries)},
        {"entry cut short", bytesOf(cutEntry)},
        {"image cut short", bytesOf(cutImage)},
        {"not a bitmap", bytesOf(notABitmap)},
        {"four bytes", bytesOf(directoryOnly)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TrayState empty;
        fake.clearCalls();
        setTrayIcon(fake, empty, window, c.bytes, "tip");
        EXPECT_TRUE(fake.callsNamed("Shell_NotifyIconA").empty());  // none held, none made: nothing sent
        EXPECT_EQ(empty.held, IconHandle::none);

        TrayState holding;
        setTrayIcon(fake, holding, window, trayIconImage, "tip");
        const IconHandle held = holding.held;
        fake.clearCalls();
        setTrayIcon(fake, holding, window, c.bytes, "tip");
        EXPECT_EQ(fake.callsNamed("Shell_NotifyIconA"), std::vector<std::string>{deleted(window, "tip")});
        EXPECT_EQ(fake.callsNamed("DestroyIcon"), std::vector<std::string>{"DestroyIcon(" + show(held) + ")"});
        EXPECT_EQ(holding.held, IconHandle::none);
    }
    EXPECT_EQ(fake.liveIcons(), 0U);
}

// ---------------------------------------------------------------------------
// Tray notifications.

TEST(TrayEvents, MouseMessagesMapToTheirEvents) {
    const struct {
        std::uint32_t message;
        TrayEvent event;
    } cases[] = {
        {win::WmLButtonUp, LeftButtonUp},    {win::WmLButtonDblClk, LeftDoubleClick}, {win::WmRButtonUp, RightButtonUp},
        {win::WmContextMenu, RightButtonUp}, {win::WmMouseMove, NoTrayEvent},         {win::WmLButtonDown, NoTrayEvent},
        {win::WmRButtonDown, NoTrayEvent},   {win::WmMButtonDown, NoTrayEvent},       {win::WmMButtonUp, NoTrayEvent},
        {win::WmRButtonUp + 1, NoTrayEvent},  // WM_RBUTTONDBLCLK
    };
    for (const auto& c : cases) {
        EXPECT_EQ(trayEventFor(static_cast<std::intptr_t>(c.message)), c.event) << hex(c.message);
    }
}

TEST_F(Tray, ADoubleClickShowsTheHiddenWindowOnceAndASingleClickNothing) {
    setWindowVisible(fake, window, false);
    fake.clearCalls();
    for (std::uint32_t message : {win::WmLButtonDown, win::WmLButtonUp}) {
        app.onTrayNotification(message);
    }
    EXPECT_TRUE(fake.calls().empty());
    EXPECT_FALSE(visible());

    for (std::uint32_t message : {win::WmLButtonDown, win::WmLButtonUp, win::WmLButtonDblClk, win::WmLButtonUp}) {
        app.onTrayNotification(message);
    }
    EXPECT_EQ(fake.calls(), std::vector<std::string>{"ShowWindow(" + show(window) + ", 5)"});
    EXPECT_TRUE(visible());
}

// ---------------------------------------------------------------------------
// The pop-up menu.

TEST_F(Tray, RightClickPopsTheProgramMenuAtTheCursorWithItsTwelveLines) {
    for (const bool windowVisible : {true, false}) {
        SCOPED_TRACE(windowVisible);
        setWindowVisible(fake, window, windowVisible);
        fake.cursor = Point{700, 20};
        std::vector<std::string> built;
        fake.onTrackPopupMenu = [&](MenuHandle, int, int) {
            built = fake.calls();
            return 0;
        };
        fake.clearCalls();
        app.onTrayNotification(win::WmRButtonUp);

        const std::ptrdiff_t created = firstStartingWith(built, "CreatePopupMenu() = ");
        ASSERT_GE(created, 0);
        const std::string menu =
            built[static_cast<std::size_t>(created)].substr(std::string("CreatePopupMenu() = ").size());
        const std::string append = "AppendMenuA(" + menu + ", ";
        const std::vector<std::string> expectedLines = {
            append + "0x0, 20001, M.主界面)",      append + "0x0, 20003, H.隐藏(Alt+Z))",
            append + "0x0, 20004, D.显示(Alt+X))", append + "0x800, 20005, null)",
            append + "0x0, 20006, S.快速关机)",    append + "0x0, 20007, R.快速重启)",
            append + "0x0, 20008, C.快速注销)",    append + "0x0, 20009, D.快速休眠)",
            append + "0x800, 20010, null)",        append + "0x0, 20011, E.说明)",
            append + "0x0, 20012, S.退出)",        append + "0x0, 20013, C.取消)",
        };
        EXPECT_EQ(fake.callsNamed("AppendMenuA"), expectedLines);
        EXPECT_EQ(fake.callsNamed("CreatePopupMenu").size(), 1U);

        const std::vector<std::string> around = {
            "GetCursorPos()",
            "SetForegroundWindow(" + show(window) + ")",
            "TrackPopupMenu(" + menu + ", 0x2, 703, 23, 0, " + show(window) + ", null)",
            "PostMessageA(" + show(window) + ", 0x0, 0x0, 0x0)",
            "DestroyMenu(" + menu + ")",
        };
        const std::vector<std::string> tail(fake.calls().end() - static_cast<std::ptrdiff_t>(around.size()),
                                            fake.calls().end());
        EXPECT_EQ(tail, around);
        EXPECT_EQ(fake.liveMenus(), 0U);
        EXPECT_EQ(visible(), windowVisible);  // popping the menu changes nothing
    }
}

TEST_F(Tray, PopUpMenuChecksItsMenu) {
    // Out of the list, the last item, and an item without sub-items.
    for (const int position : {-1, static_cast<int>(MenuItemCount), static_cast<int>(MenuItemCount) - 1, 1}) {
        popUpMenu(app, position);
        EXPECT_TRUE(fake.calls().empty()) << position;
    }
}

TEST(PopUpMenu, BuildsSubMenusTicksAndGreysGenerically) {
    const MenuItem items[] = {
        {"top", 0, 0, nullptr},
        {"ticked", 1, menuflag::Ticked, nullptr},
        {"grey", 1, menuflag::Disabled, nullptr},
        {"hidden branch", 1, menuflag::Hidden, nullptr},
        {"under hidden", 2, 0, nullptr},
        {"branch", 1, menuflag::Disabled, nullptr},
        {"leaf", 2, menuflag::Ticked | menuflag::Disabled, nullptr},
        {MenuSeparator, 2, 0, nullptr},
        {"after", 1, 0, nullptr},
        {"next top", 0, 0, nullptr},
    };
    FakePlatform fake;
    const MenuHandle top = buildPopUpMenu(fake, MenuList{items, std::size(items)}, 0);
    ASSERT_NE(top, MenuHandle::none);
    const std::vector<std::string> created = fake.callsNamed("CreatePopupMenu");
    ASSERT_EQ(created.size(), 2U);
    const std::string sub = created[1].substr(created[1].find("m#"));
    const std::string subId = sub.substr(2);
    EXPECT_EQ(fake.callsNamed("AppendMenuA"), (std::vector<std::string>{
                                                  "AppendMenuA(" + show(top) + ", 0x8, 20001, ticked)",
                                                  "AppendMenuA(" + show(top) + ", 0x1, 20002, grey)",
                                                  "AppendMenuA(" + sub + ", 0x9, 20006, leaf)",
                                                  "AppendMenuA(" + sub + ", 0x800, 20007, null)",
                                                  "AppendMenuA(" + show(top) + ", 0x11, " + subId + ", branch)",
                                                  "AppendMenuA(" + show(top) + ", 0x0, 20008, after)",
                                              }));
}

TEST_F(Tray, ChosenEntriesReachTheirHandlers) {
    setWindowVisible(fake, window, false);
    fake.clearCalls();
    command(CancelCommand);
    EXPECT_TRUE(fake.calls().empty());
    EXPECT_FALSE(visible());

    command(MainViewCommand);
    EXPECT_EQ(fake.calls(), std::vector<std::string>{"ShowWindow(" + show(window) + ", 5)"});
    EXPECT_TRUE(visible());
}

// ---------------------------------------------------------------------------
// Closing and ending.

TEST_F(Tray, CloseAnsweredNoHidesToTheTrayAndRefuses) {
    for (const bool byEsc : {false, true}) {
        SCOPED_TRACE(byEsc);
        setWindowVisible(fake, window, true);
        const IconHandle before = app.tray.held;
        fake.clearCalls();
        if (byEsc) {
            command(static_cast<std::uint32_t>(win::IdCancel));
        } else {
            close();
        }
        const IconHandle after = app.tray.held;
        const std::vector<std::string>& calls = fake.calls();
        const std::ptrdiff_t asked = positionOf(calls, messageBoxCall(CloseQuestion, QuestionTitle, YesNoTaskModal));
        const std::ptrdiff_t modified = positionOf(calls, shown(after, window, "NIM_MODIFY", TrayTip));
        const std::ptrdiff_t released = positionOf(calls, "DestroyIcon(" + show(before) + ")");
        const std::ptrdiff_t hidden = positionOf(calls, "ShowWindow(" + show(window) + ", 0)");
        EXPECT_TRUE(asked >= 0 && asked < modified && modified < released && released < hidden);
        EXPECT_TRUE(fake.isWindow(window));
        EXPECT_FALSE(visible());
        EXPECT_EQ(std::string(app.tray.tip), TrayTip);
    }
    // The window comes back with the tooltip unchanged.
    fake.clearCalls();
    command(MainViewCommand);
    EXPECT_TRUE(visible());
    EXPECT_TRUE(fake.callsNamed("Shell_NotifyIconA").empty());
}

TEST_F(Tray, CloseAnsweredYesEndsWithTheIconDeletedFirst) {
    fake.messageBoxAnswers.push_back(win::IdYes);
    EXPECT_THROW(close(), ProcessExit);
    const std::vector<std::string>& calls = fake.calls();
    EXPECT_EQ(fake.callsNamed("MessageBoxA"),
              std::vector<std::string>{messageBoxCall(CloseQuestion, QuestionTitle, YesNoTaskModal)});
    EXPECT_EQ(fake.callsNamed("Shell_NotifyIconA"), std::vector<std::string>{deleted(window)});
    EXPECT_LT(positionOf(calls, deleted(window)), positionOf(calls, "ExitProcess(0)"));
    EXPECT_TRUE(fake.callsNamed("ShowWindow").empty());
}

TEST_F(Tray, ExitEntryAsksAndEndsOnlyOnYes) {
    command(ExitCommand);
    EXPECT_EQ(fake.calls(), std::vector<std::string>{messageBoxCall(ExitQuestion, QuestionTitle, YesNoTaskModal)});
    EXPECT_TRUE(visible());
    EXPECT_NE(app.tray.held, IconHandle::none);

    fake.clearCalls();
    fake.messageBoxAnswers.push_back(win::IdYes);
    try {
        command(ExitCommand);
        FAIL() << "the program did not end";
    } catch (const ProcessExit& exit) {
        EXPECT_EQ(exit.code, 0U);
    }
    EXPECT_LT(positionOf(fake.calls(), deleted(window)), positionOf(fake.calls(), "ExitProcess(0)"));
}

// Two lines of verse, each two clauses of seven characters ended by "，" and "。", and a
// signature indented by ten blanks and opened with "--".
TEST_F(Tray, AboutEntryShowsThreeLinesUnderItsTitle) {
    std::string text;
    std::string title;
    std::uint32_t style = 0;
    fake.onMessageBox = [&](const std::string& t, const std::string& ti, std::uint32_t s) {
        text = t;
        title = ti;
        style = s;
    };
    command(AboutCommand);
    EXPECT_EQ(title, AboutTitle);
    EXPECT_EQ(style, win::MbOk | win::MbTaskModal);

    std::vector<std::string> lines;
    for (std::size_t start = 0;;) {
        const std::size_t end = text.find("\r\n", start);
        lines.push_back(text.substr(start, end - start));
        if (end == std::string::npos) {
            break;
        }
        start = end + 2;
    }
    ASSERT_EQ(lines.size(), 3U);
    constexpr std::size_t ClauseBytes = 7 * 2;  // seven double-byte characters
    const std::string comma = "，";
    const std::string stop = "。";
    for (std::size_t i = 0; i < 2; ++i) {
        const std::string& line = lines[i];
        SCOPED_TRACE(i);
        ASSERT_EQ(line.size(), 2 * ClauseBytes + comma.size() + stop.size());
        EXPECT_EQ(line.substr(ClauseBytes, comma.size()), comma);
        EXPECT_EQ(line.substr(line.size() - stop.size()), stop);
        for (std::size_t at = 0; at < line.size(); at += 2) {
            EXPECT_GE(static_cast<unsigned char>(line[at]), 0x81) << "single-byte character at " << at;
        }
    }
    const std::string opening = std::string(10, ' ') + "--";
    EXPECT_EQ(lines[2].substr(0, opening.size()), opening);
    EXPECT_GT(lines[2].size(), opening.size());
    EXPECT_NE(lines[2][opening.size()], ' ');
}

// ---------------------------------------------------------------------------
// The shell's taskbar re-created.

TEST_F(Tray, ARecreatedTaskbarGetsTheIconBackWithTheTooltipInForce) {
    const std::size_t iconsAtStart = fake.liveIcons();
    const struct {
        bool closeFirst;
        const std::string& tip;
    } cases[] = {{false, StartTip}, {true, TrayTip}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tip);
        if (c.closeFirst) {
            close();
        }
        const IconHandle before = app.tray.held;
        fake.clearCalls();
        app.onTaskbarCreated();
        const IconHandle after = app.tray.held;
        EXPECT_NE(after, before);
        EXPECT_EQ(fake.callsNamed("Shell_NotifyIconA"),
                  std::vector<std::string>{shown(after, window, "NIM_ADD", c.tip)});
        EXPECT_EQ(fake.callsNamed("DestroyIcon"), std::vector<std::string>{"DestroyIcon(" + show(before) + ")"});
        EXPECT_EQ(fake.liveIcons(), iconsAtStart);
    }
}

TEST(TaskbarCreated, AfterTheIconWasRemovedNothingIsAdded) {
    FakePlatform fake;
    App app(fake);
    buildMainWindow(app);
    setTrayIcon(fake, app.tray, app.main.window, ByteSet{}, nullptr);
    fake.clearCalls();
    onTaskbarCreated(app);
    EXPECT_TRUE(fake.calls().empty());
}

}  // namespace
