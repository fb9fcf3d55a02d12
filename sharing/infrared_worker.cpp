#include "sharing/infrared_worker.h"

#include <cerrno>
#include <cstdio>
#include <vector>

#include "core/app.h"
#include "platform/os/device_fs.h"
#include "platform/os/ir_link.h"
#include "platform/os/text.h"
#include "platform/os/wake_signal.h"
#include "resources/resource_ids.h"
#include "sharing/infrared_obex.h"

namespace {

constexpr int kDiscoveryTries = 10;
constexpr int kConnectTries = 10;
constexpr int kRetrySleepMs = 200;
constexpr int kFoundSleepMs = 500;

enum class Exchanged { kOk, kSendFailed, kReceiveFailed };

class Sender {
  public:
    Sender(const InfraredSendRequest& request, plat::IrLink* link, const plat::WakeSignal& wake,
           plat::WorkerClock::Ticket* ticket, InfraredStatusSink* sink)
        : request_(request), link_(link), wake_(wake), ticket_(ticket), sink_(sink) {}

    void Run() {
        Say(LoadStr(kStrIrFinding));
        if (!link_->Startup()) {
            Fail("WSAStartup failed. Error code : %d");
            return;
        }
        if (link_->OpenSocket()) {
            Transfer();
            link_->CloseSocket();
        } else {
            Fail("Socket failed. Error code : %d");
        }
        link_->Cleanup();
    }
    bool Succeeded() const { return disconnected_ && !bodyFailed_; }

  private:
    void Say(const std::string& text) {
        ticket_->Touch();
        sink_->Status(text);
    }
    void Fail(const char* format) { Say(plat::FormatText(format, {link_->LastError()})); }
    bool Sleep(int ms) { return plat::WorkerClock::Sleep(ticket_, ms, wake_); }

    // Steps from discovery to the Disconnect; the socket is open.
    void Transfer() {
        plat::IrDevice device;
        if (!FindDevice(&device) || !ConnectToObex(device) || !StartPut()) {
            return;
        }
        SendFile();
        obex::Response response;
        if (!wake_.Raised() &&
            Report(Exchange(obex::DisconnectPacket(), obex::kSuccess, false, &response))) {
            disconnected_ = true;
        }
    }

    // Discovery, tried until a device is in range; the first device found is used.
    bool FindDevice(plat::IrDevice* device) {
        std::vector<plat::IrDevice> devices;
        for (int attempt = 0; attempt < kDiscoveryTries && devices.empty(); ++attempt) {
            if (!link_->EnumerateDevices(&devices)) {
                Fail("getsockopt1 failed. Error code : %d");
                return false;
            }
            if (devices.empty() && !Sleep(kRetrySleepMs)) {
                return false;
            }
        }
        if (devices.empty()) {
            Fail("Device discovery failed. Error code : %d");
            return false;
        }
        *device = devices.front();
        Say(plat::FormatText(LoadStr(kStrIrFound),
                             {device->name.substr(0, plat::kIrDeviceNameBytes)}));
        return Sleep(kFoundSleepMs);
    }

    // The device's OBEX service from its directory, then the stream connection to it.
    bool ConnectToObex(const plat::IrDevice& device) {
        int32_t selector = 0;
        if (!link_->QueryIasInteger(device.address, "OBEX", "IrDA:TinyTP:LsapSel", &selector)) {
            Fail("getsockopt2 failed. Error code : %d");
            return false;
        }
        Say(LoadStr(kStrIrConnecting));
        const std::string service = plat::FormatText("LSAP-SEL%d", {selector});
        for (int attempt = 0; attempt < kConnectTries; ++attempt) {
            if (link_->Connect(device.address, service)) {
                return true;
            }
            if (!Sleep(kRetrySleepMs)) {
                return false;
            }
        }
        Fail("Connect failed. Error code : %d");
        return false;
    }

    // OBEX Connect, which tells the peer's largest packet, and the Put that names the file.
    bool StartPut() {
        obex::Response response;
        if (!Report(Exchange(obex::ConnectPacket(), obex::kSuccess, true, &response))) {
            return false;
        }
        bodyBytes_ = obex::BodyBytesPerPacket(response.peerMaxPacket);
        Say(LoadStr(kStrIrAboutToSend));
        const std::vector<uint8_t> name = obex::NamePutPacket(request_.fileName);
        if (name.empty()) {
            Say(plat::FormatText("Send failed. Error code : %d", {EMSGSIZE}));
            return false;
        }
        return Report(Exchange(name, obex::kContinue, false, &response));
    }

