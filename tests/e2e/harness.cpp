#include "harness.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <utility>

#include "standin_marker.h"

namespace tavik::e2e {

// ---------------------------------------------------------------- timing

bool waitUntil(const std::function<bool()>& pred, DWORD timeoutMs, DWORD stepMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        if (pred())
            return true;
        if (GetTickCount64() >= deadline)
            return false;
        Sleep(stepMs);
    }
}

// ---------------------------------------------------------------- paths

std::string driverDir() {
    char buf[MAX_PATH * 2] = {};
    DWORD n = GetModuleFileNameA(nullptr, buf, sizeof buf);
    std::string path(buf, n);
    std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string tavikPath() { return driverDir() + "tavik.exe"; }
std::string targetAppPath() { return driverDir() + "target_app.exe"; }

// ---------------------------------------------------------------- environment

bool runningUnderWine() {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

std::string systemWinebootPath() {
    char dir[MAX_PATH] = {};
    UINT n = GetSystemDirectoryA(dir, MAX_PATH);
    return std::string(dir, n) + "\\wineboot.exe";
}

bool standInWinebootInstalled() {
    std::optional<std::string> bytes = readFile(systemWinebootPath());
    return bytes && bytes->find(TAVIK_WINEBOOT_STANDIN_MARKER) != std::string::npos;
}

bool winebootOverrideActive() {
    char buf[1024] = {};
    DWORD n = GetEnvironmentVariableA("WINEDLLOVERRIDES", buf, sizeof buf);
    if (n == 0 || n >= sizeof buf)
        return false;
    std::string overrides(buf, n);
    for (char& c : overrides)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    // Entries are separated by ';', each "name[,name...]=order".
    std::size_t pos = 0;
    while (pos <= overrides.size()) {
        std::size_t end = overrides.find(';', pos);
        if (end == std::string::npos)
            end = overrides.size();
        std::string entry = overrides.substr(pos, end - pos);
        std::size_t eq = entry.find('=');
        if (eq != std::string::npos && entry.substr(eq + 1) == "n") {
            std::string names = "," + entry.substr(0, eq) + ",";
            if (names.find(",wineboot.exe,") != std::string::npos || names.find(",wineboot,") != std::string::npos)
                return true;
        }
        pos = end + 1;
    }
    return false;
}

bool powerCasesAllowed() { return runningUnderWine() && standInWinebootInstalled() && winebootOverrideActive(); }

// ---------------------------------------------------------------- processes

Process::Process(Process&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)),
      pid_(std::exchange(other.pid_, 0)),
      startError_(other.startError_) {}

Process& Process::operator=(Process&& other) noexcept {
    if (this != &other) {
        release();
        handle_ = std::exchange(other.handle_, nullptr);
        pid_ = std::exchange(other.pid_, 0);
        startError_ = other.startError_;
    }
    return *this;
}

Process::~Process() { release(); }

void Process::release() {
    if (handle_) {
        if (running())
            terminate();
        CloseHandle(handle_);
        handle_ = nullptr;
    }
}

Process Process::start(const std::string& exePath, const std::string& args) {
    Process p;
    std::string cmd = "\"" + exePath + "\"";
    if (!args.empty())
        cmd += " " + args;
    std::vector<char> cmdBuf(cmd.begin(), cmd.end());
    cmdBuf.push_back('\0');

    std::string dir = exePath.substr(0, exePath.find_last_of("\\/") + 1);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(exePath.c_str(), cmdBuf.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        dir.empty() ? nullptr : dir.c_str(), &si, &pi)) {
        p.startError_ = GetLastError();
        return p;
    }
    CloseHandle(pi.hThread);
    p.handle_ = pi.hProcess;
    p.pid_ = pi.dwProcessId;
    return p;
}

bool Process::running() const { return handle_ && WaitForSingleObject(handle_, 0) == WAIT_TIMEOUT; }

std::optional<DWORD> Process::waitExit(DWORD timeoutMs) const {
    if (!handle_ || WaitForSingleObject(handle_, timeoutMs) != WAIT_OBJECT_0)
        return std::nullopt;
    DWORD code = 0;
    if (!GetExitCodeProcess(handle_, &code))
        return std::nullopt;
    return code;
}

