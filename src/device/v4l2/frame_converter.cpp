#include "device/v4l2/frame_converter.h"

#include <dlfcn.h>
#include <unistd.h>

#include <atomic>
#include <climits>
#include <cstdio>

namespace device::v4l2 {
namespace {

std::string executableDir() {
    char path[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0)
        return ".";
    const std::string exe(path, size_t(length));
    const size_t slash = exe.rfind('/');
    return slash == std::string::npos ? "." : exe.substr(0, slash);
}

// Beside the executable (the build tree, the tests), else the installed private folder.
std::string modulePath() {
    const std::string beside = executableDir() + "/" + kFrameConverterModule;
    if (::access(beside.c_str(), F_OK) == 0)
        return beside;
    return executableDir() + "/" LUMORA_PRIVATE_LIB_FROM_BIN "/" + kFrameConverterModule;
}

// Loaded once, by the first open; a failure is reported once on stderr, where a user who
// started the program from a terminal sees why the camera's picture stays dark.
const FrameConverterModule& processModule() {
    static const FrameConverterModule module = [] {
        FrameConverterModule loaded = loadFrameConverterModule(modulePath());
        if (!loaded.error.empty())
            std::fprintf(stderr, "%s\n", loaded.error.c_str());
        return loaded;
    }();
    return module;
}

std::atomic<bool> processModuleTried{false};

}  // namespace

FrameConverterModule loadFrameConverterModule(const std::string& path) {
    FrameConverterModule module;
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* reason = ::dlerror();
        module.error = "camera frames cannot be converted: the converter module " + path +
                       " (libavcodec, libswscale) does not load: " + (reason ? reason : "unknown reason");
        return module;
    }
    module.create = reinterpret_cast<CreateFrameConversionFn>(::dlsym(handle, kCreateFrameConversion));
    if (module.create == nullptr) {
        module.error = "camera frames cannot be converted: " + path + " is no converter module (no " +
                       kCreateFrameConversion + ")";
        ::dlclose(handle);
    }
    return module;
}

FrameConverter::FrameConverter() = default;
FrameConverter::~FrameConverter() = default;

bool FrameConverter::open(uint32_t pixelformat, int width, int height, int bytesPerLine, size_t maxSample,
                          int outWidth, int outHeight) {
    if (!conversion_) {
        processModuleTried = true;
        const FrameConverterModule& module = processModule();
        if (module.create == nullptr)
            return false;
        conversion_.reset(module.create());
        if (!conversion_)
            return false;
    }
    return conversion_->open(pixelformat, width, height, bytesPerLine, maxSample, outWidth, outHeight);
}

const uint8_t* FrameConverter::convert(const uint8_t* data, size_t length) {
    return conversion_ ? conversion_->convert(data, length) : nullptr;
}

size_t FrameConverter::pictureSize() const {
    return conversion_ ? conversion_->pictureSize() : 0;
}

std::string FrameConverter::loadError() {
    return processModuleTried ? processModule().error : std::string();
}

}  // namespace device::v4l2
