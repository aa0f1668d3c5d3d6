// The one place that talks to Windows. Each Platform call is the Windows call of the
// same name; the window procedures below decode messages into WindowEvents calls.

#include "platform/win32_platform.h"

#include <windows.h>
#include <windowsx.h>
#include <commctrl.h>
#include <shellapi.h>

#include <cstring>
#include <new>

namespace {

// Our constants must be the system's.
static_assert(win::WmHotkey == WM_HOTKEY && win::WmSetCursor == WM_SETCURSOR && win::WmApp == WM_APP);
static_assert(win::WmSetText == WM_SETTEXT && win::WmGetText == WM_GETTEXT &&
              win::WmGetTextLength == WM_GETTEXTLENGTH && win::WmClose == WM_CLOSE);
static_assert(win::WmContextMenu == WM_CONTEXTMENU && win::WmLButtonDblClk == WM_LBUTTONDBLCLK &&
              win::WmRButtonUp == WM_RBUTTONUP && win::WmLButtonUp == WM_LBUTTONUP);
static_assert(win::EmLimitText == EM_LIMITTEXT && win::BmGetCheck == BM_GETCHECK && win::EnChange == EN_CHANGE);
static_assert(win::WsCaption == WS_CAPTION && win::WsSysMenu == WS_SYSMENU && win::WsMinimizeBox == WS_MINIMIZEBOX &&
              win::WsClipChildren == WS_CLIPCHILDREN && win::WsChild == WS_CHILD && win::WsTabStop == WS_TABSTOP);
static_assert(win::BsGroupBox == BS_GROUPBOX && win::BsAutoRadioButton == BS_AUTORADIOBUTTON &&
              win::BsCenter == BS_CENTER && win::BsVCenter == BS_VCENTER && win::BsMultiLine == BS_MULTILINE &&
              win::BsLeft == BS_LEFT && win::EsAutoHScroll == ES_AUTOHSCROLL);
static_assert(win::WsExClientEdge == WS_EX_CLIENTEDGE && win::WsExControlParent == WS_EX_CONTROLPARENT);
static_assert(win::SwShowNa == SW_SHOWNA && win::SwShowNormal == SW_SHOWNORMAL && win::SmCyEdge == SM_CYEDGE);
static_assert(win::MbTaskModal == MB_TASKMODAL && win::MbSystemModal == MB_SYSTEMMODAL &&
              win::MbIconExclamation == MB_ICONEXCLAMATION && win::MbIconError == MB_ICONERROR);
static_assert(win::NimAdd == NIM_ADD && win::NimModify == NIM_MODIFY && win::NimDelete == NIM_DELETE &&
              win::NifTip == NIF_TIP);
static_assert(win::NotifyIconDataV1Size == NOTIFYICONDATAA_V1_SIZE);
static_assert(win::MfSeparator == MF_SEPARATOR && win::MfPopup == MF_POPUP && win::MfChecked == MF_CHECKED &&
              win::TpmRightButton == TPM_RIGHTBUTTON);
static_assert(win::GenericWrite == GENERIC_WRITE && win::CreateAlways == CREATE_ALWAYS &&
              win::OpenExisting == OPEN_EXISTING && win::FileAttributeNormal == FILE_ATTRIBUTE_NORMAL);
static_assert(win::TokenAdjustPrivileges == TOKEN_ADJUST_PRIVILEGES && win::TokenQuery == TOKEN_QUERY &&
              win::SePrivilegeEnabled == SE_PRIVILEGE_ENABLED && win::VerPlatformWin32Nt == VER_PLATFORM_WIN32_NT);
static_assert(win::OsVersionInfoASize == sizeof(OSVERSIONINFOA));
static_assert(win::EwxPowerOff == EWX_POWEROFF && win::EwxForce == EWX_FORCE && win::EwxReboot == EWX_REBOOT);
static_assert(win::ErrorNotAllAssigned == ERROR_NOT_ALL_ASSIGNED);
static_assert(win::ModAlt == MOD_ALT && win::ModControl == MOD_CONTROL && win::ModShift == MOD_SHIFT);
static_assert(win::SmtoAbortIfHung == SMTO_ABORTIFHUNG && win::UdnDeltaPos == UDN_DELTAPOS);

// Marks a stored text colour, so that black (0) is told apart from "no colour".
constexpr LONG_PTR ColourSet = LONG_PTR{1} << 24;
// Window extra bytes of the label class: the font given by WM_SETFONT.
constexpr int LabelFontSlot = 0;
constexpr int PictureSize = 32;

HWND toHwnd(Hwnd window) { return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(window)); }
Hwnd fromHwnd(HWND window) { return static_cast<Hwnd>(reinterpret_cast<std::uintptr_t>(window)); }
HICON toHicon(IconHandle icon) { return reinterpret_cast<HICON>(static_cast<std::uintptr_t>(icon)); }
IconHandle fromHicon(HICON icon) { return static_cast<IconHandle>(reinterpret_cast<std::uintptr_t>(icon)); }
HMENU toHmenu(MenuHandle menu) { return reinterpret_cast<HMENU>(static_cast<std::uintptr_t>(menu)); }
MenuHandle fromHmenu(HMENU menu) { return static_cast<MenuHandle>(reinterpret_cast<std::uintptr_t>(menu)); }
HANDLE toHandle(KernelHandle handle) { return reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(handle)); }
KernelHandle fromHandle(HANDLE handle) { return static_cast<KernelHandle>(reinterpret_cast<std::uintptr_t>(handle)); }

