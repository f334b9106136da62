// Camera profiles in the window: a camera that connects gets the settings stored under
// its serial number, and whatever the user changes is stored again within a second.
#include <QFile>
#include <QTimer>

#include "app/camera_profile.h"
#include "app/connection_flags.h"
#include "app/mainwindow.h"
#include "base/debug_log.h"
#include "engine/control_catalog.h"
#include "engine/current_values.h"
#include "engine/setting_task_engine.h"

namespace {
std::map<std::string, int> recordedProfile() {
    std::map<std::string, int> values;
    for (const ControlInfo& control : controlCatalog())
        values[control.name] = recordedValue(control, currentValues());
    return values;
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
        saveProfile(path, {profileSerial_, savedProfile_}, nullptr);
        return;
    }
    QStringList skipped = load.skipped;
    int applied = 0;
    applyProfile(load.profile, stream_->camera(), &skipped, &applied);
    for (const QString& line : skipped)
        debugLog("profile: %s\n", qPrintable(line));
    debugLog("profile: %d values applied to camera %s\n", applied, qPrintable(profileSerial_));
    savedProfile_ = recordedProfile();
    if (applied > 0)
        refillPages();
}

void mainwindow::saveProfileIfChanged() {
    if (!cameraProfilesEnabled() || !cameraReady || profileSerial_.isEmpty())
        return;
    std::map<std::string, int> values = recordedProfile();
    if (values == savedProfile_)
        return;
    QString error;
    if (saveProfile(profilePathFor(profileSerial_), {profileSerial_, values}, &error))
        savedProfile_ = std::move(values);
    else
        debugLog("profile: %s\n", qPrintable(error));
}

void mainwindow::forgetStoredProfile() {
    if (!cameraProfilesEnabled() || profileSerial_.isEmpty())
        return;
    QFile::remove(profilePathFor(profileSerial_));
    profileSerial_.clear();
    savedProfile_.clear();
    debugLog("profile: forgotten for the factory reset\n");
}
