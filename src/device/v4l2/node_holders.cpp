#include "device/v4l2/node_holders.h"

#include <dirent.h>
#include <unistd.h>

#include <limits.h>
#include <algorithm>
#include <cctype>
#include <fstream>

namespace device::v4l2 {
namespace {

// A /proc entry that is a process: digits only.
int pidOf(const char* name) {
    long pid = 0;
    for (const char* c = name; *c != '\0'; ++c) {
        if (!std::isdigit(static_cast<unsigned char>(*c)) || pid > INT_MAX / 10)
            return -1;
        pid = pid * 10 + (*c - '0');
    }
    return *name == '\0' || pid > INT_MAX ? -1 : int(pid);
}

std::vector<std::string> entries(const std::string& dir) {
    std::vector<std::string> names;
    DIR* d = ::opendir(dir.c_str());
    if (d == nullptr)
        return names;  // gone meanwhile, or another user's
    while (const dirent* e = ::readdir(d))
        names.emplace_back(e->d_name);
    ::closedir(d);
    return names;
}

bool holds(const std::string& fdDir, const std::string& nodePath) {
    for (const std::string& fd : entries(fdDir)) {
        if (pidOf(fd.c_str()) < 0)
            continue;  // "." and ".."
        char target[PATH_MAX];
        const ssize_t n = ::readlink((fdDir + "/" + fd).c_str(), target, sizeof target - 1);
        if (n > 0 && nodePath.compare(0, std::string::npos, target, size_t(n)) == 0)
            return true;
    }
    return false;
}

std::string commandName(const std::string& processDir) {
    std::ifstream comm(processDir + "/comm");
    std::string name;
    std::getline(comm, name);
    return name.empty() ? std::string("?") : name;
}

}  // namespace

std::vector<ProcessRef> nodeHolders(const std::string& procRoot, const std::string& nodePath, int self) {
    std::vector<ProcessRef> holders;
    for (const std::string& entry : entries(procRoot)) {
        const int pid = pidOf(entry.c_str());
        if (pid <= 0 || pid == self)
            continue;
        const std::string processDir = procRoot + "/" + entry;
        if (holds(processDir + "/fd", nodePath))
            holders.push_back({commandName(processDir), pid});
    }
    std::sort(holders.begin(), holders.end(),
              [](const ProcessRef& a, const ProcessRef& b) { return a.pid < b.pid; });
    return holders;
}

}  // namespace device::v4l2
