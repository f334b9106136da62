#pragma once
// Camera profiles: a camera's settings saved under its serial number, so that a camera
// that comes back from an unplug or a reboot gets them again, and exported or imported
// for another camera. A profile is a small INI file:
//
//   [profile]
//   format=1            ; the profile format; a newer one loads what this version knows
//   serial=LX8-000123   ; the camera it was saved from
//   [controls]
//   brightness=120      ; control names as the command line's --get prints them
//
// Files are written atomically (a new file renamed over the old one), so a crash while
// writing leaves the earlier profile whole.
#include <QString>
#include <QStringList>
#include <functional>
#include <map>
#include <string>

constexpr int kProfileFormat = 1;

struct CameraProfile {
    QString serial;
    std::map<std::string, int> values;  // control name -> value, device units
};

struct ProfileLoad {
    bool readable = false;  // the file exists and could be read
    CameraProfile profile;
    QStringList skipped;  // one line per entry not loaded, saying why
};

// Where the profile of the camera with this serial number lives: the folder
// "lumora-x8-settings/profiles" in the user's configuration folder, or LUMORA_PROFILE_DIR
// when set. Empty for an empty serial number.
QString profilePathFor(const QString& serial);

// beforeCommit runs once the new text is written and before it replaces the old file
// (tests end the process there, as a crash would).
bool saveProfile(const QString& path, const CameraProfile& profile, QString* error,
                 const std::function<void()>& beforeCommit = {});
// Loads every known control with a whole-number value; unknown keys, bad values and the
// sections of a newer format are listed in skipped.
ProfileLoad loadProfile(const QString& path);

class UvcCamera;

// Queues through the settings engine every value of profile that differs from what the
// camera holds and lies within the range it reports (automatic modes last), and records
// each in CurrentValues. Answers the values the camera can take (queued or already held);
// skipped gets a line per value it cannot take, queued (when given) the number queued.
std::map<std::string, int> applyProfile(const CameraProfile& profile, UvcCamera& camera, QStringList* skipped,
                                        int* queued = nullptr);

// The window keeps profiles only when the program enables them (tests build windows
// without).
void setCameraProfilesEnabled(bool enabled);
bool cameraProfilesEnabled();
