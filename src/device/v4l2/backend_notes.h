#pragma once
// What the backend chose where the layers above cannot see it: the capture nodes it
// listed (and skipped), the node a stream bound, the extension unit it addresses. The
// backend links no log, so it keeps these lines for the program to print (describe()).
#include <mutex>
#include <string>

#include "device/v4l2/capture_nodes.h"

namespace device::v4l2 {

class BackendNotes {
public:
    static BackendNotes& instance();
    void noteListing(const NodeListing& listing);
    void noteBound(const CaptureNode& node);
    void noteExtensionUnit(const std::string& line);
    std::string text() const;
    void clear();

private:
    mutable std::mutex mutex_;
    std::string listing_;
    std::string bound_;
    std::string extensionUnit_;
};

// "/dev/video0 \"Lumora X8\" (usb 2e7e:0801, usb-0000:00:14.0-2)"
std::string nodeSummary(const CaptureNode& node);

}  // namespace device::v4l2
