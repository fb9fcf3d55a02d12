#include "core/app.h"

#include "core/app_state.h"
#include "platform/shell/message_box.h"
#include "platform/window/window_system.h"
#include "resources/strings.h"

AppContext& App() {
    static AppContext context;
    return context;
}

std::string LoadStr(int id) {
    const char* text = res::StringResource(id);
    return text ? std::string(text) : std::string();
}

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
    return plat::MessageBox(MessageOwner(), text, LoadStr(ids::kProgramName), flags);
}

void BeginWaitCursor() {
    plat::WindowSystem::Get().BeginWaitCursor();
}

void EndWaitCursor() {
    plat::WindowSystem::Get().EndWaitCursor();
}

void SimpleBeep() {
    plat::WindowSystem::Get().Beep();
}
