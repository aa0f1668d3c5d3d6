#pragma once
// The window description: the main window, its 23 controls and the menu list, as data.

#include <array>
#include <cstddef>
#include <cstdint>

#include "common/control_properties.h"
#include "common/text.h"
#include "platform/platform.h"

struct App;

// The controls, by the names the handlers address them with.
enum class Control : int {
    标签1,
    分组框2,
    分组框1,
    时钟1,
    标签5,
    图片框1,
    编辑框_标题,
    按钮_隐藏,
    编辑框_时,
    调节器1,
    标签2,
    编辑框_分,
    调节器2,
    标签3,
    编辑框_秒,
    调节器3,
    标签4,
    按钮1,
    单选框1,
    单选框2,
    单选框3,
    单选框4,
    任务时钟,
};
inline constexpr std::size_t ControlCount = 23;
// The main window itself, as the parent of the controls placed directly on it.
inline constexpr int NoParent = -1;

enum class ControlKind { GroupBox, Label, EditBox, PictureBox, PushButton, Spinner, RadioButton, Timer };

struct ControlDescription {
    Control name;
    ControlKind kind;
    int parent;  // index of the group box holding the control, or NoParent
    int left;
    int top;
    int width;
    int height;
    const char* text;  // caption or contents; null for none
    Rgb colour;        // text colour of labels, group boxes and radio buttons
    bool checked;      // radio buttons
    int period;        // timers, in milliseconds
};

constexpr int index(Control control) { return static_cast<int>(control); }

// Control identifiers start above IDOK and IDCANCEL, which dialog keys send.
inline constexpr std::uintptr_t FirstControlId = 100;
constexpr std::uintptr_t controlId(Control control) {
    return FirstControlId + static_cast<std::uintptr_t>(index(control));
}

inline constexpr Rgb Black{0, 0, 0};
inline constexpr Rgb Red{255, 0, 0};
inline constexpr Rgb Magenta{255, 0, 255};
inline constexpr Rgb Cyan{0, 255, 255};
inline constexpr Rgb Green{0, 255, 0};

inline constexpr int GroupHide = index(Control::分组框2);
inline constexpr int GroupTask = index(Control::分组框1);

// In creation order, group boxes before the controls they hold.
inline constexpr std::array<ControlDescription, ControlCount> Controls{{
    {Control::标签1, ControlKind::Label, NoParent, 49, 4, 215, 20, nullptr, Red, false, 0},
    {Control::分组框2, ControlKind::GroupBox, NoParent, 5, 24, 304, 80, "隐藏窗口", Black, false, 0},
    {Control::分组框1, ControlKind::GroupBox, NoParent, 5, 109, 304, 67, " 任务计划 ", Red, false, 0},
    {Control::时钟1, ControlKind::Timer, NoParent, 168, 97, 26, 26, nullptr, Black, false, 1000},
    {Control::标签5, ControlKind::Label, GroupHide, 8, 16, 272, 24, "拖动图标到想要隐藏的窗口或者直接输入窗口标题",
     Black, false, 0},
    {Control::图片框1, ControlKind::PictureBox, GroupHide, 8, 40, 32, 32, nullptr, Black, false, 0},
    {Control::编辑框_标题, ControlKind::EditBox, GroupHide, 48, 40, 155, 32, nullptr, Black, false, 0},
    {Control::按钮_隐藏, ControlKind::PushButton, GroupHide, 208, 40, 83, 32, "隐藏窗口", Black, false, 0},
    {Control::编辑框_时, ControlKind::EditBox, GroupTask, 8, 17, 16, 16, "22", Black, false, 0},
    {Control::调节器1, ControlKind::Spinner, GroupTask, 30, 16, 20, 16, nullptr, Black, false, 0},
    {Control::标签2, ControlKind::Label, GroupTask, 53, 17, 16, 16, "时", Black, false, 0},
    {Control::编辑框_分, ControlKind::EditBox, GroupTask, 72, 17, 16, 16, "30", Black, false, 0},
    {Control::调节器2, ControlKind::Spinner, GroupTask, 94, 16, 20, 16, nullptr, Black, false, 0},
    {Control::标签3, ControlKind::Label, GroupTask, 116, 17, 16, 16, "分", Black, false, 0},
    {Control::编辑框_秒, ControlKind::EditBox, GroupTask, 135, 17, 16, 16, "00", Black, false, 0},
    {Control::调节器3, ControlKind::Spinner, GroupTask, 157, 16, 20, 16, nullptr, Black, false, 0},
    {Control::标签4, ControlKind::Label, GroupTask, 179, 17, 18, 16, "秒", Black, false, 0},
    {Control::按钮1, ControlKind::PushButton, GroupTask, 208, 11, 80, 29, "执行任务", Black, false, 0},
    {Control::单选框1, ControlKind::RadioButton, GroupTask, 8, 40, 75, 24, "关闭电脑", Red, true, 0},
    {Control::单选框2, ControlKind::RadioButton, GroupTask, 80, 40, 74, 24, "重启电脑", Magenta, false, 0},
    {Control::单选框3, ControlKind::RadioButton, GroupTask, 152, 40, 74, 24, "注销电脑", Cyan, false, 0},
    {Control::单选框4, ControlKind::RadioButton, GroupTask, 224, 40, 74, 24, "休眠模式", Green, false, 0},
    {Control::任务时钟, ControlKind::Timer, GroupTask, 243, 76, 26, 26, nullptr, Black, false, 0},
}};

// The window itself.
inline constexpr const char* MainWindowTitle = "Tavik小助手";
inline constexpr int MainWindowWidth = 320;
inline constexpr int MainWindowHeight = 210;
inline constexpr std::uint32_t MainWindowStyle =
    win::WsCaption | win::WsSysMenu | win::WsMinimizeBox | win::WsClipChildren;

// The menu list. Its only top item is hidden; its branch is the tray pop-up.
namespace menuflag {
inline constexpr std::uint8_t Hidden = 1;
inline constexpr std::uint8_t Disabled = 2;
inline constexpr std::uint8_t Ticked = 4;
}  // namespace menuflag

using MenuHandler = void (*)(App& app);

struct MenuItem {
    const char* caption;
    int level;
    std::uint8_t flags;
    MenuHandler handler;  // null: selecting the item does nothing
};

inline constexpr const char* MenuSeparator = "-";
inline constexpr std::size_t MenuItemCount = 14;
// Position of "&F.程序", the branch popped up from the tray.
inline constexpr int ProgramMenu = 0;
// A menu item's command identifier is this plus its position in the list.
inline constexpr std::uint32_t MenuCommandBase = 20000;
extern const std::array<MenuItem, MenuItemCount> MenuItems;

// The built window: its handle, its controls' handles and what each control owns.
struct MainWindow {
    Hwnd window = Hwnd::none;
    IconHandle icon = IconHandle::none;  // set as both the large and the small icon
    std::array<Hwnd, ControlCount> controls{};
    std::array<ControlState, ControlCount> states{};

    Hwnd handle(Control control) const { return controls[static_cast<std::size_t>(index(control))]; }
    ControlState& state(Control control) { return states[static_cast<std::size_t>(index(control))]; }
    // The control with this window handle, or -1.
    int find(Hwnd control) const;
};

// Builds the window and its controls (hidden), raises the created event through
// `app.onCreated()` and shows the window unless the handler destroyed it.
void buildMainWindow(App& app);
