#include "sharing/send_mail.h"

#include "core/app_state.h"
#include "core/file_list.h"
#include "platform/os/process.h"

std::string MailCommandLine(const std::string& path) {
    return "-attach \"" + path + "\"";
}

void SendPictureByMail(AppState* app) {
    const FileEntry* entry = app->fileList->GetCurrentEntry();
    if (!entry || entry->isFolder) {
        return;
    }
    const std::string path = app->fileList->FullPath(app->fileList->currentIndex);
    plat::Processes::Instance().Start(kMailProgram, MailCommandLine(path));
}
