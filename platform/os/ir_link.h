// The infrared link: what the program does with the phone's infrared sockets (discovery of
// the devices in range, the directory query for a service's selector, a stream connection,
// sending, receiving), behind an interface so that a stand-in can carry it.
//
// This machine's link is the stand-in over TCP: the devices are the peers given to the host
// (ir_peers.h); discovery lists those that accept a TCP connection now, the directory answers
// a fixed selector for every peer's OBEX service, and connecting opens the stream.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace plat {

class WakeSignal;

// A device name holds at most this many bytes (no terminator needed).
constexpr size_t kIrDeviceNameBytes = 22;

struct IrDevice {
    uint32_t address = 0;  // the 4-byte device address
    std::string name;
};

// All calls come from one thread. Each returns 1 on success, 0 on failure with LastError() set
// to an errno value. Once the link's wake signal is raised every call fails at once (a
// blocking connect, send or receive returns) with ECANCELED.
class IrLink {
  public:
    virtual ~IrLink() = default;

    // The socket layer of the process: started before use, ended after.
    virtual int Startup() = 0;
    virtual void Cleanup() = 0;
    // The stream socket; closing it ends its connection at once.
    virtual int OpenSocket() = 0;
    virtual void CloseSocket() = 0;

    // The devices in range now (possibly none), in discovery order.
    virtual int EnumerateDevices(std::vector<IrDevice>* devices) = 0;
    // The integer attribute `attribute` of class `className` in the device's directory.
    virtual int QueryIasInteger(uint32_t address, const std::string& className,
                                const std::string& attribute, int32_t* value) = 0;
    // Connects the stream socket to the service named `serviceName` ("LSAP-SEL3") of a device.
    virtual int Connect(uint32_t address, const std::string& serviceName) = 0;
    // Sends all `size` bytes.
    virtual int Send(const uint8_t* data, size_t size) = 0;
    // Receives what has arrived: at least one byte, at most `capacity`. A peer that closed the
    // connection is a failure (ECONNRESET).
    virtual int Receive(uint8_t* buffer, size_t capacity, size_t* received) = 0;

    virtual int LastError() const = 0;
};

// The link of this machine over the configured peers; `wake` stops it and outlives it.
std::unique_ptr<IrLink> OpenIrLink(const WakeSignal& wake);

// The selector the stand-in's directory gives every peer's "OBEX" service.
constexpr int32_t kStandInObexSelector = 3;

}  // namespace plat
