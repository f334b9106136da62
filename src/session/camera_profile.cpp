#include "session/camera_profile.h"

#include <sys/stat.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QStandardPaths>
#include <atomic>
#include <set>
#include <utility>
#include <vector>

#include "engine/control_reading.h"
#include "engine/current_values.h"
#include "engine/setting_task_engine.h"

namespace {
std::atomic<bool> g_profilesEnabled{false};

// How long a writer waits for another one to finish with the profile.
constexpr int kLockWaitMs = 5000;

// Serial numbers become file names: letters, digits, '-' and '_' stay, the rest is
// written as %XX.
QString fileNameFor(const QString& serial) {
    QString name;
    for (const QChar c : serial) {
        if ((c.isLetterOrNumber() && c.unicode() < 128) || c == QLatin1Char('-') || c == QLatin1Char('_'))
            name += c;
        else
            name += QStringLiteral("%%1").arg(c.unicode(), 2, 16, QLatin1Char('0')).toUpper();
    }
    return name + QStringLiteral(".ini");
}

bool failWith(QString* error, const QString& path, const QString& why) {
    if (error != nullptr)
        *error = QStringLiteral("cannot write profile %1: %2").arg(path, why);
    return false;
}

// Replaces path with text atomically.
bool replaceFile(const QString& path, const QByteArray& text, QString* error,
                 const std::function<void()>& beforeCommit) {
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        return failWith(error, path, file.errorString());
    if (file.write(text) != text.size() || !file.flush())
        return failWith(error, path, file.errorString());
    if (beforeCommit)
        beforeCommit();
    if (!file.commit())
        return failWith(error, path, file.errorString());
    return true;
}

// The file's bytes, at most kMaxProfileBytes; false when it cannot be read.
bool readSmallFile(const QString& path, QByteArray* text) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    *text = file.read(kMaxProfileBytes);
    return file.error() == QFile::NoError;
}

int linkCount(const QString& path) {
    struct stat info = {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_nlink) : 0;
}
}  // namespace

QString profilePathFor(const QString& serial) {
    if (serial.isEmpty())
        return QString();
    QString folder = qEnvironmentVariable("LUMORA_PROFILE_DIR");
    if (folder.isEmpty()) {
        folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                 QStringLiteral("/lumora-x8-settings/profiles");
    }
    return folder + QLatin1Char('/') + fileNameFor(serial);
}

std::set<std::string> keysOf(const CameraProfile& profile) {
    std::set<std::string> keys;
    for (const auto& entry : profile.values)
        keys.insert(entry.first);
    return keys;
}

bool rewriteUnderLock(const QString& path, const TextChange& change, QString* error,
                      const std::function<void()>& beforeCommit) {
    const QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath()))
        return failWith(error, path, QStringLiteral("cannot create its folder"));
    if (info.exists() && !info.isFile())
        return failWith(error, path, QStringLiteral("it is not a regular file"));
    QLockFile lock(path + QStringLiteral(".lock"));
    if (!lock.tryLock(kLockWaitMs))
        return failWith(error, path,
                        lock.error() == QLockFile::LockFailedError
                            ? QStringLiteral("another program held its lock file too long")
                            : QStringLiteral("cannot create its lock file"));
    QByteArray existing;
    const bool exists = QFileInfo::exists(path);
    if (exists && !readSmallFile(path, &existing))
        return failWith(error, path, QStringLiteral("cannot read it"));
    QByteArray text;
    QString why;
    if (!change(exists ? &existing : nullptr, &text, &why))
        return failWith(error, path, why);
    return replaceFile(path, text, error, beforeCommit);
}

bool storeProfile(const QString& path, const CameraProfile& profile, const std::set<std::string>& changed,
                  QString* error, const std::function<void()>& beforeCommit) {
    const auto merge = [&](const QByteArray* existing, QByteArray* text, QString*) {
        *text = existing != nullptr ? mergeProfileText(*existing, profile, changed) : profileText(profile);
        return true;
    };
    return rewriteUnderLock(path, merge, error, beforeCommit);
}

