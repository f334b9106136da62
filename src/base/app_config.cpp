#include "base/app_config.h"

#include <cstring>

AppConfig& appConfig() {
    static AppConfig config;
    return config;
}

bool AppConfig::setDeviceName(const char* name) {
    const size_t capacity = sizeof(deviceNameBuffer_);
    const size_t length = name ? strnlen(name, capacity) : 0;
    const bool fits = length < capacity;
    const size_t copied = fits ? length : capacity - 1;
    if (copied > 0)
        std::memcpy(deviceNameBuffer_, name, copied);
    deviceNameBuffer_[copied] = '\0';
    deviceName = deviceNameBuffer_;
    return fits;
}
