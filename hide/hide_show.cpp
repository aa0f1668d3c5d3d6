#include "hide/hide_show.h"

#include "app/program.h"
#include "common/control_properties.h"
#include "common/message_box.h"
#include "common/text.h"

namespace {

constexpr const char* HideCaption = "隐藏窗口";
constexpr const char* ShowCaption = "显示窗口";
constexpr const char* NoTitleWarning = "请选取需要隐藏的窗口！";
constexpr const char* HiddenReport = "成功隐藏了";
constexpr const char* CannotBindText = "无法取得 FindWindowA 或 ShowWindow。";

// The first id issued is one above the base.
constexpr std::uintptr_t FirstHotkeyId = HotkeyIdBase + 1;

struct ModifierFlags {
    std::int32_t code;
    std::uint32_t flags;
};

// The program's modifier codes and the MOD_ flags they stand for.
constexpr ModifierFlags ModifierTable[] = {
    {HotkeyModifierCtrl, win::ModControl},
    {HotkeyModifierShift, win::ModShift},
    {HotkeyModifierCtrlShift, win::ModControl | win::ModShift},
    {HotkeyModifierAlt, win::ModAlt},
    {HotkeyModifierCtrlAlt, win::ModControl | win::ModAlt},
    {HotkeyModifierShiftAlt, win::ModShift | win::ModAlt},
};

// Codes outside the table are taken as MOD_ flags already.
std::uint32_t modifierFlags(std::int32_t code) {
    for (const ModifierFlags& entry : ModifierTable) {
        if (entry.code == code) {
            return entry.flags;
        }
    }
    return static_cast<std::uint32_t>(code);
}

// Finds the top-level window with the title in 编辑框_标题 and shows it with `command`.
// An empty title names no window: nothing is looked up and no window is touched, since
// FindWindowA with no name would take whatever top-level window comes first.
void showWindowNamedInTitleBox(App& app, int command) {
    Platform& platform = app.platform;
    const Text title = readText(platform, app.main.handle(Control::编辑框_标题));
    if (title.absent()) {
        return;
    }
    if (!platform.bindByName()) {
        fatalError(app, CannotBindText);
    }
    const Hwnd window = platform.boundFindWindow(nullptr, title.get());
    platform.boundShowWindow(window, command);
}

void setHideButtonCaption(App& app, const char* caption) {
    writeCaption(app.platform, app.main.handle(Control::按钮_隐藏), caption, false);
}

}  // namespace

int registerHotkey(Platform& platform, HotkeyRegistry& registry, Hwnd owner, Hwnd notifyControl,
                   std::int32_t modifierCode, std::uint32_t virtualKey) {
    const std::uint32_t flags = modifierFlags(modifierCode);
    registry.notifyControl = notifyControl;
    ++registry.sequence;
    const int id = HotkeyIdBase + registry.sequence;
    registry.lastId = id;
    // A refused registration keeps its id used up.
    return platform.registerHotKey(owner, id, flags, virtualKey) ? id : 0;
}

void deliverHotkey(App& app, std::uintptr_t id) {
    const auto lastId = static_cast<std::uintptr_t>(static_cast<std::uint32_t>(app.hotkeys.lastId));
    if (id < FirstHotkeyId || id > lastId) {
        return;
    }
    // The feedback event of the notification control; only 标签1 has a handler for it.
    const Hwnd notify = app.hotkeys.notifyControl;
    if (notify != Hwnd::none && notify == app.main.handle(Control::标签1)) {
        onHotkeyFeedback(app, static_cast<int>(id), 0);
    }
}

void onHotkeyFeedback(App& app, int id, int /*unused*/) {
    if (id == app.hideHotkeyId) {
        hideWindowByTitle(app);
        setHideButtonCaption(app, ShowCaption);
    }
    if (id == app.showHotkeyId) {
        showWindowByTitle(app);
        setHideButtonCaption(app, HideCaption);
    }
}

void hideWindowByTitle(App& app) { showWindowNamedInTitleBox(app, win::SwHide); }

void showWindowByTitle(App& app) { showWindowNamedInTitleBox(app, win::SwShowNormal); }

void onHideButtonClicked(App& app) {
    Platform& platform = app.platform;
    const Text caption = readText(platform, app.main.handle(Control::按钮_隐藏));
    if (compareTexts(caption.get(), HideCaption) != 0) {
        showWindowByTitle(app);
        setHideButtonCaption(app, HideCaption);
        return;
    }
    const Hwnd titleBox = app.main.handle(Control::编辑框_标题);
    if (readText(platform, titleBox).absent()) {
        showMessageBox(platform, NoTitleWarning, nullptr, win::MbIconExclamation);
        return;
    }
    hideWindowByTitle(app);
    setHideButtonCaption(app, ShowCaption);
    const Text title = readText(platform, titleBox);
    const Text report = concatTexts({HiddenReport, title.get()});
    showMessageBox(platform, report.get(), nullptr, win::MbOk);
}

void menuHideWindow(App& app) {
    hideWindowByTitle(app);
    setHideButtonCaption(app, ShowCaption);
}

void menuShowWindow(App& app) {
    showWindowByTitle(app);
    setHideButtonCaption(app, HideCaption);
}
