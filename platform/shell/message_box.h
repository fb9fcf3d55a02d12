// Message boxes as the phone shows them: full screen, an icon, the text wrapped, and the
// softkeys "Yes"/"No" or "OK".
#pragma once

#include <string>

#include "platform/window/window.h"

namespace plat {

struct MessageBoxInfo {
    std::string text;
    std::string caption;
    std::string icon;     // "question", "exclamation", "information", "error" or ""
    std::string buttons;  // "yesno" or "ok"
};

// Shows the box modally and returns IDYES, IDNO or IDOK. Back answers No (or OK).
int MessageBox(Window* owner, const std::string& text, const std::string& caption, unsigned flags);

// The box being shown now, for the automation interface; null when none.
const MessageBoxInfo* OpenMessageBox();

}  // namespace plat
