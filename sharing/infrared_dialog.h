// "Send via Infrared": the dialog that shows the transfer's progress in one status line while
// the worker sends the picture, and closes at once on Cancel whatever the worker is doing.
#pragma once

#include "platform/window/messages.h"
#include "sharing/infrared_worker.h"

struct AppState;
namespace plat {
class Window;
}

// Posted by the worker to the dialog after a successful transfer.
constexpr unsigned kTransferCompleteMessage = plat::WM_USER + 1000;

// Command "via Infrared": sends the picture under the cursor; nothing happens for a folder or
// an empty list.
void SendViaInfraredCommand(AppState* app);

// Runs the dialog for one transfer, modally over `owner`; returns when the user closed it.
void RunInfraredSendDialog(plat::Window* owner, const InfraredSendRequest& request);