UINT taskbarCreatedMessage = 0;
WNDPROC buttonWindowProc = nullptr;

// The events of the program's top-level window that `window` belongs to.
WindowEvents* eventsOf(HWND window) {
    HWND root = GetAncestor(window, GA_ROOT);
    if (root == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<WindowEvents*>(GetWindowLongPtrA(root, GWLP_USERDATA));
}

LRESULT colourControl(HDC dc, HWND control) {
    const LONG_PTR colour = GetWindowLongPtrA(control, GWLP_USERDATA);
    if ((colour & ColourSet) != 0) {
        SetTextColor(dc, static_cast<COLORREF>(colour & 0xFFFFFF));
    }
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

LRESULT routeNotify(WindowEvents& events, LPARAM lParam) {
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header->code == UDN_DELTAPOS) {
        const auto* change = reinterpret_cast<const NMUPDOWN*>(lParam);
        events.onSpinnerDelta(fromHwnd(header->hwndFrom), change->iDelta);
    }
    return 0;
}

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* events = reinterpret_cast<WindowEvents*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (events == nullptr) {
        return DefWindowProcA(window, message, wParam, lParam);
    }
    // One line a message: kept as a table.
    // clang-format off
    switch (message) {
    case WM_CLOSE: return events->onClose() ? DefWindowProcA(window, message, wParam, lParam) : 0;
    case WM_DESTROY: events->onDestroy(); PostQuitMessage(0); return 0;
    case WM_NCDESTROY: SetWindowLongPtrA(window, GWLP_USERDATA, 0); break;
    case WM_COMMAND: events->onCommand(LOWORD(wParam), HIWORD(wParam), fromHwnd(reinterpret_cast<HWND>(lParam))); return 0;
    case WM_NOTIFY: return routeNotify(*events, lParam);
    case WM_HOTKEY: events->onHotkey(wParam); break;
    case WM_SETCURSOR: if (events->onSetCursor(fromHwnd(reinterpret_cast<HWND>(wParam)))) { return TRUE; } break;
    case WM_QUERYENDSESSION: return TRUE;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: return colourControl(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case TrayCallbackMessage: events->onTrayNotification(lParam); return 0;
    default:
        if (message == taskbarCreatedMessage && taskbarCreatedMessage != 0) { events->onTaskbarCreated(); return 0; }
        break;
    }
    // clang-format on
    return DefWindowProcA(window, message, wParam, lParam);
}

// Group boxes hold controls of their own: pass what those report on to the main window.
LRESULT CALLBACK groupBoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: return SendMessageA(GetAncestor(window, GA_ROOT), message, wParam, lParam);
    case WM_ERASEBKGND: {
        // The button class leaves its background alone, and the main window clips its
        // children: without this the inside of the frame would never be painted.
        RECT client;
        GetClientRect(window, &client);
        FillRect(reinterpret_cast<HDC>(wParam), &client, GetSysColorBrush(COLOR_BTNFACE));
        return TRUE;
    }
    default: return CallWindowProcA(buttonWindowProc, window, message, wParam, lParam);
    }
}