bool Process::terminate(UINT exitCode, DWORD timeoutMs) {
    if (!handle_)
        return true;
    if (running())
        TerminateProcess(handle_, exitCode);
    return WaitForSingleObject(handle_, timeoutMs) == WAIT_OBJECT_0;
}

// ---------------------------------------------------------------- windows

std::string windowText(HWND hwnd) {
    DWORD_PTR len = 0;
    if (!SendMessageTimeoutA(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &len))
        return {};
    std::vector<char> buf(len + 2, '\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(hwnd, WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(buf.data()), SMTO_ABORTIFHUNG, 2000,
                             &copied))
        return {};
    return std::string(buf.data(), std::min<std::size_t>(copied, std::strlen(buf.data())));
}

std::string className(HWND hwnd) {
    char buf[256] = {};
    int n = GetClassNameA(hwnd, buf, sizeof buf);
    return std::string(buf, n > 0 ? n : 0);
}

DWORD windowPid(HWND hwnd) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    return pid;
}

LONG_PTR windowStyle(HWND hwnd) { return GetWindowLongPtrA(hwnd, GWL_STYLE); }
LONG_PTR windowExStyle(HWND hwnd) { return GetWindowLongPtrA(hwnd, GWL_EXSTYLE); }

bool sameText(const std::string& a, const std::string& b) { return a == b; }

bool sameClass(const std::string& a, const char* expected) { return _stricmp(a.c_str(), expected) == 0; }

Rect screenRect(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

Rect rectInParentClient(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    HWND parent = GetAncestor(hwnd, GA_PARENT);
    POINT pts[2] = {{r.left, r.top}, {r.right, r.bottom}};
    MapWindowPoints(nullptr, parent, pts, 2);
    return {pts[0].x, pts[0].y, pts[1].x - pts[0].x, pts[1].y - pts[0].y};
}

namespace {

struct EnumState {
    DWORD pid;
    bool visibleOnly;
    std::vector<HWND>* out;
};

BOOL CALLBACK collectTopLevel(HWND hwnd, LPARAM lp) {
    auto* st = reinterpret_cast<EnumState*>(lp);
    if (st->pid && windowPid(hwnd) != st->pid)
        return TRUE;
    if (st->visibleOnly && !IsWindowVisible(hwnd))
        return TRUE;
    st->out->push_back(hwnd);
    return TRUE;
}

}  // namespace

std::vector<HWND> topLevelWindows(DWORD pid, bool visibleOnly) {
    std::vector<HWND> out;
    EnumState st{pid, visibleOnly, &out};
    EnumWindows(collectTopLevel, reinterpret_cast<LPARAM>(&st));
    return out;
}

std::vector<HWND> childWindows(HWND parent, bool visibleOnly) {
    std::vector<HWND> out;
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        if (visibleOnly && !IsWindowVisible(c))
            continue;
        out.push_back(c);
    }
    return out;
}

HWND childAt(HWND parent, int left, int top) {
    for (HWND c : childWindows(parent)) {
        Rect r = rectInParentClient(c);
        if (r.left == left && r.top == top)
            return c;
    }
    return nullptr;
}

HWND childWithText(HWND parent, const std::string& text) {
    for (HWND c : childWindows(parent))
        if (windowText(c) == text)
            return c;
    return nullptr;
}

std::vector<HWND> windowsWithTitle(const std::string& title, DWORD pid, bool visibleOnly) {
    std::vector<HWND> out;
    for (HWND w : topLevelWindows(pid, visibleOnly)) {
        char buf[512] = {};
        int n = GetWindowTextA(w, buf, sizeof buf);
        if (std::string(buf, n > 0 ? n : 0) == title)
            out.push_back(w);
    }
    return out;
}

HWND waitForWindow(const std::string& title, DWORD pid, DWORD timeoutMs, const char* cls) {
    HWND found = nullptr;
    waitUntil(
        [&] {
            for (HWND w : windowsWithTitle(title, pid, true)) {
                if (cls && !sameClass(className(w), cls))
                    continue;
                found = w;
                return true;
            }
            return false;
        },
        timeoutMs);
    return found;
}