    // The file's bytes in Put packets; a failure shows its text and leaves the Disconnect to
    // the caller, which then does not report success.
    void SendFile() {
        plat::FilePtr file = plat::DeviceFs::Open(request_.filePath, "rb");
        if (!file) {
            const int error = errno != 0 ? errno : ENOENT;
            Say(plat::FormatText("File cannot be opened. Error code : %d", {error}));
            bodyFailed_ = true;
            return;
        }
        std::FILE* f = file.get();
        int64_t size = 0;
        if (std::fseek(f, 0, SEEK_END) == 0) {
            size = std::max<int64_t>(0, ftello(f));
        }
        std::fseek(f, 0, SEEK_SET);
        std::vector<uint8_t> chunk(bodyBytes_);
        int64_t sent = 0;
        bool lastSent = false;
        obex::Response response;
        while (!lastSent) {
            const size_t got = std::fread(chunk.data(), 1, chunk.size(), f);
            if (std::ferror(f)) {
                // A short file must not reach the peer as if it were whole.
                Say(plat::FormatText("File cannot be read. Error code : %d", {EIO}));
                bodyFailed_ = true;
                return;
            }
            if (got == 0) {
                break;
            }
            lastSent = got < chunk.size();
            const uint8_t expected = lastSent ? obex::kSuccess : obex::kContinue;
            if (!Report(Exchange(obex::BodyPutPacket(chunk.data(), got, lastSent), expected, false,
                                 &response))) {
                bodyFailed_ = true;
                return;
            }
            sent += static_cast<int64_t>(got);
            Say(plat::FormatText(LoadStr(kStrIrProgress), {Percent(sent, size)}));
        }
        if (!lastSent && !Report(Exchange(obex::BodyPutPacket(nullptr, 0, true), obex::kSuccess,
                                          false, &response))) {
            bodyFailed_ = true;
        }
    }

    // Sent bytes as a whole percentage of the size found at the start; a file that grew while
    // it was sent shows 100, never more, and never divides by zero.
    static long long Percent(int64_t sent, int64_t size) {
        if (size <= 0 || sent >= size) {
            return 100;
        }
        return static_cast<long long>(sent * 100 / size);
    }

    // Shows the failure text of an exchange; true when it went through.
    bool Report(Exchanged result) {
        switch (result) {
            case Exchanged::kOk:
                return true;
            case Exchanged::kSendFailed:
                Fail("Send failed. Error code : %d");
                return false;
            case Exchanged::kReceiveFailed:
                Fail("Receive failed. Error code : %d");
                return false;
        }
        return false;
    }

    // Sends one request and reads its whole response; a response with another code than
    // `expected` counts as a receive failure.
    Exchanged Exchange(const std::vector<uint8_t>& packet, uint8_t expected, bool connect,
                       obex::Response* response) {
        if (!link_->Send(packet.data(), packet.size())) {
            return Exchanged::kSendFailed;
        }
        for (;;) {
            const obex::Framing framing =
                obex::ReadResponse(pending_.data(), pending_.size(), connect, response);
            if (framing == obex::Framing::kMalformed) {
                return Exchanged::kReceiveFailed;
            }
            if (framing == obex::Framing::kComplete) {
                pending_.erase(pending_.begin(),
                               pending_.begin() + static_cast<std::ptrdiff_t>(response->length));
                ticket_->Touch();
                return response->code == expected ? Exchanged::kOk : Exchanged::kReceiveFailed;
            }
            uint8_t buffer[256];
            size_t got = 0;
            if (!link_->Receive(buffer, sizeof buffer, &got)) {
                return Exchanged::kReceiveFailed;
            }
            pending_.insert(pending_.end(), buffer, buffer + got);
        }
    }

    const InfraredSendRequest& request_;
    plat::IrLink* link_;
    const plat::WakeSignal& wake_;
    plat::WorkerClock::Ticket* ticket_;
    InfraredStatusSink* sink_;
    size_t bodyBytes_ = obex::kMaxBodyBytes;
    std::vector<uint8_t> pending_;  // bytes received and not yet part of a response
    bool bodyFailed_ = false;
    bool disconnected_ = false;
};

}  // namespace

void InfraredSendWorker(const InfraredSendRequest& request, plat::IrLink* link,
                        const plat::WakeSignal& wake, plat::WorkerClock::Ticket* ticket,
                        InfraredStatusSink* sink) {
    Sender sender(request, link, wake, ticket, sink);
    sender.Run();
    if (sender.Succeeded() && !wake.Raised()) {
        sink->Status(LoadStr(kStrIrSent));
        sink->TransferComplete();
    }
}