QString exportRefusal(const QString& path) {
    if (path == QStringLiteral("-"))
        return QStringLiteral("'-' is not standard output here; name a file (./- for one named '-')");
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        return QStringLiteral("it exists and is not a regular file");
    if (!QFileInfo(info.absolutePath()).isDir())
        return QStringLiteral("its folder %1 does not exist").arg(info.absolutePath());
    return QString();
}

bool exportProfile(const QString& path, const CameraProfile& profile, QString* error) {
    const QString refusal = exportRefusal(path);
    if (!refusal.isEmpty())
        return failWith(error, path, refusal);
    const QFileInfo info(path);
    const QByteArray text = profileText(profile);
    if (info.exists() && linkCount(path) > 1) {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(text) != text.size() ||
            !file.flush())
            return failWith(error, path, file.errorString());
        return true;
    }
    return replaceFile(info.exists() ? info.canonicalFilePath() : path, text, error, {});
}

ProfileLoad loadProfile(const QString& path) {
    const QFileInfo info(path);
    QByteArray text;
    if (!info.isFile() || !readSmallFile(path, &text))
        return ProfileLoad{};
    ProfileLoad load = parseProfile(text);
    if (info.size() > kMaxProfileBytes)
        load.skipped << QStringLiteral("only the first %1 bytes were read").arg(kMaxProfileBytes);
    return load;
}

std::map<std::string, int> applyProfile(const CameraProfile& profile, UvcCamera& camera, QStringList* skipped,
                                        int* queued) {
    // Every value is read before any is queued: the worker applies the first jobs meanwhile,
    // and a value written manual switches its automatic mode off, so a switch read after
    // that would seem applied or not by chance. For the same reason a stored automatic mode
    // the camera already has is written again after a value of its own was.
    std::vector<std::pair<const ControlRow*, ControlReading>> readings;
    for (const ControlRow* control : applyOrder()) {
        if (profile.values.count(control->name) != 0)
            readings.emplace_back(control, readControl(*control, camera));
    }
    std::map<std::string, int> accepted;
    std::set<int> manualWrites;  // standard properties written as manual values
    int count = 0;
    for (const auto& [control, reading] : readings) {
        const auto stored = profile.values.find(control->name);
        const std::string refusal =
            reading.ok ? refusalOf(reading, stored->second) : std::string("cannot be read from the camera");
        if (!refusal.empty()) {
            skipped->append(QStringLiteral("%1=%2 %3, skipped")
                                .arg(QString::fromLatin1(control->name))
                                .arg(stored->second)
                                .arg(QString::fromStdString(refusal)));
            continue;
        }
        accepted[stored->first] = stored->second;
        const ControlAccess& access = control->access;
        const bool switchedOff = access.route == Route::Standard && access.automaticFlag &&
                                 stored->second == 1 && manualWrites.count(access.property) != 0;
        if (stored->second == reading.value && !switchedOff)
            continue;
        if (access.route == Route::Standard && !access.automaticFlag)
            manualWrites.insert(access.property);
        // Not recorded here: the worker records the value once applied (pan and tilt jobs
        // that find their value already recorded do nothing).
        SettingTaskEngine::instance().addJob(control->id, stored->second);
        ++count;
    }
    if (queued != nullptr)
        *queued = count;
    return accepted;
}

QStringList checkProfileKept(const std::map<std::string, int>& applied, UvcCamera& camera) {
    QStringList notKept;
    for (const auto& [name, value] : applied) {
        const ControlRow* control = findControl(name);
        const ControlReading reading = readControl(*control, camera);
        if (!reading.ok)
            continue;
        // What the camera holds is recorded also where it matches: a value written manual
        // switched its automatic mode off without a job of the switch's own.
        recordValue(*control, reading.value, currentValues());
        if (reading.value == value)
            continue;
        notKept << QStringLiteral("%1=%2 was not kept: the camera holds %3")
                       .arg(QString::fromStdString(name))
                       .arg(value)
                       .arg(reading.value);
    }
    return notKept;
}

void setCameraProfilesEnabled(bool enabled) {
    g_profilesEnabled = enabled;
}

bool cameraProfilesEnabled() {
    return g_profilesEnabled.load();
}