bool windowIconsReadableFromOutside() {
    static int known = -1;
    if (known >= 0)
        return known == 1;
    const std::string title = "Tavik E2E Icon Probe";
    Process probe = Process::start(targetAppPath(), "\"" + title + "\"");
    HWND w = probe.valid() ? waitForWindow(title, probe.pid(), 10000) : nullptr;
    DWORD_PTR icon = 0;
    known = w && SendMessageTimeoutA(w, WM_GETICON, ICON_BIG, 0, SMTO_ABORTIFHUNG, 2000, &icon) && icon ? 1 : 0;
    probe.terminate();
    return known == 1;
}

// ---------------------------------------------------------------- message boxes

HWND waitForMessageBox(const std::string& title, DWORD pid, DWORD timeoutMs,
                       const std::function<void()>& whileWaiting) {
    HWND found = nullptr;
    waitUntil(
        [&] {
            if (whileWaiting)
                whileWaiting();
            for (HWND w : windowsWithTitle(title, pid, true)) {
                if (!sameClass(className(w), "#32770"))
                    continue;
                found = w;
                return true;
            }
            return false;
        },
        timeoutMs);
    return found;
}

std::string messageBoxText(HWND box) {
    HWND text = GetDlgItem(box, 0xFFFF);
    return text ? windowText(text) : std::string();
}

HWND messageBoxIconControl(HWND box) {
    for (HWND c : childWindows(box, true)) {
        if (!sameClass(className(c), "Static"))
            continue;
        if ((windowStyle(c) & SS_TYPEMASK) == SS_ICON)
            return c;
    }
    return nullptr;
}

std::vector<int> messageBoxButtons(HWND box) {
    std::vector<int> ids;
    for (HWND c : childWindows(box, true))
        if (sameClass(className(c), "Button"))
            ids.push_back(GetDlgCtrlID(c));
    std::sort(ids.begin(), ids.end());
    return ids;
}

bool answerMessageBox(HWND box, int id) {
    HWND button = GetDlgItem(box, id);
    return PostMessageA(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button)) != 0;
}

const char* toString(StandardIcon icon) {
    switch (icon) {
    case StandardIcon::Warning: return "warning";
    case StandardIcon::Error: return "error";
    case StandardIcon::Information: return "information";
    case StandardIcon::Question: return "question";
    case StandardIcon::None: break;
    }
    return "none";
}

namespace {

// A 32-bit top-down DIB section of w x h with a memory DC selected into it.
struct Canvas {
    HDC dc = nullptr;
    HBITMAP bmp = nullptr;
    HGDIOBJ old = nullptr;
    const DWORD* bits = nullptr;
    int w = 0, h = 0;

    Canvas(int width, int height) : w(width), h(height) {
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof bi.bmiHeader;
        bi.bmiHeader.biWidth = w;
        bi.bmiHeader.biHeight = -h;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        bi.bmiHeader.biCompression = BI_RGB;
        void* p = nullptr;
        dc = CreateCompatibleDC(nullptr);
        bmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &p, nullptr, 0);
        bits = static_cast<const DWORD*>(p);
        old = SelectObject(dc, bmp);
    }
    ~Canvas() {
        SelectObject(dc, old);
        DeleteObject(bmp);
        DeleteDC(dc);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
};

double meanDifference(const Canvas& a, const Canvas& b) {
    double sum = 0;
    const int n = a.w * a.h;
    for (int i = 0; i < n; ++i) {
        for (int shift = 0; shift < 24; shift += 8) {
            int ca = (a.bits[i] >> shift) & 0xFF;
            int cb = (b.bits[i] >> shift) & 0xFF;
            sum += std::abs(ca - cb);
        }
    }
    return n ? sum / (3.0 * n) : 255.0;
}

}  // namespace

