// A hook DLL for the end-to-end driver: Windows (and Wine) cannot read another process's
// menu, so the driver installs `menuProbeHook` as a WH_CALLWNDPROC hook on the program's
// GUI thread. The system loads this DLL into that process, where the hook sees
// WM_INITMENUPOPUP before each pop-up opens and writes the pop-up's lines to
// "menu-probe.txt" next to the DLL:
//
//   #<pop-ups seen so far in that process>
//   <id> <caption>            a string item
//   <id> -                    a separator
//   a string item is followed by " checked", " grayed" or " popup" where they apply.
//
// The file is written whole under another name and then moved into place, so a reader
// never sees half of it.
#include <windows.h>

#include <string>

namespace {

HMODULE probeModule = nullptr;
unsigned popUpsSeen = 0;

std::string besideModule(const char* name) {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(probeModule, path, MAX_PATH);
    std::string folder(path, length);
    const std::size_t slash = folder.find_last_of("\\/");
    folder.resize(slash == std::string::npos ? 0 : slash + 1);
    return folder + name;
}

std::string describe(HMENU menu) {
    std::string lines = "#" + std::to_string(++popUpsSeen) + "\n";
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        char caption[256] = {};
        MENUITEMINFOA item{};
        item.cbSize = sizeof item;
        item.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STATE | MIIM_STRING | MIIM_SUBMENU;
        item.dwTypeData = caption;
        item.cch = sizeof caption;
        if (!GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &item)) {
            lines += "? unreadable\n";
            continue;
        }
        lines += std::to_string(item.wID) + " ";
        if ((item.fType & MFT_SEPARATOR) != 0) {
            lines += "-\n";  // separators always read as grayed: their state says nothing
            continue;
        }
        lines += caption;
        if ((item.fState & MFS_CHECKED) != 0)
            lines += " checked";
        if ((item.fState & MFS_GRAYED) != 0)
            lines += " grayed";
        if (item.hSubMenu != nullptr)
            lines += " popup";
        lines += "\n";
    }
    return lines;
}

void publish(const std::string& text) {
    const std::string target = besideModule("menu-probe.txt");
    const std::string partial = target + ".partial";
    HANDLE file =
        CreateFileA(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
    MoveFileExA(partial.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING);
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK menuProbeHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION) {
        const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (sent->message == WM_INITMENUPOPUP)
            publish(describe(reinterpret_cast<HMENU>(sent->wParam)));
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH)
        probeModule = instance;
    return TRUE;
}
