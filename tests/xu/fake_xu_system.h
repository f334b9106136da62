#pragma once
// A scripted extension-unit system for the channel's tests: devices with chosen names,
// links and topologies, and node controls that record every request, answer through a
// test-supplied function and notice calls made after their source was shut down.
#include <atomic>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

#include "device/device_port.h"
#include "device/xu_port.h"

namespace fake {

struct Received {
    device::KsNodeProperty property;
    uint32_t length = 0;
    bool hadData = false;
};

// What a node control answers: fills data, sets returned, gives the result code.
using Answer = std::function<device::HResult(const device::KsNodeProperty&, void* data, uint32_t length,
                                             uint32_t& returned)>;

struct Shared {
    std::mutex mutex;
    std::vector<Received> received;
    Answer answer;
    std::atomic<int> callsAfterShutdown{0};
    std::atomic<int> liveControls{0};
    std::atomic<int> liveSources{0};
    std::atomic<bool> throwOnCall{false};

    std::vector<Received> requests() {
        std::lock_guard<std::mutex> lock(mutex);
        return received;
    }
};

struct FakeDevice {
    std::string name;
    std::string link;
    device::HResult nameResult = device::kOk;
    std::vector<device::Guid> nodeTypes;
    bool controlWithoutInterface = false;  // createNodeControl succeeds with no control
};

class Control : public device::XuNodeControl {
public:
    Control(std::shared_ptr<Shared> shared, std::shared_ptr<std::atomic<bool>> alive)
        : shared_(std::move(shared)), alive_(std::move(alive)) {
        ++shared_->liveControls;
    }
    ~Control() override { --shared_->liveControls; }
    device::HResult property(const device::KsNodeProperty& request, void* data, uint32_t length,
                             uint32_t& returned) override {
        if (!alive_->load()) {
            ++shared_->callsAfterShutdown;
            return device::kNotConnected;
        }
        if (shared_->throwOnCall)
            throw std::runtime_error("node control exploded");
        Answer answer;
        {
            std::lock_guard<std::mutex> lock(shared_->mutex);
            shared_->received.push_back(Received{request, length, data != nullptr});
            answer = shared_->answer;
        }
        if (answer)
            return answer(request, data, length, returned);
        returned = length;
        return device::kOk;
    }

private:
    std::shared_ptr<Shared> shared_;
    std::shared_ptr<std::atomic<bool>> alive_;
};

// A listed device and, activated, a source of its own (its own shutdown).
class Source : public device::XuActivation, public device::XuMediaSource {
public:
    Source(std::shared_ptr<Shared> shared, FakeDevice device)
        : shared_(std::move(shared)), device_(std::move(device)) {
        ++shared_->liveSources;
    }
    ~Source() override { --shared_->liveSources; }
    device::HResult friendlyName(std::string& name) override {
        name = device_.name;
        return device_.nameResult;
    }
    device::HResult symbolicLink(std::string& link) override {
        link = device_.link;
        return device::kOk;
    }
    device::HResult activate(std::unique_ptr<device::XuMediaSource>& source) override {
        source = std::make_unique<Source>(shared_, device_);
        return device::kOk;
    }
    device::HResult createSourceReader() override { return device::kOk; }
    device::HResult queryTopology() override { return device::kOk; }
    device::HResult nodeCount(uint32_t& count) override {
        count = uint32_t(device_.nodeTypes.size());
        return device::kOk;
    }
    device::HResult nodeType(uint32_t node, device::Guid& type) override {
        if (node >= device_.nodeTypes.size())
            return device::kInvalidArg;
        type = device_.nodeTypes[node];
        return device::kOk;
    }
    device::HResult createNodeControl(uint32_t, std::unique_ptr<device::XuNodeControl>& control) override {
        if (!device_.controlWithoutInterface)
            control = std::make_unique<Control>(shared_, alive_);
        return device::kOk;
    }
    void shutdown() override { *alive_ = false; }

private:
    std::shared_ptr<Shared> shared_;
    FakeDevice device_;
    std::shared_ptr<std::atomic<bool>> alive_ = std::make_shared<std::atomic<bool>>(true);
};

class System : public device::XuSystem {
public:
    System(std::shared_ptr<Shared> shared, std::vector<FakeDevice> devices)
        : shared_(std::move(shared)), devices_(std::move(devices)) {}
    device::HResult createAttributes() override { return device::kOk; }
    device::HResult selectVideoCaptureSources() override { return device::kOk; }
    device::HResult enumerateSources(std::vector<std::unique_ptr<device::XuActivation>>& sources) override {
        for (const FakeDevice& d : devices_)
            sources.push_back(std::make_unique<Source>(shared_, d));
        return device::kOk;
    }

private:
    std::shared_ptr<Shared> shared_;
    std::vector<FakeDevice> devices_;
};

inline const device::Guid kOtherNode{0x12345678, 0x1, 0x2, {1, 2, 3, 4, 5, 6, 7, 8}};

// Installs a port whose extension-unit system lists the given devices.
inline std::shared_ptr<Shared> install(std::vector<FakeDevice> devices) {
    auto shared = std::make_shared<Shared>();
    device::DevicePort port;
    port.name = "fake";
    port.xu = std::make_shared<System>(shared, std::move(devices));
    device::installPort(std::move(port));
    return shared;
}

}  // namespace fake
