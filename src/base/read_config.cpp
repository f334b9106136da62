#include "base/read_config.h"

#include <unistd.h>
#include <QByteArray>
#include <QFile>
#include <QList>
#include <algorithm>
#include <cstdlib>

#include "base/app_config.h"
#include "base/debug_log.h"

namespace {
// A value in matching single or double quotes stands for the text between them.
QByteArray unquoted(const QByteArray& value) {
    const bool quoted =
        value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front();
    return quoted ? value.mid(1, value.size() - 2) : value;
}

bool sameName(const QByteArray& a, const std::string& b) {
    return a.compare(QByteArray::fromStdString(b), Qt::CaseInsensitive) == 0;
}

std::string& lastConfigFile() {
    static std::string path;
    return path;
}

int parseProfileInteger(const QByteArray& text) {
    int i = 0;
    const int n = text.size();
    while (i < n && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < n && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    // Accumulate in unsigned 32-bit arithmetic so that an overlong number wraps as the
    // platform's conversion does instead of overflowing.
    uint32_t value = 0;
    for (; i < n && text[i] >= '0' && text[i] <= '9'; ++i)
        value = value * 10u + uint32_t(text[i] - '0');
    if (negative)
        value = 0u - value;
    return static_cast<int>(value);
}
}  // namespace

std::string executablePath() {
    char buffer[4096];
    const ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
    if (length <= 0)
        return std::string();
    return std::string(buffer, static_cast<size_t>(length));
}

std::string executableDir() {
    const std::string exe = executablePath();
    const size_t cut = exe.find_last_of('/');
    return cut == std::string::npos ? std::string(".") : exe.substr(0, cut);
}

std::string iniPathFor(const std::string& exePath) {
    const size_t cut = exePath.find_last_of("\\/");
    const std::string dir = cut == std::string::npos ? exePath : exePath.substr(0, cut);
    return dir + "/APSet.ini";
}

int readProfileInt(const std::string& iniPath, const std::string& section, const std::string& key,
                   int fallback) {
    QFile file(QString::fromStdString(iniPath));
    if (!file.open(QIODevice::ReadOnly))
        return fallback;
    bool inSection = false;
    const QList<QByteArray> lines = file.readAll().split('\n');
    for (const QByteArray& raw : lines) {
        const QByteArray line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(';'))
            continue;
        if (line.startsWith('[')) {
            const int close = line.indexOf(']');
            inSection = close > 0 && sameName(line.mid(1, close - 1).trimmed(), section);
            continue;
        }
        if (!inSection)
            continue;
        const int equals = line.indexOf('=');
        if (equals < 0 || !sameName(line.left(equals).trimmed(), key))
            continue;
        const QByteArray value = unquoted(line.mid(equals + 1).trimmed());
        // An empty value reads as no value at all.
        return value.isEmpty() ? fallback : parseProfileInteger(value);
    }
    return fallback;
}

std::vector<std::string> configCandidates(const std::string& exePath) {
    std::vector<std::string> candidates;
    const char* const name = "/lumora-x8-settings/APSet.ini";
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    if (configHome != nullptr && configHome[0] == '/')
        candidates.push_back(configHome + std::string(name));
    else if (home != nullptr && home[0] == '/')
        candidates.push_back(home + std::string("/.config") + name);
    const char* configDirs = std::getenv("XDG_CONFIG_DIRS");
    const std::string dirs = configDirs != nullptr && configDirs[0] != '\0' ? configDirs : "/etc/xdg";
    size_t start = 0;
    while (start <= dirs.size()) {
        const size_t end = std::min(dirs.find(':', start), dirs.size());
        const std::string dir = dirs.substr(start, end - start);
        if (!dir.empty() && dir[0] == '/')
            candidates.push_back(dir + name);
        start = end + 1;
    }
    candidates.push_back(iniPathFor(exePath));
    return candidates;
}

bool readConfigFor(const std::string& exePath) {
    // The first file that exists; without any, the one beside the executable (all keys
    // then take their defaults).
    const std::vector<std::string> candidates = configCandidates(exePath);
    std::string path = candidates.back();
    for (const std::string& candidate : candidates) {
        if (::access(candidate.c_str(), F_OK) == 0) {
            path = candidate;
            break;
        }
    }
    debugLog("iniFilePath: %s\n", path.c_str());
    lastConfigFile() = path;
    AppConfig& config = appConfig();
    config.debug = readProfileInt(path, "Config", "debug", 0) != 0;
    config.defaultWidth = readProfileInt(path, "Config", "defaultWidth", 0);
    config.defaultHeight = readProfileInt(path, "Config", "defaultHeight", 0);
    config.defaultFps = readProfileInt(path, "Config", "defaultFps", 0);
    debugLog("debugMode: %d\n", config.debug ? 1 : 0);
    return true;
}

std::string configFileRead() {
    return lastConfigFile();
}

bool readConfig() {
    return readConfigFor(executablePath());
}
