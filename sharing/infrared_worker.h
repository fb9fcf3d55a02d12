// The infrared sender's worker: finds a device, connects to its OBEX service and pushes one
// file, reporting each step as the text of the dialog's status line. It runs on its own
// thread; everything it reports goes through the sink, which may drop it once the dialog has
// gone.
#pragma once

#include <string>

#include "platform/os/worker_clock.h"

namespace plat {
class IrLink;
class WakeSignal;
}  // namespace plat

class InfraredStatusSink {
  public:
    virtual ~InfraredStatusSink() = default;
    // The status line's new text.
    virtual void Status(const std::string& text) = 0;
    // The file arrived and the peer said goodbye.
    virtual void TransferComplete() = 0;
};

struct InfraredSendRequest {
    std::string filePath;  // device path of the picture
    std::string fileName;  // its name, sent to the peer
};

// The whole transfer. `wake` raised stops it at its next wait (a sleep, a connect, a send or a
// receive), after which it only releases what it holds: no Disconnect is sent then.
void InfraredSendWorker(const InfraredSendRequest& request, plat::IrLink* link,
                        const plat::WakeSignal& wake, plat::WorkerClock::Ticket* ticket,
                        InfraredStatusSink* sink);
