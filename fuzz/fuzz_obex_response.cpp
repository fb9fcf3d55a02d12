// libFuzzer target: the input is everything an OBEX peer says back to the infrared sender.
// The first byte picks how the stream is cut into receives and how big the file sent is; the
// rest is the peer's bytes. The worker must end (never hang, never claim success for a
// transfer the peer did not answer in full) whatever the peer says.
#include <stdlib.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "platform/os/device_fs.h"
#include "platform/os/ir_link.h"
#include "platform/os/wake_signal.h"
#include "platform/os/worker_clock.h"
#include "resources/strings.h"
#include "sharing/infrared_obex.h"
#include "sharing/infrared_worker.h"

// The string table without the rest of the application.
std::string LoadStr(int id) {
    const char* text = res::StringResource(id);
    return text ? std::string(text) : std::string();
}

namespace {

// A link whose peer answers with the fuzz input, `chunk` bytes per receive at most.
class ScriptedLink : public plat::IrLink {
  public:
    ScriptedLink(const uint8_t* data, size_t size, size_t chunk)
        : data_(data), size_(size), chunk_(chunk) {}
    int Startup() override { return 1; }
    void Cleanup() override {}
    int OpenSocket() override { return 1; }
    void CloseSocket() override {}
    int EnumerateDevices(std::vector<plat::IrDevice>* devices) override {
        devices->assign(1, plat::IrDevice{1, "fuzz"});
        return 1;
    }
    int QueryIasInteger(uint32_t, const std::string&, const std::string&, int32_t* v) override {
        *v = plat::kStandInObexSelector;
        return 1;
    }
    int Connect(uint32_t, const std::string&) override { return 1; }
    int Send(const uint8_t* data, size_t size) override {
        if (size == 0 || size > 0xFFFF || (data[1] << 8 | data[2]) != static_cast<int>(size)) {
            abort();  // a malformed request
        }
        ++sent_;
        return 1;
    }
    int Receive(uint8_t* buffer, size_t capacity, size_t* received) override {
        if (at_ == size_) {
            error_ = 104;
            return 0;
        }
        const size_t n = std::min({capacity, chunk_, size_ - at_});
        std::copy(data_ + at_, data_ + at_ + n, buffer);
        at_ += n;
        *received = n;
        return 1;
    }
    int LastError() const override { return error_; }
    int Sent() const { return sent_; }

  private:
    const uint8_t* data_;
    size_t size_;
    size_t chunk_;
    size_t at_ = 0;
    int error_ = 0;
    int sent_ = 0;
};

class Sink : public InfraredStatusSink {
  public:
    void Status(const std::string& text) override { last = text; }
    void TransferComplete() override { complete = true; }
    std::string last;
    bool complete = false;
};

void CheckFraming(const uint8_t* data, size_t size) {
    obex::Response r;
    for (bool connect : {false, true}) {
        if (obex::ReadResponse(data, size, connect, &r) == obex::Framing::kComplete &&
            (r.length < 3 || r.length > size || r.code != data[0])) {
            abort();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool ready = [] {
        static char folder[] = "/tmp/velloran-fuzz-obex-XXXXXX";
        if (!mkdtemp(folder)) {
            abort();
        }
        plat::DeviceFs::SetRoot(folder);
        plat::WorkerClock::UseVirtualTime(true, 0);
        return true;
    }();
    (void)ready;
    if (size < 1) {
        return 0;
    }
    CheckFraming(data + 1, size - 1);
    const size_t chunk = 1 + (data[0] & 0x0F) * 17;
    const size_t fileSize = static_cast<size_t>(data[0] >> 4) * 700;
    // Writing the file is slow (it is made whole on disk): only when its size changes.
    static size_t written = SIZE_MAX;
    if (fileSize != written) {
        if (!plat::DeviceFs::WriteAtomic("\\f.jpg", std::string(fileSize, 'x'))) {
            abort();
        }
        written = fileSize;
    }
    ScriptedLink link(data + 1, size - 1, chunk);
    Sink sink;
    plat::WakeSignal wake;
    auto ticket = std::make_unique<plat::WorkerClock::Ticket>();
    std::atomic<bool> ended{false};
    std::thread worker([&] {
        InfraredSendWorker({"\\f.jpg", "f.jpg"}, &link, wake, ticket.get(), &sink);
        ended = true;
        ticket.reset();
    });
    // Every sleep ends at once; a worker still running after the settle would be a hang.
    uint64_t wakeAt = 0;
    while ((wakeAt = plat::WorkerClock::Settle(5000)) != UINT64_MAX) {
        plat::WorkerClock::SetVirtualNow(wakeAt);
    }
    worker.join();
    // Success needs an answer to every request: connect, name, bodies and the goodbye.
    const int packets = static_cast<int>(fileSize / 1024) + 4;
    if (sink.complete && link.Sent() < packets) {
        abort();
    }
    plat::WorkerClock::SetVirtualNow(0);
    return 0;
}
