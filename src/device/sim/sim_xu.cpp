#include "device/sim/sim_xu.h"

#include <atomic>
#include <string>

namespace device::sim {
namespace {
// Node types of the video-class topology.
constexpr Guid nodeType(uint32_t d1) {
    return Guid{d1, 0xF70F, 0x11D0, {0xB9, 0x17, 0x00, 0xA0, 0xC9, 0x22, 0x31, 0x96}};
}
constexpr Guid kNodeStreaming = nodeType(0xDFF229E1);
constexpr Guid kNodeProcessing = nodeType(0xDFF229E5);
constexpr Guid kNodeCameraTerminal = nodeType(0xDFF229E6);

enum class NodeKind { Plain, ExtensionUnit, OtherVendorUnit };
struct Node {
    Guid type;
    NodeKind kind;
};

struct SourceState {
    std::shared_ptr<SimCore> core;
    int unit = 0;
    uint64_t generation = 0;
    std::vector<Node> nodes;
    std::atomic<bool> shutDown{false};
};

class SimNodeControl : public XuNodeControl {
public:
    SimNodeControl(std::shared_ptr<SourceState> source, uint32_t node)
        : source_(std::move(source)), node_(node) {}

    HResult property(const KsNodeProperty& request, void* data, uint32_t length,
                     uint32_t& returned) override {
        returned = 0;
        SimCore& core = *source_->core;
        const std::string specific = "XuNodeControl::property:" + std::to_string(request.id);
        if (HResult hr = core.enter("XuNodeControl::property", specific); failed(hr))
            return hr;
        core.controlLatency();
        if (source_->shutDown)
            return kWrongState;
        if (!core.alive(source_->unit, source_->generation))
            return kNotConnected;
        if (request.nodeId != node_)
            return kInvalidArg;
        if (source_->nodes[node_].kind != NodeKind::ExtensionUnit)
            return kSetNotFound;
        return core.xuProperty(source_->unit, source_->generation, request, data, length, returned);
    }

private:
    std::shared_ptr<SourceState> source_;
    uint32_t node_;
};

class SimMediaSource : public XuMediaSource {
public:
    explicit SimMediaSource(std::shared_ptr<SourceState> state) : state_(std::move(state)) {}

    HResult createSourceReader() override { return check("XuMediaSource::createSourceReader"); }
    HResult queryTopology() override { return check("XuMediaSource::queryTopology"); }
    HResult nodeCount(uint32_t& count) override {
        if (HResult hr = check("XuMediaSource::nodeCount"); failed(hr))
            return hr;
        count = uint32_t(state_->nodes.size());
        return kOk;
    }
    HResult nodeType(uint32_t node, Guid& type) override {
        if (HResult hr = check("XuMediaSource::nodeType"); failed(hr))
            return hr;
        if (node >= state_->nodes.size())
            return kInvalidArg;
        type = state_->nodes[node].type;
        return kOk;
    }
    HResult createNodeControl(uint32_t node, std::unique_ptr<XuNodeControl>& control) override {
        if (HResult hr = check("XuMediaSource::createNodeControl"); failed(hr))
            return hr;
        if (node >= state_->nodes.size())
            return kInvalidArg;
        control = std::make_unique<SimNodeControl>(state_, node);
        return kOk;
    }
    void shutdown() override { state_->shutDown = true; }

private:
    HResult check(const char* call) {
        if (HResult hr = state_->core->enter(call); failed(hr))
            return hr;
        if (state_->shutDown)
            return kWrongState;
        return state_->core->alive(state_->unit, state_->generation) ? kOk : kNotConnected;
    }
    std::shared_ptr<SourceState> state_;
};

class SimActivation : public XuActivation {
public:
    SimActivation(std::shared_ptr<SimCore> core, int unit, uint64_t generation)
        : core_(std::move(core)), unit_(unit), generation_(generation) {}

    HResult friendlyName(std::string& name) override {
        return core_->answer("XuActivation::friendlyName", name, core_->info(unit_).friendlyName);
    }
    HResult symbolicLink(std::string& link) override {
        return core_->answer("XuActivation::symbolicLink", link, core_->info(unit_).xuLink);
    }
    HResult activate(std::unique_ptr<XuMediaSource>& source) override {
        if (HResult hr = core_->enterOpen("XuActivation::activate", unit_, generation_); failed(hr))
            return hr;
        auto state = std::make_shared<SourceState>();
        state->core = core_;
        state->unit = unit_;
        state->generation = generation_;
        state->nodes.push_back({kNodeCameraTerminal, NodeKind::Plain});
        state->nodes.push_back({kNodeProcessing, NodeKind::Plain});
        if (core_->activationHasExtensionUnit(unit_)) {
            state->nodes.push_back({kNodeTypeDevSpecific, NodeKind::ExtensionUnit});
            state->nodes.push_back({kNodeTypeDevSpecific, NodeKind::OtherVendorUnit});
        }
        state->nodes.push_back({kNodeStreaming, NodeKind::Plain});
        source = std::make_unique<SimMediaSource>(std::move(state));
        return kOk;
    }

private:
    std::shared_ptr<SimCore> core_;
    int unit_;
    uint64_t generation_;
};
}  // namespace

HResult SimXuSystem::createAttributes() {
    return core_->enter("XuSystem::createAttributes");
}

HResult SimXuSystem::selectVideoCaptureSources() {
    return core_->enter("XuSystem::selectVideoCaptureSources");
}

HResult SimXuSystem::enumerateSources(std::vector<std::unique_ptr<XuActivation>>& sources) {
    sources.clear();
    if (HResult hr = core_->enter("XuSystem::enumerateSources"); failed(hr))
        return hr;
    for (int id : core_->listedUnits(false))
        sources.push_back(std::make_unique<SimActivation>(core_, id, core_->generation(id)));
    return kOk;
}

}  // namespace device::sim
