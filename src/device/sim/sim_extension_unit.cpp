#include "device/sim/sim_extension_unit.h"

#include <cstring>

namespace device::sim {
namespace {
constexpr uint32_t kTextLength = 60;
constexpr uint32_t kInfoLength = 256;

void putText(uint8_t* data, const std::string& text) {
    std::memset(data, 0, kTextLength);
    std::memcpy(data, text.data(), std::min<size_t>(text.size(), kTextLength - 1));
}
bool isFlag(uint8_t v) {
    return v == 0 || v == 1;
}
}  // namespace

Guid extensionUnitSet() {
    static const Guid set = [] {
        Guid g;
        std::memcpy(&g, "AB_USER_MODE\0\0\0\0", sizeof g);
        return g;
    }();
    return set;
}

ExtensionUnit::ExtensionUnit(const SimOptions& options)
    : firmware_(options.firmwareVersion, options.transferSize), serial_(options.serialNumber) {
    firmware_.setStartAnswerLost(options.startAnswerLost);
}

uint32_t ExtensionUnit::controlLength(uint32_t selector) const {
    switch (selector) {
        case 1:
        case 2:
        case 3:
        case 5:
        case 10:
        case 11:
        case 13:
        case 14:
            return 1;
        case 4:
            return 5;
        case 6:
        case 7:
            return kTextLength;
        case 8:
        case 9:
            return 4;
        case 16:
            return kInfoLength;
        case 17:
            return firmware_.transferSize();
        default:
            return 0;
    }
}

bool ExtensionUnit::readable(uint32_t selector) {
    switch (selector) {
        case 4:
        case 5:
        case 9:
        case 10:
            return false;
        default:
            return true;
    }
}

bool ExtensionUnit::writable(uint32_t selector) {
    switch (selector) {
        case 6:
        case 7:
        case 11:
            return false;
        default:
            return true;
    }
}

HResult ExtensionUnit::property(const KsNodeProperty& request, void* data, uint32_t length,
                                uint32_t& returned, ControlTable& controls, Action& action) {
    action = Action::None;
    returned = 0;
    if (request.set != extensionUnitSet())
        return kSetNotFound;
    const uint32_t kind = request.flags & ~uint32_t(kKsPropertyTopology);
    if (!(request.flags & kKsPropertyTopology) || (kind != kKsPropertyGet && kind != kKsPropertySet))
        return kInvalidArg;
    const uint32_t expected = controlLength(request.id);
    if (expected == 0)
        return kNotFound;
    if (kind == kKsPropertyGet && length == 0 && data == nullptr) {
        returned = expected;  // the size query
        return kMoreData;
    }
    if (length != expected || data == nullptr)
        return kInvalidArg;
    if (kind == kKsPropertyGet)
        return get(request.id, static_cast<uint8_t*>(data), length, returned);
    HResult hr = set(request.id, static_cast<const uint8_t*>(data), length, controls, action);
    if (succeeded(hr))
        returned = length;
    return hr;
}

HResult ExtensionUnit::get(uint32_t selector, uint8_t* data, uint32_t length, uint32_t& returned) {
    switch (selector) {
        case 1:
            data[0] = xu_.hdr;
            break;
        case 2:
            data[0] = xu_.autoFrame;
            break;
        case 3:
            data[0] = xu_.tracking;
            break;
        case 13:
            data[0] = xu_.zoomLevel;
            break;
        case 14:
            data[0] = uint8_t(xu_.sensitivity);
            break;
        case 6:
            putText(data, serial_);
            break;
        case 7:
            putText(data, firmware_.version());
            break;
        case 8:
            putLe32(data, firmware_.headerVersion());
            break;
        case 11:
            data[0] = uint8_t(forcedStatus_ >= 0 ? forcedStatus_ : firmware_.status());
            break;
        case 16:
            std::memset(data, 0, length);
            data[0] = firmware_.transferInfoStatus();
            break;
        case 17:
            std::memset(data, 0, length);
            break;
        default:
            return kInvalidArg;  // write-only controls: the device stalls a GET
    }
    returned = length;
    return kOk;
}

HResult ExtensionUnit::set(uint32_t selector, const uint8_t* data, uint32_t length, ControlTable& controls,
                           Action& action) {
    switch (selector) {
        case 1:
        case 2:
        case 3: {
            if (!isFlag(data[0]))
                return kGenFailure;
            uint8_t& field = selector == 1 ? xu_.hdr : selector == 2 ? xu_.autoFrame : xu_.tracking;
            field = data[0];
            return kOk;
        }
        case 13:
            if (data[0] > 4)
                return kGenFailure;
            xu_.zoomLevel = data[0];
            return kOk;
        case 14: {
            const int8_t v = int8_t(data[0]);
            if (v < -2 || v > 2)
                return kGenFailure;
            xu_.sensitivity = v;
            return kOk;
        }
        case 4:
            return firmware_.setUpdateMode(data[0], int32_t(getLe32(data + 1)));
        case 5:
            if (data[0] != 1)
                return kGenFailure;
            xu_ = XuControls{};
            controls.restoreDefaults();
            ++resets_;
            action = Action::RebootAfterReset;
            return kOk;
        case 8:
            return firmware_.startReadHeader(getLe32(data));
        case 9:
            return firmware_.startReadPartialFile(getLe32(data));
        case 10:
            if (!firmware_.startUpdate(flashFails_))
                return kOk;
            action = Action::RebootIntoFirmware;
            return firmware_.startAnswerLost() ? kNotConnected : kOk;
        case 16:
            return firmware_.setTransferInfo(data);
        case 17:
            return firmware_.setTransferData(data, length);
        default:
            return kInvalidArg;  // read-only controls: the device stalls a SET
    }
}

}  // namespace device::sim