StandardIcon recogniseIcon(HWND iconControl, double* distance) {
    if (distance)
        *distance = 255.0;
    if (!iconControl)
        return StandardIcon::None;
    RECT client{};
    GetClientRect(iconControl, &client);
    const int w = client.right, h = client.bottom;
    if (w <= 0 || h <= 0)
        return StandardIcon::None;
    POINT origin{0, 0};
    ClientToScreen(iconControl, &origin);

    Canvas shot(w, h);
    HDC screen = GetDC(nullptr);
    BitBlt(shot.dc, 0, 0, w, h, screen, origin.x, origin.y, SRCCOPY);
    ReleaseDC(nullptr, screen);
    GdiFlush();
    // Icon corners are transparent: the top-left pixel shows the background.
    const DWORD background = shot.bits[0] & 0xFFFFFF;

    struct Candidate {
        StandardIcon kind;
        LPCSTR id;
    };
    const Candidate candidates[] = {
        {StandardIcon::Warning, MAKEINTRESOURCEA(32515)},      // IDI_WARNING / IDI_EXCLAMATION
        {StandardIcon::Error, MAKEINTRESOURCEA(32513)},        // IDI_ERROR / IDI_HAND
        {StandardIcon::Information, MAKEINTRESOURCEA(32516)},  // IDI_INFORMATION / IDI_ASTERISK
        {StandardIcon::Question, MAKEINTRESOURCEA(32514)},     // IDI_QUESTION
    };
    StandardIcon best = StandardIcon::None;
    double bestDistance = 255.0;
    for (const Candidate& c : candidates) {
        HICON icon = LoadIconA(nullptr, c.id);
        if (!icon)
            continue;
        Canvas drawn(w, h);
        HBRUSH brush = CreateSolidBrush(RGB((background >> 16) & 0xFF, (background >> 8) & 0xFF, background & 0xFF));
        RECT all{0, 0, w, h};
        FillRect(drawn.dc, &all, brush);
        DeleteObject(brush);
        DrawIconEx(drawn.dc, 0, 0, icon, w, h, 0, nullptr, DI_NORMAL);
        GdiFlush();
        double d = meanDifference(shot, drawn);
        if (d < bestDistance) {
            bestDistance = d;
            best = c.kind;
        }
    }
    if (distance)
        *distance = bestDistance;
    return best;
}

// ---------------------------------------------------------------- input

void clickButton(HWND button) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(button, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 5000, &result);
}

// ---------------------------------------------------------------- files

const char* const kMarkerPath = "C:\\WINDOWS\\Kemsy1";

bool removePath(const std::string& path) {
    DWORD attrs = GetFileAttributesA(path.c_str());
    if (attrs == INVALID_FILE_ATTRIBUTES)
        return true;
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (attrs & FILE_ATTRIBUTE_DIRECTORY)
        return RemoveDirectoryA(path.c_str()) != 0;
    return DeleteFileA(path.c_str()) != 0;
}

bool writeFile(const std::string& path, const std::string& bytes, DWORD attributes) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    BOOL ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
    if (!ok || written != bytes.size())
        return false;
    return attributes == FILE_ATTRIBUTE_NORMAL || SetFileAttributesA(path.c_str(), attributes) != 0;
}

std::optional<std::string> readFile(const std::string& path) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return std::nullopt;
    std::string out;
    char buf[65536];
    DWORD got = 0;
    while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got > 0)
        out.append(buf, got);
    CloseHandle(h);
    return out;
}

DWORD fileAttributes(const std::string& path) { return GetFileAttributesA(path.c_str()); }

std::optional<unsigned long long> fileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return std::nullopt;
    return (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

DWORD openExclusiveError(const std::string& path) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return GetLastError();
    CloseHandle(h);
    return 0;
}

bool readOnlyAttributeEnforced() {
    static int known = -1;
    if (known >= 0)
        return known == 1;
    char dir[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, dir);
    const std::string path = std::string(dir) + "tavik-e2e-readonly-probe.txt";
    removePath(path);
    known = 0;
    if (writeFile(path, "x", FILE_ATTRIBUTE_READONLY)) {
        HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE)
            known = 1;
        else
            CloseHandle(h);
    }
    removePath(path);
    return known == 1;
}

std::size_t powerRequestsSize() {
    std::optional<unsigned long long> size = fileSize(TAVIK_POWER_REQUESTS_FILE);
    return size ? static_cast<std::size_t>(*size) : 0;
}

std::vector<std::string> powerRequests(std::size_t from) {
    std::vector<std::string> lines;
    std::optional<std::string> all = readFile(TAVIK_POWER_REQUESTS_FILE);
    if (!all || from >= all->size())
        return lines;
    std::string rest = all->substr(from);
    std::size_t pos = 0;
    while (pos < rest.size()) {
        std::size_t end = rest.find('\n', pos);
        if (end == std::string::npos)
            end = rest.size();
        std::string line = rest.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
        pos = end + 1;
    }
    return lines;
}

}  // namespace tavik::e2e