void paintLabel(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    char text[512];
    const int length = GetWindowTextA(window, text, sizeof text);
    RECT client;
    GetClientRect(window, &client);
    // The whole area is painted here, so a caption change needs no erase beforehand.
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    auto font = reinterpret_cast<HFONT>(GetWindowLongPtrA(window, LabelFontSlot));
    HGDIOBJ previousFont = font != nullptr ? SelectObject(dc, font) : nullptr;
    const LONG_PTR colour = GetWindowLongPtrA(window, GWLP_USERDATA);
    SetTextColor(dc, static_cast<COLORREF>(colour & 0xFFFFFF));
    SetBkMode(dc, TRANSPARENT);
    DrawTextA(dc, text, length, &client, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    if (previousFont != nullptr) {
        SelectObject(dc, previousFont);
    }
    EndPaint(window, &paint);
}

LRESULT CALLBACK labelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: paintLabel(window); return 0;
    case WM_ERASEBKGND: return 1;  // painted whole in WM_PAINT
    case WM_SETFONT: SetWindowLongPtrA(window, LabelFontSlot, static_cast<LONG_PTR>(wParam)); return 0;
    case WM_GETFONT: return GetWindowLongPtrA(window, LabelFontSlot);
    default: return DefWindowProcA(window, message, wParam, lParam);
    }
}

void paintPicture(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    auto icon = reinterpret_cast<HICON>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (icon != nullptr) {
        DrawIconEx(dc, 0, 0, icon, PictureSize, PictureSize, 0, nullptr, DI_NORMAL);
    }
    EndPaint(window, &paint);
}

LRESULT CALLBACK pictureProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    WindowEvents* events = eventsOf(window);
    switch (message) {
    case WM_PAINT: paintPicture(window); return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
        if (events != nullptr) {
            events->onPictureButton(fromHwnd(window), message == WM_LBUTTONDOWN, GET_X_LPARAM(lParam),
                                    GET_Y_LPARAM(lParam), static_cast<std::uint32_t>(wParam));
        }
        return 0;
    default: return DefWindowProcA(window, message, wParam, lParam);
    }
}

