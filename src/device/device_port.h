#pragma once
// The device port as a whole: one backend chosen at start-up (the simulated camera or
// the system's real devices) and reached by the capture layer and the extension-unit
// transport through port(). Tests install a backend of their own before use.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "device/video_port.h"
#include "device/xu_port.h"

namespace device {

// Tells when the system's video devices change (a camera plugged in or pulled out), so
// that the camera is looked for, or given up, at once rather than at the next connect
// tick. One reader takes the changes.
class DeviceWatch {
public:
    enum Change : unsigned { kAdded = 1, kRemoved = 2 };
    virtual ~DeviceWatch() = default;
    // A descriptor that turns readable while changes wait (for poll or an event loop).
    virtual int descriptor() const = 0;
    // The changes that waited, as kAdded | kRemoved bits (0: none); never blocks.
    virtual unsigned takeChanges() = 0;
};

struct DevicePort {
    std::string name;  // "simulated" or "v4l2", for the log
    std::shared_ptr<VideoSystem> video;
    std::shared_ptr<XuSystem> xu;
    // What the backend found and chose (devices, extension unit), for the log; may be
    // empty when the backend has nothing to add.
    std::function<std::string()> describe;
    // Starts watching the devices; empty, or answering null, where the backend cannot
    // tell (the connect tick alone then finds a camera's coming and going).
    std::function<std::shared_ptr<DeviceWatch>()> watchDevices;
};

// The installed backend; a port without systems until installPort() was called.
DevicePort& port();
void installPort(DevicePort backend);

// Milliseconds of a monotonic clock, as the platform's tick count (wraps at 2^32).
uint32_t tickCount();
// Tests replace the clock (an empty function restores the real one).
void setTickSource(std::function<uint32_t()> source);

}  // namespace device
