#include "device/device_port.h"

#include <chrono>
#include <mutex>

namespace device {
namespace {
DevicePort& installed() {
    static DevicePort backend;
    return backend;
}
std::mutex& tickMutex() {
    static std::mutex m;
    return m;
}
std::function<uint32_t()>& tickSource() {
    static std::function<uint32_t()> source;
    return source;
}
}  // namespace

DevicePort& port() {
    return installed();
}

void installPort(DevicePort backend) {
    installed() = std::move(backend);
}

uint32_t tickCount() {
    {
        std::lock_guard<std::mutex> lock(tickMutex());
        if (tickSource())
            return tickSource()();
    }
    using namespace std::chrono;
    return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void setTickSource(std::function<uint32_t()> source) {
    std::lock_guard<std::mutex> lock(tickMutex());
    tickSource() = std::move(source);
}

}  // namespace device
