#pragma once
// Camera profiles: a camera's settings saved under its serial number, so that a camera
// that comes back from an unplug or a reboot gets them again, and exported or imported
// for another camera. The file's text is engine/profile_text.h's.
//
// Every writer of a camera's profile (the window, each command) changes only the values it
// changed itself, under a lock file beside the profile ("<profile>.lock"): it reads the
// file, rewrites those keys and replaces the file, so writers at the same moment keep each
// other's values. Files are replaced atomically (a new file renamed over the old one), so
// a crash while writing leaves the earlier profile whole.
#include <QString>
#include <QStringList>
#include <functional>
#include <map>
#include <set>
#include <string>

#include "engine/profile_text.h"

// Where the profile of the camera with this serial number lives: the folder
// "lumora-x8-settings/profiles" in the user's configuration folder, or LUMORA_PROFILE_DIR
// when set. Empty for an empty serial number.
QString profilePathFor(const QString& serial);

// Stores the values of profile named in changed in the camera profile at path (its folder
// is created): the other lines of the file stay. A profile not yet there is written whole
// from profile. beforeCommit runs once the new text is written and before it replaces the
// old file (tests end the process there, as a crash would). error says what was not stored.
bool storeProfile(const QString& path, const CameraProfile& profile, const std::set<std::string>& changed,
                  QString* error, const std::function<void()>& beforeCommit = {});
// Rewrites the file at path under the profile's lock file, atomically: change gets the
// file's text (null when there is none yet) and answers the new text, or false with why
// to leave the file as it is. The folder is created. (Files kept beside the profile, such
// as the camera's named framings, are written the same way.)
using TextChange = std::function<bool(const QByteArray* existing, QByteArray* text, QString* why)>;
bool rewriteUnderLock(const QString& path, const TextChange& change, QString* error,
                      const std::function<void()>& beforeCommit = {});
// The keys of a whole profile.
std::set<std::string> keysOf(const CameraProfile& profile);

// Writes a whole profile to a file the user named (--save-profile). Refused: "-", a path
// that exists and is not a regular file (a device, a FIFO, a folder), a folder that does
// not exist. A file with other hard links is rewritten in place, so every name of it sees
// the new profile; any other is replaced atomically.
bool exportProfile(const QString& path, const CameraProfile& profile, QString* error);
// Why exportProfile would refuse path before writing anything; empty when it would not.
QString exportRefusal(const QString& path);

// Reads a profile file (at most kMaxProfileBytes of it); unreadable when the path is not a
// regular file.
ProfileLoad loadProfile(const QString& path);
constexpr qint64 kMaxProfileBytes = 1 << 20;

class UvcCamera;

// Queues through the settings engine every value of profile that differs from what the
// camera holds and that it can take (within its range, on its step), in the catalog's
// apply order (zoom before pan and tilt, automatic modes last). Answers the values the
// camera can take (queued or already held); skipped gets a line per value it cannot take,
// queued (when given) the number queued. The worker records each value once applied.
std::map<std::string, int> applyProfile(const CameraProfile& profile, UvcCamera& camera, QStringList* skipped,
                                        int* queued = nullptr);
// Once the jobs of applyProfile are done: reads the values back and answers a line per
// value the camera did not keep; the camera's value is recorded in CurrentValues then.
QStringList checkProfileKept(const std::map<std::string, int>& applied, UvcCamera& camera);

// The window keeps profiles only when the program enables them (tests build windows
// without).
void setCameraProfilesEnabled(bool enabled);
bool cameraProfilesEnabled();
