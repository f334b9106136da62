#pragma once
// The extension-unit channel: owns the current UVCXU (the discovered extension unit of
// the camera) and carries the commandEnabled switch. Every operation may be called from
// any thread; requests, size queries and setEnableCommand are serialised, so no request
// ever runs while the channel is being destroyed or re-created. The vendor command set
// (UVCXUManager) sits on top of it.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

#include "xu/xu_request.h"

class UVCXU;

class XuChannel {
public:
    XuChannel(const XuChannel&) = delete;
    XuChannel& operator=(const XuChannel&) = delete;

    // true: keep the current UVCXU or discover anew; false: destroy the UVCXU.
    void setEnableCommand(bool enable);
    bool isCommandEnabled() const { return commandEnabled_.load(); }
    // Whether the current UVCXU found the camera's extension unit.
    bool haveDevice();
    // Enables the channel and asks for the unit; while it is missing, disables the channel,
    // pauses and asks again, at most retries more times. pause answers true to give up
    // (a quit). Answers whether the unit was found.
    bool findUnit(int retries, const std::function<bool()>& pause);
    // Whether the capture layer still sees a device of the configured name.
    bool checkUVCDeviceExist();

protected:
    // Created with a UVCXU of its own, so the first use runs device discovery.
    XuChannel();
    ~XuChannel();

    // Sends one request over the current UVCXU after logging "sendRequestDirectly".
    // *sent (when asked) is false when the channel is disabled (nothing reached the device).
    bool sendDirectly(XURequest& request, bool* sent = nullptr);
    // The size query over the current UVCXU after logging "getXUTransferSize"; false when
    // the channel is disabled (size untouched).
    bool querySize(XURequest& request, uint32_t& size);

private:
    std::mutex channelMutex_;  // guards uvcxu_ and every use of it
    std::unique_ptr<UVCXU> uvcxu_;
    std::atomic<bool> commandEnabled_{false};
};
