#include "core/app.h"

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

void BeginWaitCursor() {
    plat::WindowSystem::Get().BeginWaitCursor();
}

void EndWaitCursor() {
    plat::WindowSystem::Get().EndWaitCursor();
}

void SimpleBeep() {
    plat::WindowSystem::Get().Beep();
}

int32_t GetIntSetting(int sectionId, int nameId, int32_t defaultValue) {
    return App().settings.GetInt(LoadStr(sectionId), LoadStr(nameId), defaultValue);
}

bool SetIntSetting(int sectionId, int nameId, int32_t value) {
    return App().settings.SetInt(LoadStr(sectionId), LoadStr(nameId), value);
}

std::string GetStringSetting(int sectionId, int nameId, const std::string& defaultText) {
    return App().settings.GetString(LoadStr(sectionId), LoadStr(nameId), defaultText);
}

bool SetStringSetting(int sectionId, int nameId, const std::string& text) {
    return App().settings.SetString(LoadStr(sectionId), LoadStr(nameId), text);
}
