// The message boxes of the program: owned by the main window while it exists.
#include "core/app.h"
#include "core/app_state.h"
#include "platform/shell/message_box.h"
#include "platform/window/window_system.h"

static plat::Window* MessageOwner() {
    AppState* app = App().appState;
    if (app && plat::WindowSystem::Get().IsWindow(app->mainWindow)) {
        return app->mainWindow;
    }
    return nullptr;
}

int ShowMessage(int textId, int captionId, unsigned flags) {
    return plat::MessageBox(MessageOwner(), LoadStr(textId), LoadStr(captionId), flags);
}

int ShowMessageText(const std::string& text, unsigned flags) {
    return plat::MessageBox(MessageOwner(), text, LoadStr(kStrProgramName), flags);
}
