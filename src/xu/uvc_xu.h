#pragma once
// The camera's extension unit as found through the device port: discovery in the
// constructor (the last capture source of exactly the configured name, its first
// device-specific topology node), single requests to that node, release in the destructor.
// Not thread-safe by itself: UVCXUManager serialises every use.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "device/xu_port.h"
#include "xu/xu_request.h"

class UVCXU {
public:
    // Runs discovery against the installed port's extension-unit system; never fails
    // outward, the outcome is isDeviceFounded().
    UVCXU();
    ~UVCXU();
    UVCXU(const UVCXU&) = delete;
    UVCXU& operator=(const UVCXU&) = delete;

    bool isDeviceFounded() const;
    int32_t nodeId() const { return nodeId_; }
    const std::string& vid() const { return vid_; }
    const std::string& pid() const { return pid_; }

    // Sends one request; a request with nodeId -1 gets the channel's node (the caller's
    // record changes). true when the driver accepted it.
    bool sendRequest(XURequest& request);
    // Zero-length GET of one control: stores the control's length in size (left untouched
    // without a control). Always true.
    bool getXUTransferSize(XURequest& request, uint32_t& size);

private:
    void getVideoDevices();
    bool getVideoDeviceFriendlyName(size_t index, std::string& name);
    void parseVidPid(size_t index);
    void initVideoDevice(size_t index);
    bool initKsControl();
    device::KsNodeProperty nodeProperty(XURequest& request) const;
    // Hands one request to the node control; false when the call threw (its text goes to
    // the error stream and hr becomes device::kFail).
    bool callProperty(const device::KsNodeProperty& property, XURequest& request, uint32_t& returned,
                      device::HResult& hr);

    int32_t nodeId_ = -1;
    bool deviceFound_ = false;
    std::string vid_;
    std::string pid_;

    std::shared_ptr<device::XuSystem> system_;  // the "attribute store"
    std::vector<std::unique_ptr<device::XuActivation>> devices_;
    std::unique_ptr<device::XuMediaSource> source_;
    std::unique_ptr<device::XuNodeControl> control_;
};
