// lumora-framerate [seconds] [WIDTHxHEIGHT FORMAT]
// Opens the simulated Lumora X8 through UvcStream (the default format, or the one named)
// and counts the frames that newFrameCount / getFrame hand to the reader, like the
// preview tick does. Prints the measured frame rate.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "base/app_config.h"
#include "base/debug_log.h"
#include "capture/uvc_stream.h"
#include "device/sim/sim_camera.h"

namespace {
class ResultCallback : public StreamCallback {
public:
    void streamResult(int result) override { last = result; }
    int last = -100;
};

// Reads frames for the given time; answers frames per second seen by the reader.
double measure(UvcStream& stream, double seconds, long& frames, long& reads, long& bytes) {
    using Clock = std::chrono::steady_clock;
    frames = 0;
    reads = 0;
    bytes = 0;
    // Let the first frames settle before counting.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    uint8_t* data = nullptr;
    stream.getFrame(&data);
    const Clock::time_point start = Clock::now();
    const Clock::time_point end =
        start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    while (Clock::now() < end) {
        const int fresh = stream.newFrameCount();
        if (fresh > 0) {
            frames += fresh;
            bytes += stream.getFrame(&data);
            ++reads;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    return frames / elapsed;
}
}  // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 5.0;
    RESOLUTION_LIST request;
    if (argc > 3 && std::sscanf(argv[2], "%dx%d", &request.width, &request.height) == 2) {
        request.format = argv[3];
    }
    setLogEcho(std::getenv("LUMORA_FRAMERATE_LOG") != nullptr);

    device::sim::installSimulatedCamera();
    appConfig().setDeviceName("Lumora X8");
    UvcStream stream;
    ResultCallback callback;
    stream.setCallback(&callback);
    stream.openAsRgbStream();
    if (!request.format.empty() && callback.last >= 0) {
        for (const RESOLUTION_LIST& entry : stream.getList()) {
            // The first entry of a size has its highest rate.
            if (entry.width == request.width && entry.height == request.height &&
                entry.format == request.format) {
                request.index = entry.index;
                request.fps = entry.fps;
                break;
            }
        }
        stream.release();
        if (stream.openAsRgbStream(request) != 0) {
            std::printf("no format %dx%d %s\n", request.width, request.height, request.format.c_str());
            return 1;
        }
    }
    if (callback.last < 0) {
        std::printf("open failed: %d\n", callback.last);
        return 1;
    }
    long frames = 0;
    long reads = 0;
    long bytes = 0;
    const double rate = measure(stream, seconds, frames, reads, bytes);
    std::printf("%ld frames in %.1f s: %.2f fps (%.0f bytes per frame)\n", frames, seconds, rate,
                reads > 0 ? double(bytes) / double(reads) : 0.0);
    stream.release();
    return 0;
}
