// The command line on the simulated Lumora X8: the wall time of `--get` of every control
// against `--list`, the program run as a process, the runs alternating in each round, so
// that a busy machine stretches all alike. --get opens the camera's controls and its
// extension unit and reads every value; --list reads the serial number and the version
// over the extension unit only.
//
// --get runs twice per round: on a camera just plugged, where the driver reads each range
// and value from the camera once (a control transfer each), and on a camera whose controls
// were read before since its plug (the simulated camera's "controls-read-before"), where
// the driver answers them from its cache, as uvcvideo does for every program but the
// first after a plug (tools/vm's USB camera check counts the requests on the real driver).
// Medians over the rounds; last the two ratios get / list, the usual case last.
//
// Options: --rounds=N (7). LUMORA_SIM_SCRIPT is passed on (e.g. "in-use": the same
// during a call).
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "bench_options.h"
#include "percentile.h"

extern char** environ;

namespace {

double monotonicSeconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// Runs the program with arguments, its output discarded; the wall time in seconds, or -1
// when it did not end with 0.
double runOnce(const std::vector<std::string>& arguments, const std::vector<std::string>& environment) {
    std::vector<char*> argv{const_cast<char*>(LUMORA_APP_PATH)};
    for (const std::string& a : arguments)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (const std::string& e : environment)
        envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const double start = monotonicSeconds();
    pid_t child = 0;
    const int spawned = posix_spawn(&child, LUMORA_APP_PATH, &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return -1;
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    return monotonicSeconds() - start;
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = intOption(argc, argv, "--rounds", 7);
    char scratch[] = "/tmp/lumora-bench-cli-XXXXXX";
    if (mkdtemp(scratch) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    std::vector<std::string> environment;
    std::string script;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string line = *entry;
        if (line.rfind("LUMORA_SIM_SCRIPT=", 0) == 0)
            script = line.substr(std::strlen("LUMORA_SIM_SCRIPT="));
        else if (line.rfind("LUMORA_CAMERA=", 0) != 0 && line.rfind("LUMORA_PROFILE_DIR=", 0) != 0)
            environment.push_back(line);
    }
    environment.push_back("LUMORA_CAMERA=simulated");
    environment.push_back(std::string("LUMORA_PROFILE_DIR=") + scratch);
    std::vector<std::string> plugged = environment;
    plugged.push_back("LUMORA_SIM_SCRIPT=" + script);
    std::vector<std::string> readBefore = environment;
    readBefore.push_back("LUMORA_SIM_SCRIPT=" + script + (script.empty() ? "" : ";") +
                         "controls-read-before");

    std::vector<double> getPlugged;
    std::vector<double> getReadBefore;
    std::vector<double> list;
    for (int round = 0; round < rounds; ++round) {
        const double g = runOnce({"--get"}, plugged);
        const double w = runOnce({"--get"}, readBefore);
        const double l = runOnce({"--list"}, plugged);
        if (g < 0 || w < 0 || l < 0) {
            std::fprintf(stderr, "the program failed in round %d\n", round + 1);
            return 1;
        }
        getPlugged.push_back(g);
        getReadBefore.push_back(w);
        list.push_back(l);
    }
    std::remove((std::string(scratch) + "/profiles").c_str());
    rmdir(scratch);
    const double listMedian = percentile(list, 0.5);
    auto row = [](const char* what, const std::vector<double>& times) {
        std::printf("  %-50s %.3f s  (%.3f .. %.3f)\n", what, percentile(times, 0.5), percentile(times, 0.0),
                    percentile(times, 1.0));
    };
    auto ratio = [&](const std::vector<double>& times) {
        return listMedian > 0 ? percentile(times, 0.5) / listMedian : 0.0;
    };
    std::printf("command line on the simulated camera, medians of %d rounds:\n", rounds);
    row("--get (every control), the camera just plugged", getPlugged);
    row("--get (every control), its controls read before", getReadBefore);
    row("--list", list);
    std::printf("ratio get/list, the camera just plugged: %.2f\n", ratio(getPlugged));
    std::printf("ratio get/list, its controls read before: %.2f\n", ratio(getReadBefore));
    return 0;
}
