#include "common/message_box.h"

int showMessageBox(Platform& platform, const char* text, const char* title, std::uint32_t style) {
    if ((style & win::MbSystemModal) == 0) {
        style |= win::MbTaskModal;
    }
    return platform.messageBox(Hwnd::none, text, title != nullptr ? title : DefaultMessageBoxTitle, style);
}
