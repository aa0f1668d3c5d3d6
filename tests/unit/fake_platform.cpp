#include "fake_platform.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <iterator>
#include <stdexcept>

namespace {

constexpr std::uint32_t BitmapHeaderSize = 40;
constexpr std::uint32_t SharingViolation = 32;
constexpr std::uint32_t FileNotFound = 2;
constexpr std::uint32_t AccessDenied = 5;

std::string upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

std::string quote(const char* text) { return text == nullptr ? "null" : std::string(text); }

std::uint32_t readDword(const unsigned char* at) {
    return static_cast<std::uint32_t>(at[0]) | (static_cast<std::uint32_t>(at[1]) << 8) |
           (static_cast<std::uint32_t>(at[2]) << 16) | (static_cast<std::uint32_t>(at[3]) << 24);
}

std::string folderOf(const std::string& path) {
    const auto slash = path.rfind('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

}  // namespace

std::string hex(std::uint64_t value) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    do {
        out.insert(out.begin(), digits[value & 0xF]);
        value >>= 4;
    } while (value != 0);
    return "0x" + out;
}

std::string show(Hwnd window) { return "#" + std::to_string(static_cast<std::uintptr_t>(window)); }
std::string show(IconHandle icon) { return "@" + std::to_string(static_cast<std::uintptr_t>(icon)); }
std::string show(MenuHandle menu) { return "m#" + std::to_string(static_cast<std::uintptr_t>(menu)); }
std::string show(KernelHandle handle) {
    if (handle == KernelHandle::invalid) {
        return "INVALID";
    }
    return "k#" + std::to_string(static_cast<std::uintptr_t>(handle));
}

FakePlatform::FakePlatform() = default;

std::vector<std::string> FakePlatform::callsNamed(const std::string& name) const {
    std::vector<std::string> found;
    for (const std::string& call : calls_) {
        if (call.compare(0, name.size() + 1, name + "(") == 0) {
            found.push_back(call);
        }
    }
    return found;
}

Hwnd FakePlatform::addWindow(FakeWindow window) {
    const std::uintptr_t handle = nextHandle_++;
    windows[handle] = std::move(window);
    return static_cast<Hwnd>(handle);
}

FakeWindow& FakePlatform::window(Hwnd handle) { return windows.at(static_cast<std::uintptr_t>(handle)); }

Hwnd FakePlatform::findByText(const std::string& text) const {
    for (const auto& [handle, window] : windows) {
        if (!window.destroyed && window.text == text) {
            return static_cast<Hwnd>(handle);
        }
    }
    return Hwnd::none;
}

bool FakePlatform::timerRunning(Hwnd window) const {
    return std::any_of(timers_.begin(), timers_.end(),
                       [&](const auto& timer) { return timer.first == static_cast<std::uintptr_t>(window); });
}

void FakePlatform::runPendingThreads() {
    while (!threads_.empty()) {
        const auto [routine, context] = threads_.front();
        threads_.erase(threads_.begin());
        routine(context);
    }
}

Hwnd FakePlatform::createWindowEx(std::uint32_t exStyle, const char* className, const char* title, std::uint32_t style,
                                  int x, int y, int width, int height, Hwnd parent, std::uintptr_t controlId,
                                  WindowEvents* events) {
    record("CreateWindowExA(" + hex(exStyle) + ", " + quote(className) + ", " + quote(title) + ", " + hex(style) +
           ", " + std::to_string(x) + ", " + std::to_string(y) + ", " + std::to_string(width) + ", " +
           std::to_string(height) + ", " + show(parent) + ", " + std::to_string(controlId) + ")");
    const bool topLevel = parent == Hwnd::none;
    if (topLevel && createMainWindowFails) {
        return Hwnd::none;
    }
    FakeWindow window;
    window.className = className;
    window.text = title == nullptr ? "" : title;
    window.parent = parent;
    window.style = style;
    window.exStyle = exStyle;
    window.id = controlId;
    const int slack = topLevel ? outerSizeSlack : 0;
    window.rect = Rect{x, y, x + width + slack, y + height + slack};
    window.visible = (style & win::WsVisible) != 0;
    window.events = events;
    return addWindow(std::move(window));
}

bool FakePlatform::destroyWindow(Hwnd handle) {
    record("DestroyWindow(" + show(handle) + ")");
    if (!isWindow(handle)) {
        return false;
    }
    FakeWindow& target = window(handle);
    if (target.events != nullptr) {
        target.events->onDestroy();
    }
    target.destroyed = true;
    target.visible = false;
    // Children go with their parent.
    for (auto& [child, state] : windows) {
        if (state.parent == handle && !state.destroyed) {
            destroyWindow(static_cast<Hwnd>(child));
        }
    }
    // Its timers go with it, and so does a top-level window's menu bar.
    for (auto timer = timers_.begin(); timer != timers_.end();) {
        timer = timer->first == static_cast<std::uintptr_t>(handle) ? timers_.erase(timer) : std::next(timer);
    }
    if (target.parent == Hwnd::none && target.id != 0) {
        releaseMenu(target.id);
    }
    return true;
}

std::size_t FakePlatform::liveWindows() const {
    return static_cast<std::size_t>(
        std::count_if(windows.begin(), windows.end(), [](const auto& entry) { return !entry.second.destroyed; }));
}

bool FakePlatform::showWindow(Hwnd handle, int command) {
    record("ShowWindow(" + show(handle) + ", " + std::to_string(command) + ")");
    if (!isWindow(handle)) {
        return false;
    }
    FakeWindow& target = window(handle);
    const bool wasVisible = target.visible;
    target.visible = command != win::SwHide;
    return wasVisible;
}

bool FakePlatform::moveWindow(Hwnd handle, int x, int y, int width, int height) {
    record("MoveWindow(" + show(handle) + ", " + std::to_string(x) + ", " + std::to_string(y) + ", " +
           std::to_string(width) + ", " + std::to_string(height) + ")");
    if (!isWindow(handle)) {
        return false;
    }
    window(handle).rect = Rect{x, y, x + width, y + height};
    return true;
}

Rect FakePlatform::getWindowRect(Hwnd handle) {
    record("GetWindowRect(" + show(handle) + ")");
    return isWindow(handle) ? window(handle).rect : Rect{};
}

Hwnd FakePlatform::getParent(Hwnd handle) {
    record("GetParent(" + show(handle) + ")");
    if (!isWindow(handle)) {
        return Hwnd::none;
    }
    const FakeWindow& target = window(handle);
    return target.parent != Hwnd::none ? target.parent : target.owner;
}

Hwnd FakePlatform::getNextWindow(Hwnd handle) {
    record("GetWindow(" + show(handle) + ", GW_HWNDNEXT)");
    if (!isWindow(handle)) {
        return Hwnd::none;
    }
    // Siblings in Z order are the windows of the same parent in the order they were made.
    const Hwnd parent = window(handle).parent;
    for (auto it = windows.upper_bound(static_cast<std::uintptr_t>(handle)); it != windows.end(); ++it) {
        if (!it->second.destroyed && it->second.parent == parent) {
            return static_cast<Hwnd>(it->first);
        }
    }
    return Hwnd::none;
}

bool FakePlatform::isWindow(Hwnd handle) {
    const auto found = windows.find(static_cast<std::uintptr_t>(handle));
    return found != windows.end() && !found->second.destroyed;
}

bool FakePlatform::isWindowVisible(Hwnd handle) {
    record("IsWindowVisible(" + show(handle) + ")");
    return isWindow(handle) && window(handle).visible;
}

bool FakePlatform::invalidateRect(Hwnd handle, bool erase) {
    record("InvalidateRect(" + show(handle) + ", " + (erase ? "TRUE" : "FALSE") + ")");
    return isWindow(handle);
}

bool FakePlatform::updateWindow(Hwnd handle) {
    record("UpdateWindow(" + show(handle) + ")");
    return isWindow(handle);
}

bool FakePlatform::setForegroundWindow(Hwnd handle) {
    record("SetForegroundWindow(" + show(handle) + ")");
    return isWindow(handle);
}

std::intptr_t FakePlatform::sendMessage(Hwnd handle, std::uint32_t message, std::uintptr_t wParam,
                                        std::intptr_t lParam) {
    std::string line = "SendMessageA(" + show(handle) + ", " + hex(message) + ", " + hex(wParam) + ", ";
    if (message == win::WmSetText) {
        line += quote(reinterpret_cast<const char*>(lParam));
    } else if (message == win::WmGetText) {
        line += "buffer";
    } else {
        line += hex(static_cast<std::uint64_t>(lParam));
    }
    record(line + ")");
    if (!isWindow(handle)) {
        return 0;
    }
    FakeWindow& target = window(handle);
    switch (message) {
    case win::WmSetText: target.text = reinterpret_cast<const char*>(lParam); return 1;
    case win::WmGetTextLength:
        return target.announcedLength >= 0 ? target.announcedLength : static_cast<std::intptr_t>(target.text.size());
    case win::WmGetText: {
        if (wParam == 0) {
            return 0;
        }
        const std::size_t copied = std::min<std::size_t>(wParam - 1, target.text.size());
        char* buffer = reinterpret_cast<char*>(lParam);
        std::memcpy(buffer, target.text.data(), copied);
        buffer[copied] = '\0';
        return static_cast<std::intptr_t>(copied);
    }
    case win::BmGetCheck: return target.checked ? win::BstChecked : 0;
    case win::BmSetCheck: target.checked = wParam == static_cast<std::uintptr_t>(win::BstChecked); return 0;
    case win::WmClose:
        if (target.events != nullptr && target.events->onClose()) {
            destroyWindow(handle);
        }
        return 0;
    default: return 0;
    }
}

bool FakePlatform::sendMessageTimeout(Hwnd handle, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam,
                                      std::uint32_t flags, std::uint32_t timeoutMs, std::intptr_t& result) {
    record("SendMessageTimeoutA(" + show(handle) + ", " + hex(message) + ", " + hex(wParam) + ", " + hex(flags) + ", " +
           std::to_string(timeoutMs) + ")");
    if (!isWindow(handle) || window(handle).hung) {
        result = 0;
        return false;
    }
    const std::size_t before = calls_.size();
    result = sendMessage(handle, message, wParam, lParam);
    calls_.resize(before);  // the inner send is part of this call
    return true;
}

bool FakePlatform::postMessage(Hwnd handle, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    record("PostMessageA(" + show(handle) + ", " + hex(message) + ", " + hex(wParam) + ", " +
           hex(static_cast<std::uint64_t>(lParam)) + ")");
    return isWindow(handle);
}

std::uint32_t FakePlatform::registerWindowMessage(const char* name) {
    record("RegisterWindowMessageA(" + quote(name) + ")");
    return 0xC0DE;
}

int FakePlatform::getSystemMetrics(int index) {
    switch (index) {
    case win::SmCxScreen: return screenWidth;
    case win::SmCyScreen: return screenHeight;
    case win::SmCyEdge: return edgeHeight;
    default: return 0;
    }
}

FontHandle FakePlatform::defaultGuiFont() { return static_cast<FontHandle>(0xF0); }

int FakePlatform::fontLineHeight(FontHandle) { return lineHeight; }

void FakePlatform::setTextColour(Hwnd control, Rgb colour) {
    record("SetTextColour(" + show(control) + ", " + std::to_string(colour.red) + ", " + std::to_string(colour.green) +
           ", " + std::to_string(colour.blue) + ")");
}

void FakePlatform::setPictureIcon(Hwnd picture, IconHandle icon) {
    record("SetPictureIcon(" + show(picture) + ", " + show(icon) + ")");
}

bool FakePlatform::setTimer(Hwnd handle, std::uintptr_t id, std::uint32_t periodMs) {
    record("SetTimer(" + show(handle) + ", " + std::to_string(id) + ", " + std::to_string(periodMs) + ")");
    timers_.insert({static_cast<std::uintptr_t>(handle), id});
    return true;
}

bool FakePlatform::killTimer(Hwnd handle, std::uintptr_t id) {
    record("KillTimer(" + show(handle) + ", " + std::to_string(id) + ")");
    return timers_.erase({static_cast<std::uintptr_t>(handle), id}) != 0;
}

int FakePlatform::runMessageLoop(Hwnd dialogWindow) {
    record("RunMessageLoop(" + show(dialogWindow) + ")");
    return 0;
}

void FakePlatform::pumpPendingMessages() { record("PumpPendingMessages()"); }

int FakePlatform::messageBox(Hwnd owner, const char* text, const char* title, std::uint32_t style) {
    record("MessageBoxA(" + show(owner) + ", " + quote(text) + ", " + quote(title) + ", " + hex(style) + ")");
    if (onMessageBox) {
        onMessageBox(quote(text), quote(title), style);
    }
    if (!messageBoxAnswers.empty()) {
        const int answer = messageBoxAnswers.front();
        messageBoxAnswers.pop_front();
        return answer;
    }
    return (style & 0xF) == win::MbYesNo ? win::IdNo : win::IdOk;
}

MenuHandle FakePlatform::createMenu() {
    const std::uintptr_t handle = nextHandle_++;
    liveMenus_.insert(handle);
    record("CreateMenu() = " + show(static_cast<MenuHandle>(handle)));
    return static_cast<MenuHandle>(handle);
}

MenuHandle FakePlatform::createPopupMenu() {
    const std::uintptr_t handle = nextHandle_++;
    liveMenus_.insert(handle);
    record("CreatePopupMenu() = " + show(static_cast<MenuHandle>(handle)));
    return static_cast<MenuHandle>(handle);
}

bool FakePlatform::appendMenu(MenuHandle menu, std::uint32_t flags, std::uintptr_t idOrSubMenu, const char* caption) {
    record("AppendMenuA(" + show(menu) + ", " + hex(flags) + ", " + std::to_string(idOrSubMenu) + ", " +
           ((flags & win::MfSeparator) != 0 ? std::string("null") : quote(caption)) + ")");
    const bool live = liveMenus_.count(static_cast<std::uintptr_t>(menu)) != 0;
    if (live && (flags & win::MfPopup) != 0) {
        subMenus_[static_cast<std::uintptr_t>(menu)].push_back(idOrSubMenu);
    }
    return live;
}

int FakePlatform::trackPopupMenu(MenuHandle menu, std::uint32_t flags, int x, int y, Hwnd owner) {
    record("TrackPopupMenu(" + show(menu) + ", " + hex(flags) + ", " + std::to_string(x) + ", " + std::to_string(y) +
           ", 0, " + show(owner) + ", null)");
    return onTrackPopupMenu ? onTrackPopupMenu(menu, x, y) : 0;
}

bool FakePlatform::destroyMenu(MenuHandle menu) {
    record("DestroyMenu(" + show(menu) + ")");
    return releaseMenu(static_cast<std::uintptr_t>(menu));
}

bool FakePlatform::releaseMenu(std::uintptr_t menu) {
    if (liveMenus_.erase(menu) == 0) {
        return false;
    }
    const auto found = subMenus_.find(menu);
    if (found != subMenus_.end()) {
        const std::vector<std::uintptr_t> subMenus = std::move(found->second);
        subMenus_.erase(found);
        for (const std::uintptr_t subMenu : subMenus) {
            releaseMenu(subMenu);
        }
    }
    return true;
}

IconHandle FakePlatform::newIcon() {
    const std::uintptr_t handle = nextHandle_++;
    liveIcons_.insert(handle);
    return static_cast<IconHandle>(handle);
}

// An image is accepted when it starts with a BITMAPINFOHEADER (after the hot spot of a
// cursor) that fits in the bytes given.
IconHandle FakePlatform::createIconFromResourceEx(const unsigned char* bits, std::uint32_t size, bool icon,
                                                  std::uint32_t version, int width, int height, std::uint32_t flags) {
    const std::uint32_t skip = icon ? 0 : 4;
    const bool valid = !iconFromResourceExFails && bits != nullptr && size >= skip + BitmapHeaderSize &&
                       readDword(bits + skip) == BitmapHeaderSize && version == win::IconResourceVersion;
    const IconHandle made = valid ? newIcon() : IconHandle::none;
    std::string line = "CreateIconFromResourceEx(" + std::to_string(size) + ", " + (icon ? "TRUE" : "FALSE") + ", " +
                       hex(version) + ", " + std::to_string(width) + ", " + std::to_string(height) + ", " + hex(flags);
    if (!icon && bits != nullptr && size >= 4) {
        line +=
            ", hotspot " + std::to_string(bits[0] | (bits[1] << 8)) + "," + std::to_string(bits[2] | (bits[3] << 8));
    }
    record(line + ") = " + show(made));
    return made;
}

IconHandle FakePlatform::createIconFromResource(const unsigned char* bits, std::uint32_t size, bool icon,
                                                std::uint32_t version) {
    const bool valid =
        !iconFromResourceFails && bits != nullptr && size >= BitmapHeaderSize && readDword(bits) == BitmapHeaderSize;
    const IconHandle made = valid ? newIcon() : IconHandle::none;
    record("CreateIconFromResource(" + std::to_string(size) + ", " + (icon ? "TRUE" : "FALSE") + ", " + hex(version) +
           ") = " + show(made));
    return made;
}

bool FakePlatform::destroyIcon(IconHandle icon) {
    record("DestroyIcon(" + show(icon) + ")");
    return liveIcons_.erase(static_cast<std::uintptr_t>(icon)) != 0;
}

bool FakePlatform::destroyCursor(IconHandle pointer) {
    record("DestroyCursor(" + show(pointer) + ")");
    return liveIcons_.erase(static_cast<std::uintptr_t>(pointer)) != 0;
}

IconHandle FakePlatform::setCursor(IconHandle pointer) {
    record("SetCursor(" + show(pointer) + ")");
    return IconHandle::none;
}

Point FakePlatform::getCursorPos() {
    record("GetCursorPos()");
    return cursor;
}

bool FakePlatform::setCursorPos(int x, int y) {
    record("SetCursorPos(" + std::to_string(x) + ", " + std::to_string(y) + ")");
    cursor = Point{x, y};
    return true;
}

Hwnd FakePlatform::setCapture(Hwnd handle) {
    record("SetCapture(" + show(handle) + ")");
    const auto previous = static_cast<Hwnd>(capture);
    capture = static_cast<std::uintptr_t>(handle);
    return previous;
}

bool FakePlatform::releaseCapture() {
    record("ReleaseCapture()");
    capture = 0;
    return true;
}

Hwnd FakePlatform::windowFromPoint(Point point) {
    record("WindowFromPoint(" + std::to_string(point.x) + ", " + std::to_string(point.y) + ")");
    return windowAtPoint;
}

bool FakePlatform::shellNotifyIcon(std::uint32_t message, const NotifyIconData& data) {
    static const char* const names[] = {"NIM_ADD", "NIM_MODIFY", "NIM_DELETE"};
    const std::string name = message <= win::NimDelete ? names[message] : hex(message);
    const std::string tip(data.szTip, strnlen(data.szTip, sizeof data.szTip));
    record("Shell_NotifyIconA(" + name + ", " + std::to_string(data.cbSize) + ", " + show(data.hWnd) + ", " +
           std::to_string(data.uID) + ", " + hex(data.uFlags) + ", " + hex(data.uCallbackMessage) + ", " +
           show(data.hIcon) + ", " + tip + ")");
    const std::pair<std::uintptr_t, std::uint32_t> key{static_cast<std::uintptr_t>(data.hWnd), data.uID};
    if (message == win::NimAdd) {
        notifyIcons_.insert(key);
    } else if (message == win::NimDelete) {
        notifyIcons_.erase(key);
    }
    return true;
}

bool FakePlatform::registerHotKey(Hwnd handle, int id, std::uint32_t modifiers, std::uint32_t virtualKey) {
    record("RegisterHotKey(" + show(handle) + ", " + std::to_string(id) + ", " + hex(modifiers) + ", " +
           hex(virtualKey) + ")");
    return takenHotkeys.count({modifiers, virtualKey}) == 0 && takenHotkeys.insert({modifiers, virtualKey}).second;
}

bool FakePlatform::bindByName() {
    record("BindByName()");
    bound_ = bindSucceeds;
    return bound_;
}

Hwnd FakePlatform::boundFindWindow(const char* className, const char* title) {
    record("FindWindowA(" + quote(className) + ", " + quote(title) + ")");
    if (!bound_) {
        throw std::logic_error("FindWindowA called before it was bound");
    }
    for (const auto& [handle, state] : windows) {
        const bool topLevel = state.parent == Hwnd::none;
        if (!state.destroyed && topLevel && (title == nullptr || upper(state.text) == upper(title))) {
            return static_cast<Hwnd>(handle);
        }
    }
    return Hwnd::none;
}

bool FakePlatform::boundShowWindow(Hwnd handle, int command) {
    if (!bound_) {
        throw std::logic_error("ShowWindow called before it was bound");
    }
    return showWindow(handle, command);
}

void FakePlatform::unloadBoundLibraries() {
    record("UnloadBoundLibraries()");
    bound_ = false;
}

KernelHandle FakePlatform::newKernelHandle(std::string what) {
    const std::uintptr_t handle = nextHandle_++;
    liveKernel_[handle] = std::move(what);
    return static_cast<KernelHandle>(handle);
}

KernelHandle FakePlatform::findFirstFile(const char* path) {
    const auto found = files.find(upper(path));
    const KernelHandle result = found == files.end() ? KernelHandle::invalid : newKernelHandle("search");
    lastError = found == files.end() ? FileNotFound : 0;
    record("FindFirstFileA(" + quote(path) + ") = " + show(result));
    return result;
}

bool FakePlatform::findClose(KernelHandle search) {
    record("FindClose(" + show(search) + ")");
    return liveKernel_.erase(static_cast<std::uintptr_t>(search)) != 0;
}

KernelHandle FakePlatform::createFile(const char* path, std::uint32_t access, std::uint32_t shareMode,
                                      bool inheritHandle, std::uint32_t disposition, std::uint32_t attributes) {
    const std::string key = upper(path);
    KernelHandle result = KernelHandle::invalid;
    const bool folderThere = windowsFolderExists || upper(folderOf(path)) != "C:\\WINDOWS";
    auto found = files.find(key);
    if (!folderThere) {
        lastError = 3;  // ERROR_PATH_NOT_FOUND
    } else if (found != files.end() && found->second.openHandles > 0) {
        lastError = SharingViolation;
    } else if (found != files.end() && (found->second.directory || found->second.readOnly)) {
        lastError = AccessDenied;
    } else if (found == files.end() && disposition == win::OpenExisting) {
        lastError = FileNotFound;
    } else {
        FakeFile& file = files[key];
        if (disposition == win::CreateAlways) {
            file.bytes.clear();
            file.attributes = attributes;
        }
        if (shareMode == 0) {
            ++file.openHandles;
        }
        result = newKernelHandle(key);
        lastError = 0;
    }
    record("CreateFileA(" + quote(path) + ", " + hex(access) + ", " + std::to_string(shareMode) + ", " +
           (inheritHandle ? "inherit" : "no-inherit") + ", " + std::to_string(disposition) + ", " + hex(attributes) +
           ") = " + show(result));
    return result;
}

bool FakePlatform::writeFile(KernelHandle file, const void* bytes, std::uint32_t size) {
    record("WriteFile(" + show(file) + ", " + std::to_string(size) + ")");
    const auto found = liveKernel_.find(static_cast<std::uintptr_t>(file));
    if (found == liveKernel_.end() || files.count(found->second) == 0) {
        return false;
    }
    files[found->second].bytes.append(static_cast<const char*>(bytes), size);
    return true;
}

bool FakePlatform::setFileAttributes(const char* path, std::uint32_t attributes) {
    record("SetFileAttributesA(" + quote(path) + ", " + hex(attributes) + ")");
    const auto found = files.find(upper(path));
    if (found == files.end()) {
        return false;
    }
    found->second.attributes = attributes;
    return true;
}

bool FakePlatform::closeHandle(KernelHandle handle) {
    record("CloseHandle(" + show(handle) + ")");
    const auto found = liveKernel_.find(static_cast<std::uintptr_t>(handle));
    if (found == liveKernel_.end()) {
        return false;
    }
    const auto file = files.find(found->second);
    if (file != files.end() && file->second.openHandles > 0) {
        --file->second.openHandles;
    }
    liveKernel_.erase(found);
    return true;
}

void FakePlatform::exitProcess(std::uint32_t code) {
    record("ExitProcess(" + std::to_string(static_cast<std::int32_t>(code)) + ")");
    throw ProcessExit{code};
}

KernelHandle FakePlatform::createThread(ThreadRoutine routine, void* context) {
    if (createThreadFails) {
        record("CreateThread() = " + show(KernelHandle::none));
        return KernelHandle::none;
    }
    const KernelHandle thread = newKernelHandle("thread");
    threads_.emplace_back(routine, context);
    record("CreateThread() = " + show(thread));
    return thread;
}

LocalTime FakePlatform::getLocalTime() {
    record("GetLocalTime()");
    return now;
}

std::uint32_t FakePlatform::getLastError() {
    record("GetLastError() = " + std::to_string(lastError));
    return lastError;
}

bool FakePlatform::getVersionEx(OsVersionInfo& info) {
    record("GetVersionExA(" + std::to_string(info.dwOSVersionInfoSize) + ")");
    info.dwPlatformId = platformId;
    return info.dwOSVersionInfoSize == win::OsVersionInfoASize;
}

KernelHandle FakePlatform::getCurrentProcess() { return static_cast<KernelHandle>(~std::uintptr_t{0}); }

bool FakePlatform::openProcessToken(KernelHandle process, std::uint32_t access, KernelHandle& token) {
    token = openTokenSucceeds ? newKernelHandle("token") : KernelHandle::none;
    record("OpenProcessToken(" + show(process) + ", " + hex(access) + ") = " + show(token));
    return openTokenSucceeds;
}

bool FakePlatform::lookupPrivilegeValue(const char* systemName, const char* name, Luid& luid) {
    record("LookupPrivilegeValueA(" + quote(systemName) + ", " + quote(name) + ")");
    luid = Luid{19, 0};
    return true;
}

bool FakePlatform::adjustTokenPrivileges(KernelHandle token, Luid luid, std::uint32_t attributes) {
    record("AdjustTokenPrivileges(" + show(token) + ", FALSE, 1, " + std::to_string(luid.lowPart) + ", " +
           hex(attributes) + ", 0, null, null)");
    lastError = adjustPrivilegesError;
    return true;
}

bool FakePlatform::exitWindowsEx(std::uint32_t flags, std::uint32_t reason) {
    record("ExitWindowsEx(" + hex(flags) + ", " + std::to_string(reason) + ")");
    return exitWindowsSucceeds;
}

bool FakePlatform::setSystemPowerState(bool suspend, bool force) {
    record(std::string("SetSystemPowerState(") + (suspend ? "TRUE" : "FALSE") + ", " + (force ? "TRUE" : "FALSE") +
           ")");
    return powerStateSucceeds;
}
