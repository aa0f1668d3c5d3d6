#pragma once

// Helpers for the end-to-end driver: start the program under test, look at its
// windows from outside, answer its message boxes and inspect the files it uses.
// Everything here works on another process's windows through the ordinary
// Win32 calls, the way a user or another program would see them.
#include <windows.h>

#include <cstddef>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace tavik::e2e {

// ---------------------------------------------------------------- timing
// Calls pred every stepMs until it returns true or timeoutMs has passed.
bool waitUntil(const std::function<bool()>& pred, DWORD timeoutMs, DWORD stepMs = 20);

// ---------------------------------------------------------------- paths
std::string driverDir();  // folder of tavik_e2e.exe, with a trailing backslash
std::string tavikPath();  // driverDir() + "tavik.exe"
std::string targetAppPath();

// ---------------------------------------------------------------- environment
bool runningUnderWine();          // ntdll exports wine_get_version
bool standInWinebootInstalled();  // system32\wineboot.exe is our stand-in
// WINEDLLOVERRIDES of this process loads wineboot.exe native (the stand-in).
// Wine takes a new process's load order from the Unix environment it inherits,
// not from the environment block given to CreateProcess, so the override has to
// be in the driver's own environment (scripts/lib/e2e.sh sets it); every
// program the driver starts, and every wineboot those start, inherit it.
bool winebootOverrideActive();
// Power actions (shutdown, reboot, ...) may only be exercised under Wine with the
// stand-in wineboot in place and loaded: anywhere else they would act on the real
// machine, or end the whole test session.
bool powerCasesAllowed();
std::string systemWinebootPath();

// ---------------------------------------------------------------- processes
// A process started by a test. The destructor ends it (by its handle) if it is
// still running, so no test leaves a copy behind.
class Process {
public:
    Process() = default;
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    Process(Process&& other) noexcept;
    Process& operator=(Process&& other) noexcept;
    ~Process();

    // Starts exePath with the given argument string (appended to the quoted path),
    // in the folder of exePath, with the driver's environment.
    static Process start(const std::string& exePath, const std::string& args = "");

    bool valid() const { return handle_ != nullptr; }
    DWORD pid() const { return pid_; }
    HANDLE handle() const { return handle_; }
    DWORD startError() const { return startError_; }

    bool running() const;
    // Waits for the process to end; returns its exit code, or nothing on time-out.
    std::optional<DWORD> waitExit(DWORD timeoutMs) const;
    // TerminateProcess + wait for the end. Returns true once it has ended.
    bool terminate(UINT exitCode = 1, DWORD timeoutMs = 5000);

private:
    void release();
    HANDLE handle_ = nullptr;
    DWORD pid_ = 0;
    DWORD startError_ = 0;
};

// ---------------------------------------------------------------- windows
std::string windowText(HWND hwnd);  // WM_GETTEXT bytes (ANSI code page)
std::string className(HWND hwnd);
DWORD windowPid(HWND hwnd);
LONG_PTR windowStyle(HWND hwnd);
LONG_PTR windowExStyle(HWND hwnd);
bool sameText(const std::string& a, const std::string& b);   // exact bytes
bool sameClass(const std::string& a, const char* expected);  // case-insensitive

struct Rect {
    int left = 0, top = 0, width = 0, height = 0;
};
Rect screenRect(HWND hwnd);          // GetWindowRect as left/top/width/height
Rect rectInParentClient(HWND hwnd);  // window rect relative to its parent's client area

// Top-level windows in Z order, optionally only those of one process / only visible ones.
std::vector<HWND> topLevelWindows(DWORD pid = 0, bool visibleOnly = false);
// Direct children of parent in Z order.
std::vector<HWND> childWindows(HWND parent, bool visibleOnly = false);
// First direct child whose rect relative to the parent's client area starts at (left, top).
HWND childAt(HWND parent, int left, int top);
// First direct child with exactly this text.
HWND childWithText(HWND parent, const std::string& text);

// Top-level windows of pid with exactly this title (pid 0: any process).
std::vector<HWND> windowsWithTitle(const std::string& title, DWORD pid, bool visibleOnly);
// Waits for a visible top-level window of pid with that title (and class, if given).
HWND waitForWindow(const std::string& title, DWORD pid, DWORD timeoutMs, const char* cls = nullptr);

// Whether WM_GETICON can be answered across processes here. Wine 8 fails such
// a send (icons are per-process objects there); Windows answers it. Probed once
// with target_app.exe, which sets both icons.
bool windowIconsReadableFromOutside();

// ---------------------------------------------------------------- message boxes
// A message box is a "#32770" dialog; its text is the static control 0xFFFF.
HWND waitForMessageBox(const std::string& title, DWORD pid, DWORD timeoutMs,
                       const std::function<void()>& whileWaiting = {});
std::string messageBoxText(HWND box);
HWND messageBoxIconControl(HWND box);          // visible SS_ICON static, or nullptr
std::vector<int> messageBoxButtons(HWND box);  // ids of visible BUTTON children
// Answers like a click on the button with that id (posted, so it never blocks).
bool answerMessageBox(HWND box, int id);

enum class StandardIcon { None, Warning, Error, Information, Question };
const char* toString(StandardIcon icon);
inline void PrintTo(StandardIcon icon, std::ostream* os) { *os << toString(icon); }
// Which of the standard message box icons the icon control shows, told by
// comparing the pixels on screen with each icon drawn by this process.
// distance receives the mean per-channel difference of the best match (0..255).
StandardIcon recogniseIcon(HWND iconControl, double* distance = nullptr);

// ---------------------------------------------------------------- input
void clickButton(HWND button);  // BM_CLICK, sent

// ---------------------------------------------------------------- files
extern const char* const kMarkerPath;  // C:\WINDOWS\Kemsy1
// Removes a file or an empty folder at path, whatever its attributes.
bool removePath(const std::string& path);
bool writeFile(const std::string& path, const std::string& bytes, DWORD attributes = FILE_ATTRIBUTE_NORMAL);
std::optional<std::string> readFile(const std::string& path);
DWORD fileAttributes(const std::string& path);  // INVALID_FILE_ATTRIBUTES if missing
std::optional<unsigned long long> fileSize(const std::string& path);
// Tries to open path with share mode 0. Returns 0 on success or the error code.
DWORD openExclusiveError(const std::string& path);
// Whether a file with FILE_ATTRIBUTE_READONLY refuses to be opened for writing.
// Wine run as root lets root write it (the attribute is only the Unix mode).
bool readOnlyAttributeEnforced();

// Lines the stand-in wineboot recorded, from byte offset `from` of its file.
std::vector<std::string> powerRequests(std::size_t from = 0);
std::size_t powerRequestsSize();

}  // namespace tavik::e2e
