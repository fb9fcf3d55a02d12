#include "sharing/infrared_dialog.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

#include "core/app.h"
#include "core/app_state.h"
#include "core/file_list.h"
#include "platform/os/ir_link.h"
#include "platform/os/wake_signal.h"
#include "platform/os/worker_clock.h"
#include "platform/toolkit/dialog.h"
#include "platform/window/sound.h"
#include "resources/artwork.h"
#include "resources/dialogs.h"
#include "resources/resource_ids.h"
#include "resources/strings.h"

namespace {

// The status line changed; the new text waits in the transfer's shared state.
constexpr unsigned kStatusChangedMessage = plat::WM_USER + 1001;
// How long closing the dialog waits for a stopped worker to return before letting it finish
// on its own. Every wait of the worker watches the wake signal, so it returns at once; only a
// host file system that hangs could keep it longer.
constexpr auto kStopWait = std::chrono::seconds(2);

// What the dialog and its worker share. The worker's thread holds it too, so it stays valid
// however long the worker takes to end; once abandoned nothing reaches the dialog any more.
class SharedTransfer : public InfraredStatusSink {
  public:
    SharedTransfer(plat::Window* dialog, const InfraredSendRequest& what)
        : request(what), link(plat::OpenIrLink(wake)), dialog_(dialog) {}

    void Status(const std::string& text) override {
        std::lock_guard<std::mutex> lock(mutex_);
        if (abandoned_) {
            return;
        }
        status_ = text;
        if (!statusPosted_) {
            statusPosted_ = true;
            dialog_->Post(kStatusChangedMessage);
        }
    }
    void TransferComplete() override {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!abandoned_) {
            dialog_->Post(kTransferCompleteMessage);
        }
    }

    std::string TakeStatus() {
        std::lock_guard<std::mutex> lock(mutex_);
        statusPosted_ = false;
        return status_;
    }
    void Abandon() {
        std::lock_guard<std::mutex> lock(mutex_);
        abandoned_ = true;
    }
    void MarkEnded() {
        std::lock_guard<std::mutex> lock(mutex_);
        ended_ = true;
        endedChanged_.notify_all();
    }
    bool WaitEnded() {
        std::unique_lock<std::mutex> lock(mutex_);
        return endedChanged_.wait_for(lock, kStopWait, [this] { return ended_; });
    }

    const InfraredSendRequest request;
    plat::WakeSignal wake;
    const std::unique_ptr<plat::IrLink> link;

  private:
    std::mutex mutex_;
    std::condition_variable endedChanged_;
    plat::Window* dialog_;
    std::string status_;
    bool statusPosted_ = false;
    bool abandoned_ = false;
    bool ended_ = false;
};

// The worker thread of one dialog.
class Transfer {
  public:
    Transfer() = default;
    Transfer(const Transfer&) = delete;
    Transfer& operator=(const Transfer&) = delete;
    ~Transfer() { Stop(); }

    bool Start(plat::Window* dialog, const InfraredSendRequest& request) {
        shared_ = std::make_shared<SharedTransfer>(dialog, request);
        // Counted as running from now, before the thread is scheduled.
        auto ticket = std::make_unique<plat::WorkerClock::Ticket>();
        try {
            thread_ = std::thread([shared = shared_, ticket = std::move(ticket)]() mutable {
                InfraredSendWorker(shared->request, shared->link.get(), shared->wake, ticket.get(),
                                   shared.get());
                ticket.reset();
                shared->MarkEnded();
            });
        } catch (const std::system_error&) {
            shared_.reset();
            return false;
        }
        return true;
    }

    // Nothing reaches the dialog any more; the worker is woken from whatever it waits for
    // and joined.
    void Stop() {
        if (!thread_.joinable()) {
            return;
        }
        shared_->Abandon();
        shared_->wake.Raise();
        if (shared_->WaitEnded()) {
            thread_.join();
        } else {
            thread_.detach();  // it holds what it uses and ends by itself
        }
    }

    std::string TakeStatus() { return shared_ ? shared_->TakeStatus() : std::string(); }

  private:
    std::shared_ptr<SharedTransfer> shared_;
    std::thread thread_;
};

