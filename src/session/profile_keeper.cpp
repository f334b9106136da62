#include "session/profile_keeper.h"

#include <QFile>
#include <chrono>
#include <deque>
#include <set>

#include "base/debug_log.h"
#include "engine/control_table.h"
#include "engine/current_values.h"
#include "engine/setting_task_engine.h"
#include "session/camera_profile.h"

namespace {
// How long the connection waits for the worker to apply a stored profile before it reads
// the values back (a few milliseconds per value on a camera).
constexpr auto kProfileApplyWait = std::chrono::seconds(3);

std::map<std::string, int> recordedProfile() {
    std::map<std::string, int> values;
    for (const ControlRow* control : namedControls())
        values[control->name] = recordedValue(*control, currentValues());
    return values;
}

// The values the queued jobs will record, over values (later jobs win).
void addPendingJobs(const std::deque<SettingJob>& jobs, std::map<std::string, int>& values) {
    for (const SettingJob& job : jobs) {
        const ControlRow* control = controlRow(job.controlId);
        if (control == nullptr || control->name == nullptr)
            continue;
        CurrentValues scratch;
        recordValue(*control, job.value, scratch);
        values[control->name] = recordedValue(*control, scratch);
    }
}
}  // namespace

bool ProfileKeeper::applyStored(UvcCamera& camera) {
    saved_.clear();
    serial_ = QString::fromLatin1(currentValues().serialNumber).trimmed();
    const QString path = profilePathFor(serial_);
    if (!cameraProfilesEnabled() || path.isEmpty())
        return false;
    const ProfileLoad load = loadProfile(path);
    if (!load.readable) {
        debugLog("profile: none stored for camera %s\n", qPrintable(serial_));
        saved_ = recordedProfile();
        const CameraProfile whole{serial_, saved_};
        QString error;
        if (!storeProfile(path, whole, keysOf(whole), &error))
            debugLog("profile: %s\n", qPrintable(error));
        return false;
    }
    QStringList skipped = load.skipped;
    int applied = 0;
    const std::map<std::string, int> accepted = applyProfile(load.profile, camera, &skipped, &applied);
    for (const QString& line : skipped)
        debugLog("profile: %s\n", qPrintable(line));
    debugLog("profile: %d values applied to camera %s\n", applied, qPrintable(serial_));
    if (applied > 0 && SettingTaskEngine::instance().waitUntilIdle(kProfileApplyWait)) {
        for (const QString& line : checkProfileKept(accepted, camera))
            debugLog("profile: %s\n", qPrintable(line));
    }
    // What the camera holds now is the baseline of the user's changes; a value the camera
    // did not keep stays in the file until the user changes it.
    saved_ = recordedProfile();
    return applied > 0;
}

void ProfileKeeper::storeChanges() {
    storeChangedValues(recordedProfile());
}

void ProfileKeeper::storeChangedValues(const std::map<std::string, int>& values) {
    if (!cameraProfilesEnabled() || serial_.isEmpty())
        return;
    std::set<std::string> changed;
    for (const auto& [name, value] : values) {
        const auto saved = saved_.find(name);
        if (saved == saved_.end() || saved->second != value)
            changed.insert(name);
    }
    if (changed.empty())
        return;
    QString error;
    if (storeProfile(profilePathFor(serial_), {serial_, values}, changed, &error))
        saved_ = values;
    else
        debugLog("profile: %s\n", qPrintable(error));
}

void ProfileKeeper::storeOnTheWayOut(const UvcCamera& camera) {
    // Jobs still queued are the user's last changes: they count as made. The ones the
    // worker takes meanwhile are recorded by the time it has been stopped.
    SettingTaskEngine& engine = SettingTaskEngine::instance();
    const std::deque<SettingJob> pending = engine.pendingJobs();
    if (engine.camera() == &camera)
        engine.deleteCamera();
    std::map<std::string, int> values = recordedProfile();
    addPendingJobs(pending, values);
    storeChangedValues(values);
}

void ProfileKeeper::forget() {
    if (!cameraProfilesEnabled() || serial_.isEmpty())
        return;
    QFile::remove(profilePathFor(serial_));
    serial_.clear();
    saved_.clear();
    debugLog("profile: forgotten for the factory reset\n");
}
