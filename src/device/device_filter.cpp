#include "device/device_filter.h"

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

namespace device {
namespace {

template <typename Item>
void keepDevice(std::vector<std::unique_ptr<Item>>& items, const std::string& key) {
    items.erase(std::remove_if(items.begin(), items.end(),
                               [&key](const std::unique_ptr<Item>& item) {
                                   std::string link;
                                   return failed(item->symbolicLink(link)) || deviceKey(link) != key;
                               }),
                items.end());
}

class FilteredVideo : public VideoSystem {
public:
    FilteredVideo(std::shared_ptr<VideoSystem> inner, std::string key)
        : inner_(std::move(inner)), key_(std::move(key)) {}
    HResult createGraph(std::unique_ptr<CaptureGraph>& graph) override { return inner_->createGraph(graph); }
    HResult createDeviceEnumerator() override { return inner_->createDeviceEnumerator(); }
    HResult enumerateVideoInputs(std::vector<std::unique_ptr<DeviceMoniker>>& devices) override {
        const HResult hr = inner_->enumerateVideoInputs(devices);
        if (failed(hr))
            return hr;
        keepDevice(devices, key_);
        return devices.empty() ? kFalse : kOk;
    }

private:
    std::shared_ptr<VideoSystem> inner_;
    std::string key_;
};

class FilteredXu : public XuSystem {
public:
    FilteredXu(std::shared_ptr<XuSystem> inner, std::string key)
        : inner_(std::move(inner)), key_(std::move(key)) {}
    HResult createAttributes() override { return inner_->createAttributes(); }
    HResult selectVideoCaptureSources() override { return inner_->selectVideoCaptureSources(); }
    HResult enumerateSources(std::vector<std::unique_ptr<XuActivation>>& sources) override {
        const HResult hr = inner_->enumerateSources(sources);
        if (succeeded(hr))
            keepDevice(sources, key_);
        return hr;
    }

private:
    std::shared_ptr<XuSystem> inner_;
    std::string key_;
};

}  // namespace

std::string deviceKey(const std::string& symbolicLink) {
    const size_t last = symbolicLink.rfind('#');
    if (last != std::string::npos && symbolicLink.compare(last + 1, 1, "{") == 0)
        return symbolicLink.substr(0, last);
    return symbolicLink;
}

DevicePort onlyDevice(const DevicePort& inner, const std::string& key) {
    DevicePort view = inner;
    if (inner.video)
        view.video = std::make_shared<FilteredVideo>(inner.video, key);
    if (inner.xu)
        view.xu = std::make_shared<FilteredXu>(inner.xu, key);
    return view;
}

}  // namespace device
