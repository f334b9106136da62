// Camera profiles in the window: a camera that connects gets the settings stored under
// its serial number, and whatever the user changes is stored again within a second, and
// on the way out.
#include <QFile>
#include <QTimer>

#include "app/camera_profile.h"
#include "app/connection_flags.h"
#include "app/mainwindow.h"
#include "base/debug_log.h"
#include "engine/control_table.h"
#include "engine/current_values.h"
#include "engine/setting_task_engine.h"

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

void mainwindow::applyStoredProfile() {
    savedProfile_.clear();
    profileSerial_ = QString::fromLatin1(currentValues().serialNumber).trimmed();
    const QString path = profilePathFor(profileSerial_);
    if (!cameraProfilesEnabled() || path.isEmpty())
        return;
    const ProfileLoad load = loadProfile(path);
    if (!load.readable) {
        debugLog("profile: none stored for camera %s\n", qPrintable(profileSerial_));
        savedProfile_ = recordedProfile();
        const CameraProfile whole{profileSerial_, savedProfile_};
        QString error;
        if (!storeProfile(path, whole, keysOf(whole), &error))
            debugLog("profile: %s\n", qPrintable(error));
        return;
    }
    QStringList skipped = load.skipped;
    int applied = 0;
    const std::map<std::string, int> accepted =
        applyProfile(load.profile, stream_->camera(), &skipped, &applied);
    for (const QString& line : skipped)
        debugLog("profile: %s\n", qPrintable(line));
    debugLog("profile: %d values applied to camera %s\n", applied, qPrintable(profileSerial_));
    if (applied > 0 && SettingTaskEngine::instance().waitUntilIdle(kProfileApplyWait)) {
        for (const QString& line : checkProfileKept(accepted, stream_->camera()))
            debugLog("profile: %s\n", qPrintable(line));
    }
    // What the camera holds now is the baseline of the user's changes; a value the camera
    // did not keep stays in the file until the user changes it.
    savedProfile_ = recordedProfile();
    if (applied > 0)
        refillPages();
}

void mainwindow::saveProfileIfChanged() {
    storeChangedProfileValues(recordedProfile());
}

void mainwindow::storeChangedProfileValues(const std::map<std::string, int>& values) {
    if (!cameraProfilesEnabled() || !cameraReady || profileSerial_.isEmpty())
        return;
    std::set<std::string> changed;
    for (const auto& [name, value] : values) {
        const auto saved = savedProfile_.find(name);
        if (saved == savedProfile_.end() || saved->second != value)
            changed.insert(name);
    }
    if (changed.empty())
        return;
    QString error;
    if (storeProfile(profilePathFor(profileSerial_), {profileSerial_, values}, changed, &error))
        savedProfile_ = values;
    else
        debugLog("profile: %s\n", qPrintable(error));
}

void mainwindow::storeProfileOnTheWayOut() {
    // Jobs still queued are the user's last changes: they count as made. The ones the
    // worker takes meanwhile are recorded by the time it has been stopped.
    const std::deque<SettingJob> pending = SettingTaskEngine::instance().pendingJobs();
    SettingTaskEngine& engine = SettingTaskEngine::instance();
    if (engine.camera() == &stream_->camera())
        engine.deleteCamera();
    std::map<std::string, int> values = recordedProfile();
    addPendingJobs(pending, values);
    storeChangedProfileValues(values);
}

void mainwindow::forgetStoredProfile() {
    if (!cameraProfilesEnabled() || profileSerial_.isEmpty())
        return;
    QFile::remove(profilePathFor(profileSerial_));
    profileSerial_.clear();
    savedProfile_.clear();
    debugLog("profile: forgotten for the factory reset\n");
}