void PaintAlignLabel(plat::Dialog& d) {
    static const auto font = plat::Font::Create(plat::FontSpec{-12, 700, false, "Nina"});
    plat::Canvas c = d.GetWindow()->BeginPaint();
    plat::Rect r;
    if (!plat::ControlRectInDialog(d.GetWindow(), kCtlIrAlign, &r)) {
        return;
    }
    // Our face is wider than the phone's: a line that does not fit takes the free space to its
    // right, then moves left towards the icon.
    const std::string text = d.ItemText(kCtlIrAlign);
    const int right = d.GetWindow()->ClientRect().right - 2;
    r.right = std::max(r.right, right);
    const int iconRight =
        d.GetWindow()->Children().empty() ? r.left : d.GetWindow()->Children()[0]->Frame().right;
    r.left = std::max(std::min(r.left, right - font->TextWidth(text)), std::min(r.left, iconRight));
    // The control is shorter than our face's cell: let the descenders (g, p) show below it.
    r.bottom = std::max(r.bottom, r.top + font->Metrics().height);
    c.SetFont(font);
    c.SetTextColor(plat::Rgb(255, 0, 0));
    c.SetBackgroundMode(plat::BackgroundMode::kTransparent);
    c.DrawText(text, &r, plat::kTextSingleLine | plat::kTextNoPrefix);
}

void ShowIcon(plat::Dialog& d) {
    // The template's first control is the unnamed icon.
    const auto& children = d.GetWindow()->Children();
    if (auto* icon = children.empty()
                         ? nullptr
                         : dynamic_cast<plat::StaticText*>(plat::ControlOf(children[0]))) {
        icon->SetIcon(res::LoadIconResource(kIconInfrared));
    }
}

bool InfraredProc(const InfraredSendRequest& request, Transfer* transfer, plat::Dialog& d,
                  unsigned message, plat::WPARAM wParam, plat::LRESULT* result) {
    switch (message) {
        case plat::WM_INITDIALOG:
            ShowIcon(d);
            // Without its softkey the dialog could not be closed by the user's softkey.
            if (!d.CreateSoftkeyBar(res::MenuBarResource(kBarCancel)) || !d.MakeFullScreen()) {
                *result = 0;
                return true;
            }
            transfer->Start(d.GetWindow(), request);
            *result = 1;
            return true;
        case plat::WM_PAINT:
            PaintAlignLabel(d);
            return true;
        case plat::WM_COMMAND: {
            const unsigned id = plat::LowWord(wParam);
            if (id == plat::IDOK || id == plat::IDCANCEL || id == kCmdOk || id == kCmdCancel) {
                transfer->Stop();
                d.End(2);
            }
            return true;
        }
        case kStatusChangedMessage:
            d.SetItemText(kCtlIrStatus, transfer->TakeStatus());
            d.GetWindow()->Update();
            return true;
        case kTransferCompleteMessage:
            if (plat::SoftkeyBar* bar = plat::SoftkeyBar::Find(d.GetWindow())) {
                bar->SetButtonLabel(kCmdCancel, LoadStr(kStrOk));
            }
            plat::PlaySoundBytes(res::LoadWaveResource(kWaveNotify), std::to_string(kWaveNotify),
                                 plat::kSoundMemory | plat::kSoundSync);
            return true;
        default:
            return false;
    }
}

}  // namespace

void RunInfraredSendDialog(plat::Window* owner, const InfraredSendRequest& request) {
    const plat::DialogTemplate* tmpl = res::DialogResource(kDlgSendInfrared);
    if (!tmpl) {
        return;
    }
    Transfer transfer;
    plat::Dialog::Run(*tmpl, owner,
                      [&request, &transfer](plat::Dialog& d, unsigned message, plat::WPARAM wParam,
                                            plat::LPARAM, plat::LRESULT* result) {
                          return InfraredProc(request, &transfer, d, message, wParam, result);
                      });
}

void SendViaInfraredCommand(AppState* app) {
    FileList* list = app->fileList.get();
    const FileEntry* entry = list->GetCurrentEntry();
    if (!entry || entry->isFolder) {
        return;
    }
    RunInfraredSendDialog(app->mainWindow, {list->FullPath(list->currentIndex), entry->name});
}