LRESULT CALLBACK timerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER) {
        if (WindowEvents* events = eventsOf(window)) {
            events->onTimer(fromHwnd(window), wParam);
        }
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void registerClass(const char* name, WNDPROC procedure, int extraBytes, HCURSOR cursor) {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    // No CS_DBLCLKS: a quick second press on the picker's target is a press like any other.
    windowClass.style = 0;
    windowClass.lpfnWndProc = procedure;
    windowClass.cbWndExtra = extraBytes;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = cursor;  // shared system cursor: never destroyed
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = name;
    RegisterClassExA(&windowClass);
}

struct ThreadStart {
    ThreadRoutine routine;
    void* context;
};

DWORD WINAPI threadTrampoline(LPVOID parameter) {
    const ThreadStart start = *static_cast<ThreadStart*>(parameter);
    delete static_cast<ThreadStart*>(parameter);
    start.routine(start.context);
    return 0;
}

using FindWindowFunction = HWND(WINAPI*)(LPCSTR, LPCSTR);
using ShowWindowFunction = BOOL(WINAPI*)(HWND, int);

class Win32Platform final : public Platform {
public:
    Win32Platform() {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_UPDOWN_CLASS};
        InitCommonControlsEx(&controls);
        HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
        registerClass(windowclass::Main, mainWindowProc, 0, arrow);
        registerClass(windowclass::Label, labelProc, sizeof(LONG_PTR), arrow);
        registerClass(windowclass::Picture, pictureProc, 0, arrow);
        registerClass(windowclass::Timer, timerProc, 0, arrow);
        taskbarCreatedMessage = RegisterWindowMessageA("TaskbarCreated");
    }

    Hwnd createWindowEx(std::uint32_t exStyle, const char* className, const char* title, std::uint32_t style, int x,
                        int y, int width, int height, Hwnd parent, std::uintptr_t controlId,
                        WindowEvents* events) override {
        HWND window = CreateWindowExA(exStyle, className, title, style, x, y, width, height, toHwnd(parent),
                                      reinterpret_cast<HMENU>(controlId), GetModuleHandleA(nullptr), events);
        if (window != nullptr && (style & 0xF) == BS_GROUPBOX && lstrcmpiA(className, WC_BUTTONA) == 0) {
            buttonWindowProc = reinterpret_cast<WNDPROC>(
                SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(groupBoxProc)));
        }
        return fromHwnd(window);
    }
    bool destroyWindow(Hwnd window) override { return DestroyWindow(toHwnd(window)) != FALSE; }
    bool showWindow(Hwnd window, int command) override { return ShowWindow(toHwnd(window), command) != FALSE; }
    bool moveWindow(Hwnd window, int x, int y, int width, int height) override {
        return MoveWindow(toHwnd(window), x, y, width, height, TRUE) != FALSE;
    }
    Rect getWindowRect(Hwnd window) override {
        RECT rect{};
        GetWindowRect(toHwnd(window), &rect);
        return Rect{rect.left, rect.top, rect.right, rect.bottom};
    }
    Hwnd getParent(Hwnd window) override { return fromHwnd(GetParent(toHwnd(window))); }
    Hwnd getNextWindow(Hwnd window) override { return fromHwnd(GetWindow(toHwnd(window), GW_HWNDNEXT)); }
    bool isWindow(Hwnd window) override { return IsWindow(toHwnd(window)) != FALSE; }
    bool isWindowVisible(Hwnd window) override { return IsWindowVisible(toHwnd(window)) != FALSE; }
    bool invalidateRect(Hwnd window, bool erase) override {
        return InvalidateRect(toHwnd(window), nullptr, erase ? TRUE : FALSE) != FALSE;
    }
    bool updateWindow(Hwnd window) override { return UpdateWindow(toHwnd(window)) != FALSE; }
    bool setForegroundWindow(Hwnd window) override { return SetForegroundWindow(toHwnd(window)) != FALSE; }
    std::intptr_t sendMessage(Hwnd window, std::uint32_t message, std::uintptr_t wParam,
                              std::intptr_t lParam) override {
        return SendMessageA(toHwnd(window), message, wParam, lParam);
    }
    bool sendMessageTimeout(Hwnd window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam,
                            std::uint32_t flags, std::uint32_t timeoutMs, std::intptr_t& result) override {
        DWORD_PTR answer = 0;
        if (message == WM_GETTEXTLENGTH) {
            // Wine answers an ANSI WM_GETTEXTLENGTH for a window of another process by
            // sending it an unbounded WM_GETTEXT of its own, so a window that has stopped
            // answering would hold the caller despite the time-out. The Unicode length is
            // asked instead, within the bound; doubled, it covers a double-byte character
            // for each, and WM_GETTEXTLENGTH may answer more than the text's length.
            const LRESULT sent =
                SendMessageTimeoutW(toHwnd(window), message, wParam, lParam, flags, timeoutMs, &answer);
            constexpr DWORD_PTR Largest = static_cast<DWORD_PTR>(INTPTR_MAX);
            result = static_cast<std::intptr_t>(answer > Largest / 2 ? Largest : answer * 2);
            return sent != 0;
        }
        const LRESULT sent = SendMessageTimeoutA(toHwnd(window), message, wParam, lParam, flags, timeoutMs, &answer);
        result = static_cast<std::intptr_t>(answer);
        return sent != 0;
    }
    bool postMessage(Hwnd window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override {
        return PostMessageA(toHwnd(window), message, wParam, lParam) != FALSE;
    }
    std::uint32_t registerWindowMessage(const char* name) override { return RegisterWindowMessageA(name); }
    int getSystemMetrics(int index) override { return GetSystemMetrics(index); }
    FontHandle defaultGuiFont() override {
        return static_cast<FontHandle>(reinterpret_cast<std::uintptr_t>(GetStockObject(DEFAULT_GUI_FONT)));
    }
    int fontLineHeight(FontHandle font) override {
        HDC dc = GetDC(nullptr);
        HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HGDIOBJ>(static_cast<std::uintptr_t>(font)));
        TEXTMETRICA metrics{};
        GetTextMetricsA(dc, &metrics);
        SelectObject(dc, previous);
        ReleaseDC(nullptr, dc);
        return metrics.tmHeight;
    }
    void setTextColour(Hwnd control, Rgb colour) override {
        SetWindowLongPtrA(toHwnd(control), GWLP_USERDATA,
                          ColourSet | static_cast<LONG_PTR>(RGB(colour.red, colour.green, colour.blue)));
    }
    void setPictureIcon(Hwnd picture, IconHandle icon) override {
        SetWindowLongPtrA(toHwnd(picture), GWLP_USERDATA, static_cast<LONG_PTR>(icon));
    }

    bool setTimer(Hwnd window, std::uintptr_t id, std::uint32_t periodMs) override {
        return SetTimer(toHwnd(window), id, periodMs, nullptr) != 0;
    }
    bool killTimer(Hwnd window, std::uintptr_t id) override { return KillTimer(toHwnd(window), id) != FALSE; }

    int runMessageLoop(Hwnd dialogWindow) override {
        MSG message{};
        while (GetMessageA(&message, nullptr, 0, 0) > 0) {
            HWND dialog = toHwnd(dialogWindow);
            // Enter presses no button: the dialog keyboard handling would click a push
            // button that has the focus, so Enter goes to the focused control as it is.
            const bool enter =
                (message.message == WM_KEYDOWN || message.message == WM_KEYUP || message.message == WM_CHAR) &&
                message.wParam == VK_RETURN;
            if (!enter && IsWindow(dialog) && IsDialogMessageA(dialog, &message)) {
                continue;
            }
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        return static_cast<int>(message.wParam);
    }
    void pumpPendingMessages() override {
        MSG message{};
        while (PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE) && message.message != WM_QUIT) {
            if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
                break;
            }
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }

    int messageBox(Hwnd owner, const char* text, const char* title, std::uint32_t style) override {
        return MessageBoxA(toHwnd(owner), text, title, style);
    }

    MenuHandle createMenu() override { return fromHmenu(CreateMenu()); }
    MenuHandle createPopupMenu() override { return fromHmenu(CreatePopupMenu()); }
    bool appendMenu(MenuHandle menu, std::uint32_t flags, std::uintptr_t idOrSubMenu, const char* caption) override {
        return AppendMenuA(toHmenu(menu), flags, idOrSubMenu, caption) != FALSE;
    }
    int trackPopupMenu(MenuHandle menu, std::uint32_t flags, int x, int y, Hwnd owner) override {
        return TrackPopupMenu(toHmenu(menu), flags, x, y, 0, toHwnd(owner), nullptr);
    }
    bool destroyMenu(MenuHandle menu) override { return DestroyMenu(toHmenu(menu)) != FALSE; }

    IconHandle createIconFromResourceEx(const unsigned char* bits, std::uint32_t size, bool icon, std::uint32_t version,
                                        int width, int height, std::uint32_t flags) override {
        return fromHicon(CreateIconFromResourceEx(const_cast<PBYTE>(bits), size, icon ? TRUE : FALSE, version, width,
                                                  height, flags));
    }
    IconHandle createIconFromResource(const unsigned char* bits, std::uint32_t size, bool icon,
                                      std::uint32_t version) override {
        return fromHicon(CreateIconFromResource(const_cast<PBYTE>(bits), size, icon ? TRUE : FALSE, version));
    }
    bool destroyIcon(IconHandle icon) override { return DestroyIcon(toHicon(icon)) != FALSE; }
    bool destroyCursor(IconHandle cursor) override { return DestroyCursor(toHicon(cursor)) != FALSE; }
    IconHandle setCursor(IconHandle cursor) override { return fromHicon(SetCursor(toHicon(cursor))); }
    Point getCursorPos() override {
        POINT point{};
        GetCursorPos(&point);
        return Point{point.x, point.y};
    }
    bool setCursorPos(int x, int y) override { return SetCursorPos(x, y) != FALSE; }
    Hwnd setCapture(Hwnd window) override { return fromHwnd(SetCapture(toHwnd(window))); }
    bool releaseCapture() override { return ReleaseCapture() != FALSE; }
    Hwnd windowFromPoint(Point point) override { return fromHwnd(WindowFromPoint(POINT{point.x, point.y})); }

    bool shellNotifyIcon(std::uint32_t message, const NotifyIconData& data) override {
        NOTIFYICONDATAA native{};
        native.cbSize = data.cbSize;
        native.hWnd = toHwnd(data.hWnd);
        native.uID = data.uID;
        native.uFlags = data.uFlags;
        native.uCallbackMessage = data.uCallbackMessage;
        native.hIcon = toHicon(data.hIcon);
        static_assert(sizeof native.szTip >= sizeof data.szTip);
        std::memcpy(native.szTip, data.szTip, sizeof data.szTip);
        return Shell_NotifyIconA(message, &native) != FALSE;
    }

    bool registerHotKey(Hwnd window, int id, std::uint32_t modifiers, std::uint32_t virtualKey) override {
        return RegisterHotKey(toHwnd(window), id, modifiers, virtualKey) != FALSE;
    }

    bool bindByName() override {
        if (findWindow_ != nullptr && showWindow_ != nullptr) {
            return true;
        }
        if (user32_ == nullptr) {
            user32_ = LoadLibraryA("user32.dll");
        }
        if (user32_ == nullptr) {
            return false;
        }
        findWindow_ =
            reinterpret_cast<FindWindowFunction>(reinterpret_cast<void*>(GetProcAddress(user32_, "FindWindowA")));
        showWindow_ =
            reinterpret_cast<ShowWindowFunction>(reinterpret_cast<void*>(GetProcAddress(user32_, "ShowWindow")));
        return findWindow_ != nullptr && showWindow_ != nullptr;
    }
    Hwnd boundFindWindow(const char* className, const char* title) override {
        return fromHwnd(findWindow_(className, title));
    }
    bool boundShowWindow(Hwnd window, int command) override { return showWindow_(toHwnd(window), command) != FALSE; }
    void unloadBoundLibraries() override {
        if (user32_ != nullptr) {
            FreeLibrary(user32_);
        }
        user32_ = nullptr;
        findWindow_ = nullptr;
        showWindow_ = nullptr;
    }

    KernelHandle findFirstFile(const char* path) override {
        WIN32_FIND_DATAA found{};
        return fromHandle(FindFirstFileA(path, &found));
    }
    bool findClose(KernelHandle search) override { return FindClose(toHandle(search)) != FALSE; }
    KernelHandle createFile(const char* path, std::uint32_t access, std::uint32_t shareMode, bool inheritHandle,
                            std::uint32_t disposition, std::uint32_t attributes) override {
        SECURITY_ATTRIBUTES security{sizeof security, nullptr, inheritHandle ? TRUE : FALSE};
        return fromHandle(CreateFileA(path, access, shareMode, &security, disposition, attributes, nullptr));
    }
    bool writeFile(KernelHandle file, const void* bytes, std::uint32_t size) override {
        DWORD written = 0;
        return WriteFile(toHandle(file), bytes, size, &written, nullptr) != FALSE && written == size;
    }
    bool setFileAttributes(const char* path, std::uint32_t attributes) override {
        return SetFileAttributesA(path, attributes) != FALSE;
    }
    bool closeHandle(KernelHandle handle) override { return CloseHandle(toHandle(handle)) != FALSE; }

    [[noreturn]] void exitProcess(std::uint32_t code) override { ExitProcess(code); }
    KernelHandle createThread(ThreadRoutine routine, void* context) override {
        auto* start = new (std::nothrow) ThreadStart{routine, context};
        if (start == nullptr) {
            return KernelHandle::none;
        }
        HANDLE thread = CreateThread(nullptr, 0, threadTrampoline, start, 0, nullptr);
        if (thread == nullptr) {
            delete start;
        }
        return fromHandle(thread);
    }
    LocalTime getLocalTime() override {
        SYSTEMTIME now{};
        GetLocalTime(&now);
        return LocalTime{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
    }
    std::uint32_t getLastError() override { return GetLastError(); }

    bool getVersionEx(OsVersionInfo& info) override {
        OSVERSIONINFOA native{};
        native.dwOSVersionInfoSize = info.dwOSVersionInfoSize;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
        const BOOL ok = GetVersionExA(&native);
#pragma GCC diagnostic pop
        info.dwMajorVersion = native.dwMajorVersion;
        info.dwMinorVersion = native.dwMinorVersion;
        info.dwBuildNumber = native.dwBuildNumber;
        info.dwPlatformId = native.dwPlatformId;
        return ok != FALSE;
    }
    KernelHandle getCurrentProcess() override { return fromHandle(GetCurrentProcess()); }
    bool openProcessToken(KernelHandle process, std::uint32_t access, KernelHandle& token) override {
        HANDLE opened = nullptr;
        const BOOL ok = OpenProcessToken(toHandle(process), access, &opened);
        token = fromHandle(opened);
        return ok != FALSE;
    }
    bool lookupPrivilegeValue(const char* systemName, const char* name, Luid& luid) override {
        LUID native{};
        const BOOL ok = LookupPrivilegeValueA(systemName, name, &native);
        luid = Luid{native.LowPart, native.HighPart};
        return ok != FALSE;
    }
    bool adjustTokenPrivileges(KernelHandle token, Luid luid, std::uint32_t attributes) override {
        TOKEN_PRIVILEGES privileges{};
        privileges.PrivilegeCount = 1;
        privileges.Privileges[0].Luid.LowPart = luid.lowPart;
        privileges.Privileges[0].Luid.HighPart = luid.highPart;
        privileges.Privileges[0].Attributes = attributes;
        return AdjustTokenPrivileges(toHandle(token), FALSE, &privileges, 0, nullptr, nullptr) != FALSE;
    }
    bool exitWindowsEx(std::uint32_t flags, std::uint32_t reason) override {
        return ExitWindowsEx(flags, reason) != FALSE;
    }
    bool setSystemPowerState(bool suspend, bool force) override {
        return SetSystemPowerState(suspend ? TRUE : FALSE, force ? TRUE : FALSE) != FALSE;
    }

private:
    HMODULE user32_ = nullptr;
    FindWindowFunction findWindow_ = nullptr;
    ShowWindowFunction showWindow_ = nullptr;
};

}  // namespace

Platform& win32Platform() {
    static Win32Platform platform;
    return platform;
}
