// Latency of one settings job from addJob to the camera, with an idle worker and the
// simulated camera: to the moment the worker takes the job (just before the device
// call) and to the moment the simulated camera holds the new value. Each iteration
// waits for the job to finish and lets the worker fall idle before queueing the next,
// so every sample includes the wake-up of a waiting worker.
//
// Reported per benchmark: the median and the 99th percentile in microseconds.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "base/debug_log.h"
#include "capture/uvc_camera.h"
#include "device/control_port.h"
#include "device/sim/sim_camera.h"
#include "engine/control_id.h"
#include "engine/setting_task_engine.h"
#include "percentile.h"

namespace {

using Clock = std::chrono::steady_clock;

// An open simulated camera with a running settings worker whose observer stamps the
// moment each job is taken.
class LatencyRig {
public:
    explicit LatencyRig(int controlLatencyUs) {
        setLogEcho(false);
        device::sim::SimOptions options;
        options.controlLatencyUs = controlLatencyUs;
        options.frameRateMultiplier = 1.0;
        sim_ = device::sim::installSimulatedCamera(options);
        std::vector<RESOLUTION_LIST> formats;
        const int index = camera_.initial("Lumora X8", formats);
        ok_ = index >= 0 && camera_.open(0, index, 1) >= 0;
        SettingTaskEngine& engine = SettingTaskEngine::instance();
        engine.setJobObserver(
            [this](const SettingJob&) { taken_.store(Clock::now().time_since_epoch().count()); });
        engine.setCamera(&camera_);
    }
    ~LatencyRig() {
        SettingTaskEngine::instance().deleteCamera();
        SettingTaskEngine::instance().setJobObserver(nullptr);
        camera_.release();
        setLogEcho(true);
    }
    bool ok() const { return ok_; }

    // Queues one brightness job; answers the microseconds to the take and to the value
    // reaching the camera.
    bool measure(int value, double& toTakeUs, double& toCameraUs) {
        taken_.store(0);
        const Clock::time_point start = Clock::now();
        SettingTaskEngine::instance().addJob(ADJ_BRIGHTNESS, value);
        const Clock::time_point deadline = start + std::chrono::seconds(2);
        while (sim_->control(device::ControlGroup::VideoProcAmp, device::kProcBrightness).value != value) {
            if (Clock::now() > deadline) {
                return false;
            }
            std::this_thread::yield();
        }
        const Clock::time_point applied = Clock::now();
        const Clock::time_point take{Clock::duration(taken_.load())};
        toTakeUs = std::chrono::duration<double, std::micro>(take - start).count();
        toCameraUs = std::chrono::duration<double, std::micro>(applied - start).count();
        return true;
    }

private:
    std::shared_ptr<device::sim::SimCamera> sim_;
    UvcCamera camera_;
    bool ok_ = false;
    std::atomic<Clock::rep> taken_{0};
};

void runLatency(benchmark::State& state) {
    LatencyRig rig(static_cast<int>(state.range(0)));
    if (!rig.ok()) {
        state.SkipWithError("the simulated camera did not open");
        return;
    }
    std::vector<double> toTake;
    std::vector<double> toCamera;
    int value = 0;
    for (auto _ : state) {
        value = value == 100 ? 1 : value + 1;
        double take = 0;
        double camera = 0;
        if (!rig.measure(value, take, camera)) {
            state.SkipWithError("a job did not reach the camera within 2 s");
            return;
        }
        state.SetIterationTime(camera / 1e6);
        toTake.push_back(take);
        toCamera.push_back(camera);
        // Let the worker fall back into its idle wait.
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    state.counters["take_median_us"] = percentile(toTake, 0.50);
    state.counters["take_p99_us"] = percentile(toTake, 0.99);
    state.counters["camera_median_us"] = percentile(toCamera, 0.50);
    state.counters["camera_p99_us"] = percentile(toCamera, 0.99);
}

}  // namespace

// Argument: the simulated latency of every control call in microseconds (0: none; 1000:
// about a real USB control transfer).
BENCHMARK(runLatency)->Name("JobLatency/idleWorker")->Arg(0)->Arg(1000)->Iterations(2000)->UseManualTime();

BENCHMARK_MAIN();
