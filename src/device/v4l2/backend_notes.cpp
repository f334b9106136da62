#include "device/v4l2/backend_notes.h"

namespace device::v4l2 {

BackendNotes& BackendNotes::instance() {
    static BackendNotes notes;
    return notes;
}

std::string nodeSummary(const CaptureNode& node) {
    std::string text = node.path + " \"" + node.card + "\" (";
    if (node.name != node.card)
        text += "listed as \"" + node.name + "\", ";
    if (!node.vid.empty())
        text += "usb " + node.vid + ":" + node.pid + ", ";
    return text + node.busInfo + ")";
}

void BackendNotes::noteListing(const NodeListing& listing) {
    std::string text = "capture nodes:";
    if (listing.nodes.empty())
        text += " none";
    for (const CaptureNode& node : listing.nodes)
        text += " " + nodeSummary(node) + ";";
    for (const std::string& skipped : listing.skipped)
        text += " skipped " + skipped + ";";
    std::lock_guard<std::mutex> lock(mutex_);
    listing_ = text;
}

void BackendNotes::noteBound(const CaptureNode& node) {
    std::lock_guard<std::mutex> lock(mutex_);
    bound_ = "video device: " + nodeSummary(node);
}

void BackendNotes::noteExtensionUnit(const std::string& line) {
    std::lock_guard<std::mutex> lock(mutex_);
    extensionUnit_ = "extension unit: " + line;
}

std::string BackendNotes::text() const {
    std::lock_guard<std::mutex> lock(mutex_);
    std::string text = "backend v4l2";
    for (const std::string* line : {&listing_, &bound_, &extensionUnit_})
        if (!line->empty())
            text += "\n" + *line;
    return text + "\n";
}

void BackendNotes::clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    listing_.clear();
    bound_.clear();
    extensionUnit_.clear();
}

}  // namespace device::v4l2
