// The camera's replies to extension-unit requests, as the command set reads them. A fake
// extension unit answers each request from the fuzz input: a result code, the byte count
// the driver claims to have answered, then the reply bytes (never more than the request's
// buffer holds, as the driver never writes more). Every read of the command set runs in
// turn until the input is used up; what each answers must stay in its documented range.
#include <cstdlib>
#include <cstring>

#include "base/app_config.h"
#include "fuzz_support.h"
#include "xu/fake_xu_system.h"
#include "xu/uvc_xu_manager.h"

namespace {

fuzz::Input* current = nullptr;  // the input being played; the fake reads it

device::HResult answer(const device::KsNodeProperty&, void* data, uint32_t length, uint32_t& returned) {
    fuzz::Input& input = *current;
    const uint8_t code = input.byte();
    const device::HResult results[] = {device::kOk, device::kFail, device::kMoreData, device::kFalse,
                                       device::kNotConnected};
    const device::HResult hr = results[code % 5];
    // Mostly an honest count, sometimes any 32-bit number.
    returned = (code & 0x80) ? input.u32() : length;
    if (data && length > 0)
        input.take(data, length);
    return hr;
}

void check(bool condition) {
    if (!condition)
        std::abort();
}

bool terminatedWithin(const char* text, size_t n) {
    return std::memchr(text, 0, n) != nullptr;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::quietLog();
    appConfig().setDeviceName("Lumora X8");
    auto shared = fake::install({{"Lumora X8", "", device::kOk, {device::kNodeTypeDevSpecific}}});
    shared->answer = answer;
    UVCXUManager::instance().setEnableCommand(true);
    if (!UVCXUManager::instance().haveDevice())
        std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Input input(data, size);
    current = &input;
    UVCXUManager& xu = UVCXUManager::instance();
    do {
        // The caller's buffers hold whatever they held before (not necessarily a text).
        char text[kXuTextLength];
        std::memset(text, 'x', sizeof text);
        xu.getSerialNumber(text);
        check(terminatedWithin(text, sizeof text));
        std::memset(text, 'y', sizeof text);
        xu.getFwVersion(text);
        check(terminatedWithin(text, sizeof text));

        uint8_t header[kXuHeaderVersionLength] = {};
        xu.getHeaderVersion(header);

        const int status = xu.getCameraSatatus();
        check((status >= 0 && status <= 255) || status == 65535);
        const int infoStatus = xu.getTransferDataInfoSatatus();
        check(infoStatus >= -128 && infoStatus <= 127);
        const int sensitivity = xu.getAutoSensitive();
        check(sensitivity >= -128 && sensitivity <= 127);
        check(xu.getHdr() <= 255 && xu.getAutoFrame() <= 255 && xu.getTrackingActive() <= 255 &&
              xu.getAutoFrameZoomLevel() <= 255);
        xu.getTransferSize();
    } while (input.remaining() > 0);
    current = nullptr;
    return 0;
}
