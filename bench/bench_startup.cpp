// Start-up: from the process's start to its first painted window, for the program on the
// simulated Lumora X8 and, side by side in the same run, for a bare Qt Widgets program
// with one label (startup_bare_label); and for the program, to its settings page painted
// (which may follow the first paint by a frame: the figure a user waits for) and to the
// first live camera picture painted in its preview. Each program is started with a probe library preloaded
// (startup_probe.cpp), which notes the moments and ends the process; the runs alternate
// between the two programs.
//
// Per program, medians over the runs: the wall time from the spawn, and the process's CPU
// time (all its threads, from its start), which a busy machine does not stretch.
// Last: the ratios program / bare program (the settings page's against the bare program's
// first paint too; and the first paint against the bare label in a window of the program's
// smallest size, which shows what the window's pixels alone cost), and the time to the
// first live picture.
//
// Options: --runs=N per program (10). QT_QPA_PLATFORM is offscreen unless set.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "bench_options.h"
#include "percentile.h"

extern char** environ;

namespace {

long long monotonicNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

struct Moment {
    double wallMs = -1;  // since the spawn
    double cpuMs = -1;   // the process's CPU time then
};

// Starts the program with the probe, waits for it, and reads the moments it noted.
std::map<std::string, Moment> runOnce(const std::string& program, const std::vector<std::string>& arguments,
                                      const QString& scratch) {
    const std::string notes = (scratch + QStringLiteral("/notes")).toStdString();
    std::remove(notes.c_str());
    std::vector<std::string> environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string line = *entry;
        if (line.rfind("LD_PRELOAD=", 0) != 0 && line.rfind("LUMORA_STARTUP_PROBE=", 0) != 0 &&
            line.rfind("XDG_CONFIG_HOME=", 0) != 0 && line.rfind("XDG_RUNTIME_DIR=", 0) != 0)
            environment.push_back(line);
    }
    environment.push_back(std::string("LD_PRELOAD=") + LUMORA_PROBE_PATH);
    environment.push_back("LUMORA_STARTUP_PROBE=" + notes);
    environment.push_back("XDG_CONFIG_HOME=" + scratch.toStdString());  // profiles stay here
    // The lock of the single window too: a window already running in the session would
    // otherwise be raised instead, and the run would note nothing.
    environment.push_back("XDG_RUNTIME_DIR=" + scratch.toStdString());
    std::vector<char*> envp;
    for (std::string& line : environment)
        envp.push_back(line.data());
    envp.push_back(nullptr);
    std::vector<std::string> args{program};
    args.insert(args.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    const long long start = monotonicNs();
    const int rc = posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    std::map<std::string, Moment> moments;
    if (rc != 0)
        return moments;
    int status = 0;
    waitpid(child, &status, 0);
    std::ifstream in(notes);
    std::string what;
    long long at = 0;
    double cpu = 0;
    while (in >> what >> at >> cpu)
        moments[what] = Moment{double(at - start) / 1.0e6, cpu};
    return moments;
}

struct Series {
    std::vector<double> wall;
    std::vector<double> cpu;
    int missing = 0;
    void add(const std::map<std::string, Moment>& moments, const std::string& what) {
        const auto found = moments.find(what);
        if (found == moments.end()) {
            ++missing;
            return;
        }
        wall.push_back(found->second.wallMs);
        cpu.push_back(found->second.cpuMs);
    }
    double wallMedian() const { return wall.empty() ? -1 : percentile(wall, 0.5); }
    double cpuMedian() const { return cpu.empty() ? -1 : percentile(cpu, 0.5); }
};

// The main window's smallest size: the bare label's window in the second yardstick.
constexpr const char* kWindowSize = "1280x650";

}  // namespace

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const int runs = intOption(argc, argv, "--runs", 10);
    QTemporaryDir scratch;
    if (!scratch.isValid())
        return 1;

    Series bare;
    Series bareSized;
    Series appPaint;
    Series appPage;
    Series appPicture;
    for (int run = 0; run < runs; ++run) {
        bare.add(runOnce(LUMORA_BARE_PATH, {}, scratch.path()), "paint");
        bareSized.add(runOnce(LUMORA_BARE_PATH, {kWindowSize}, scratch.path()), "paint");
        const auto moments = runOnce(LUMORA_APP_PATH, {"--camera=simulated"}, scratch.path());
        appPaint.add(moments, "paint");
        appPage.add(moments, "settings");
        appPicture.add(moments, "picture");
    }

    std::printf("== start-up, %d runs each, medians (wall from the spawn; CPU of the process)\n", runs);
    std::printf("bare Qt Widgets program, one label, first painted window: wall %7.1f ms  CPU %7.1f ms\n",
                bare.wallMedian(), bare.cpuMedian());
    const std::string sized = std::string("the same, the label in a ") + kWindowSize + " window:";
    std::printf("%-57s wall %7.1f ms  CPU %7.1f ms\n", sized.c_str(), bareSized.wallMedian(),
                bareSized.cpuMedian());
    std::printf("lumora-x8-settings, first painted window:                 wall %7.1f ms  CPU %7.1f ms\n",
                appPaint.wallMedian(), appPaint.cpuMedian());
    std::printf("lumora-x8-settings, settings page painted:                wall %7.1f ms  CPU %7.1f ms\n",
                appPage.wallMedian(), appPage.cpuMedian());
    std::printf("lumora-x8-settings, first live picture (simulated camera): wall %7.1f ms  CPU %7.1f ms\n",
                appPicture.wallMedian(), appPicture.cpuMedian());
    if (bare.missing + bareSized.missing + appPaint.missing + appPage.missing + appPicture.missing > 0)
        std::printf("  (runs without the moment: bare %d and %d, window %d, settings page %d, picture %d)\n",
                    bare.missing, bareSized.missing, appPaint.missing, appPage.missing, appPicture.missing);
    std::printf("settings page painted ratio (program / bare first paint): CPU %.2f  wall %.2f\n",
                appPage.cpuMedian() / bare.cpuMedian(), appPage.wallMedian() / bare.wallMedian());
    std::printf("first paint ratio (program / bare label in a %s window): CPU %.2f  wall %.2f\n", kWindowSize,
                appPaint.cpuMedian() / bareSized.cpuMedian(), appPaint.wallMedian() / bareSized.wallMedian());
    std::printf("first paint ratio (program / bare): CPU %.2f  wall %.2f\n",
                appPaint.cpuMedian() / bare.cpuMedian(), appPaint.wallMedian() / bare.wallMedian());
    std::printf("first live picture: %.0f ms wall, %.0f ms CPU\n", appPicture.wallMedian(),
                appPicture.cpuMedian());
    return 0;
}
