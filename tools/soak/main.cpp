// lumora-soak [seconds] [--seed=N] [--no-formats] [--rss-bound-mb=N] [--log]
// A long run of the program's window on the simulated Lumora X8: the camera is unplugged
// and plugged again every few seconds; while it is connected, random control changes go
// through the settings engine as the pages send them. Every cycle checks that the window
// is covered while the camera is away and live again (Ready, new frames shown) after it
// returns, and that every value set while connected is what the camera holds. Resident
// memory and open descriptors are taken after the first connection and again at the end
// (both while connected); the run fails when either grew by more than its bound.
// Every third cycle or so also asks the window for a random stream format (not with
// --no-formats).
#include <malloc.h>
#include <QApplication>
#include <QElapsedTimer>
#include <QThread>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "app/mainwindow.h"
#include "base/app_config.h"
#include "base/debug_log.h"
#include "common/wait_until.h"
#include "device/sim/sim_camera.h"
#include "soak_checks.h"

namespace {

struct Options {
    double seconds = 60;
    unsigned seed = 1;
    bool formats = true;
    long rssBoundKb = 48 * 1024;  // growth allowed between the first and the last sample
    int fdBound = 2;
    bool log = false;
};

Options parseOptions(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a.rfind("--seed=", 0) == 0)
            o.seed = unsigned(std::strtoul(a.c_str() + 7, nullptr, 10));
        else if (a == "--no-formats")
            o.formats = false;
        else if (a.rfind("--rss-bound-mb=", 0) == 0)
            o.rssBoundKb = std::atol(a.c_str() + 15) * 1024;
        else if (a == "--log")
            o.log = true;
        else if (!a.empty() && a[0] != '-')
            o.seconds = std::atof(a.c_str());
        else {
            std::fprintf(
                stderr,
                "usage: lumora-soak [seconds] [--seed=N] [--no-formats] [--rss-bound-mb=N] [--log]\n");
            std::exit(2);
        }
    }
    return o;
}

void processFor(int ms) {
    waitUntil([] { return false; }, ms);
}

bool windowReady(mainwindow& window) {
    return window.session().state() == SessionState::Ready;
}

// Asks the window for another stream format the way the mode page does (MJPG or YUY2:
// the simulated camera streams no native H264). False when there was nothing to choose.
bool changeFormat(mainwindow& window, std::mt19937& random) {
    std::vector<RESOLUTION_LIST> formats;
    for (const RESOLUTION_LIST& entry : appConfig().resolutionList)
        if (entry.format == "MJPG" || entry.format == "YUY2")
            formats.push_back(entry);
    if (formats.empty())
        return false;
    window.channgeResolution(formats[random() % formats.size()]);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const Options options = parseOptions(argc, argv);
    // Frame-sized buffers always come from and go back to the system: with glibc's
    // moving threshold they would settle in the streaming threads' heaps, whose resident
    // size then follows the allocator's history rather than what the program holds.
    mallopt(M_MMAP_THRESHOLD, 256 * 1024);
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setLogEcho(options.log);
    QApplication application(argc, argv);
    std::mt19937 random(options.seed);

    std::shared_ptr<device::sim::SimCamera> camera = device::sim::installSimulatedCamera();
    soak::ControlRecord record;
    if (!soak::installJobObserver(record)) {
        std::printf("FAIL: the settings engine already has a worker\n");
        return 1;
    }
    auto window = std::make_unique<mainwindow>();
    window->show();

    soak::Figures figures;
    int failures = 0;
    auto fail = [&](const std::string& what) {
        ++failures;
        std::printf("FAIL (cycle %d): %s\n", figures.cycles, what.c_str());
        std::fflush(stdout);
    };

    // The connect tick (2 s) finds the camera; the stream opens; the first frames arrive.
    constexpr int kRecoveryMs = 10000;
    const auto live = [&] {
        const long before = camera->framesDelivered();
        return waitUntil([&] { return windowReady(*window); }, kRecoveryMs) &&
               waitUntil(
                   [&] { return camera->framesDelivered() > before + 3 && soak::showsPicture(*window); },
                   kRecoveryMs);
    };
    if (!live()) {
        std::printf("FAIL: the window never showed the camera\n");
        return 1;
    }
    processFor(1000);
    const soak::Usage start = soak::usageNow();
    std::printf("start: RSS %ld kB, %d open descriptors\n", start.rssKb, start.descriptors);
    std::fflush(stdout);

    QElapsedTimer clock;
    clock.start();
    const qint64 endMs = qint64(options.seconds * 1000);
    while (clock.elapsed() < endMs && failures == 0) {
        ++figures.cycles;
        // Connected: a few seconds of random changes, a format change now and then.
        const int connectedMs = 2000 + int(random() % 3000);
        QElapsedTimer phase;
        phase.start();
        while (phase.elapsed() < connectedMs) {
            if (!std::getenv("SOAK_NOCHANGE")) {
                soak::queueRandomChange(random, record);
                ++figures.changes;
            }
            processFor(20 + int(random() % 80));
        }
        if (!record.drain())
            fail("the settings engine did not apply its queue");
        for (const std::string& mismatch : record.compareWith(*camera))
            fail(mismatch);
        // A format change re-opens the stream (pending jobs are dropped with the old one,
        // so it comes after the check).
        if (options.formats && random() % 3 == 0 && changeFormat(*window, random)) {
            ++figures.formatChanges;
            if (!live())
                fail("no live picture after a format change");
        }

        // Away: the window covers itself and keeps searching.
        camera->unplug();
        if (!waitUntil(
                [&] {
                    return soak::isCovered(*window) && window->session().state() == SessionState::Searching;
                },
                5000))
            fail("the window was not covered after the camera left");
        processFor(500 + int(random() % 2500));

        camera->clearXuRequests();  // the simulator's own request history, not the program's
        camera->plug();
        if (!live())
            fail("the window did not recover after the camera came back");
        figures.reconnects += 1;
        const soak::Usage now = soak::usageNow();
        std::printf(
            "cycle %d at %.0f s: RSS %ld kB, %d open descriptors, %d threads, %d running streams, "
            "%d slots in use, %d objects in the window\n",
            figures.cycles, clock.elapsed() / 1000.0, now.rssKb, now.descriptors, now.threads,
            camera->runningStreams(), soak::captureSlotsInUse(),
            int(window->findChildren<QObject*>().size()));
        std::fflush(stdout);
    }
    processFor(1000);
    const soak::Usage end = soak::usageNow();

    std::printf("end: RSS %ld kB, %d open descriptors\n", end.rssKb, end.descriptors);
    std::printf("%d cycles in %.0f s: %d reconnects, %ld control changes (%ld applied), %d format changes\n",
                figures.cycles, clock.elapsed() / 1000.0, figures.reconnects, figures.changes,
                record.appliedCount(), figures.formatChanges);
    const long rssGrowth = end.rssKb - start.rssKb;
    std::printf("RSS growth %ld kB (bound %ld kB), descriptor growth %d (bound %d)\n", rssGrowth,
                options.rssBoundKb, end.descriptors - start.descriptors, options.fdBound);
    if (rssGrowth > options.rssBoundKb)
        fail("resident memory grew beyond its bound");
    if (end.descriptors - start.descriptors > options.fdBound)
        fail("open descriptors grew beyond their bound");

    window.reset();
    soak::removeJobObserver();
    std::printf(failures == 0 ? "PASS\n" : "FAIL: %d failure(s)\n", failures);
    return failures == 0 ? 0 : 1;
}
