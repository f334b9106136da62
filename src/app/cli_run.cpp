#include "app/cli_run.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <set>

#include "app/cli_camera.h"
#include "app/cli_firmware.h"
#include "app/customize_loader.h"
#include "app/diagnostic_bundle.h"
#include "base/debug_log.h"
#include "base/quit_request.h"
#include "engine/control_reading.h"
#include "engine/setting_task_engine.h"
#include "session/camera_profile.h"
#include "session/camera_session.h"
#include "session/framing_store.h"

namespace {
// How long the settings worker may go without finishing a job of the command before the
// command gives up on the camera: a slow camera with many values still gets them all.
constexpr auto kJobStallTimeout = std::chrono::seconds(10);

void print(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
    std::fflush(stdout);
}

int fail(int code, const QString& why) {
    const QByteArray bytes = QStringLiteral("lumora-x8-settings: %1\n").arg(why).toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stderr);
    return code;
}

void printJson(const QJsonObject& object) {
    print(QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Indented)));
}

QJsonObject cameraJson(const FoundCamera& camera) {
    return {{QStringLiteral("name"), camera.name},
            {QStringLiteral("backend"), camera.backend},
            {QStringLiteral("device"), camera.node},
            {QStringLiteral("serial"), camera.serial},
            {QStringLiteral("firmware"), camera.firmware}};
}

struct Reading {
    const ControlRow* control;
    ControlReading value;
};

QJsonObject controlJson(const Reading& reading) {
    QJsonObject object{{QStringLiteral("name"), QString::fromLatin1(reading.control->name)},
                       {QStringLiteral("value"), reading.value.value},
                       {QStringLiteral("min"), reading.value.min},
                       {QStringLiteral("max"), reading.value.max},
                       {QStringLiteral("step"), reading.value.step}};
    object.insert(QStringLiteral("default"),
                  reading.value.def ? QJsonValue(*reading.value.def) : QJsonValue());
    return object;
}

QString controlLine(const Reading& reading) {
    QString line = QStringLiteral("%1 %2 (%3..%4")
                       .arg(QString::fromLatin1(reading.control->name), -22)
                       .arg(reading.value.value, 6)
                       .arg(reading.value.min)
                       .arg(reading.value.max);
    if (reading.value.step != 1)
        line += QStringLiteral(" step %1").arg(reading.value.step);
    if (reading.value.def)
        line += QStringLiteral(", default %1").arg(*reading.value.def);
    return line + QStringLiteral(")\n");
}

// Prints the controls as the camera holds them, after the camera they belong to.
void printControls(const FoundCamera& camera, const std::vector<Reading>& readings, bool json) {
    if (json) {
        QJsonArray controls;
        for (const Reading& reading : readings)
            controls.append(controlJson(reading));
        printJson({{QStringLiteral("camera"), cameraJson(camera)}, {QStringLiteral("controls"), controls}});
        return;
    }
    for (const Reading& reading : readings)
        print(controlLine(reading));
}

int listCommand(const CliRequest& request) {
    const std::vector<FoundCamera> cameras = listCameras();
    if (request.json) {
        QJsonArray list;
        for (const FoundCamera& camera : cameras)
            list.append(cameraJson(camera));
        printJson({{QStringLiteral("cameras"), list}});
    } else {
        for (size_t i = 0; i < cameras.size(); ++i) {
            const FoundCamera& c = cameras[i];
            print(QStringLiteral("%1: %2  backend %3  device %4  serial %5  firmware %6\n")
                      .arg(i)
                      .arg(c.name, c.backend, c.node, c.serial.isEmpty() ? QStringLiteral("-") : c.serial,
                           c.firmware.isEmpty() ? QStringLiteral("-") : c.firmware));
        }
    }
    return cameras.empty() ? fail(kExitNoCamera, QStringLiteral("no camera found")) : kExitDone;
}

// Reads the controls, all of them in catalog order when names is empty. A camera that
// does not answer one of them is lost.
bool readControls(CameraSession& camera, const std::vector<const ControlRow*>& controls,
                  std::vector<Reading>& out) {
    for (const ControlRow* control : controls) {
        const ControlReading value = readControl(*control, camera.stream().camera());
        if (!value.offered)
            continue;  // a camera without it (a webcam has no pan): nothing to read, not a loss
        if (!value.ok)
            return false;
        out.push_back({control, value});
    }
    return true;
}

// Every control the open camera can answer: without its extension unit, the standard ones.
std::vector<const ControlRow*> availableControls(const CameraSession& camera) {
    std::vector<const ControlRow*> controls;
    for (const ControlRow* control : namedControls()) {
        if (camera.hasExtensionUnit() || !isVendorControl(*control))
            controls.push_back(control);
    }
    return controls;
}

// The vendor controls among controls when the extension unit is silent: they cannot be
// read nor set. Answers the refusal (empty when there is none).
QString silentVendorControls(const CameraSession& camera, const std::vector<const ControlRow*>& controls) {
    if (camera.hasExtensionUnit())
        return QString();
    QStringList names;
    for (const ControlRow* control : controls) {
        if (isVendorControl(*control))
            names << QString::fromLatin1(control->name);
    }
    if (names.isEmpty())
        return QString();
    return QStringLiteral(
               "the camera's extension unit does not answer, so its vendor controls (%1) cannot be "
               "reached; the standard ones can")
        .arg(names.join(QStringLiteral(", ")));
}

const Reading* readingOf(const std::vector<Reading>& readings, const ControlRow* control) {
    for (const Reading& reading : readings) {
        if (reading.control == control)
            return &reading;
    }
    return nullptr;
}

// Queues values in the order that keeps automatic modes last.
void queueValues(const std::map<const ControlRow*, int>& values) {
    for (const ControlRow* control : applyOrder()) {
        const auto found = values.find(control);
        if (found != values.end())
            SettingTaskEngine::instance().addJob(control->id, found->second);
    }
}

enum class Applied { Done, CameraLost, Stalled };

// Waits for the queued jobs while the worker keeps finishing them, each within
// kJobStallTimeout.
Applied waitForJobs(CameraSession& camera) {
    SettingTaskEngine& engine = SettingTaskEngine::instance();
    std::size_t left = engine.pendingJobCount();
    auto stalledAt = std::chrono::steady_clock::now() + kJobStallTimeout;
    while (!engine.waitUntilIdle(std::chrono::milliseconds(250))) {
        if (camera.lost() || quitRequested())
            break;
        const std::size_t now = engine.pendingJobCount();
        if (now < left) {
            left = now;
            stalledAt = std::chrono::steady_clock::now() + kJobStallTimeout;
        } else if (std::chrono::steady_clock::now() >= stalledAt) {
            return Applied::Stalled;
        }
    }
    return camera.lost() || !engine.waitUntilIdle(std::chrono::milliseconds(0)) ? Applied::CameraLost
                                                                                : Applied::Done;
}

// Queues profile through the engine and says what was skipped; answers the values the
// camera can take. The caller waits for them.
std::map<std::string, int> queueProfile(const CameraProfile& profile, CameraSession& camera,
                                        const QStringList& alreadySkipped) {
    QStringList skipped = alreadySkipped;
    std::map<std::string, int> accepted = applyProfile(profile, camera.stream().camera(), &skipped);
    for (const QString& line : skipped)
        fail(kExitDone, QStringLiteral("profile: ") + line);
    return accepted;
}

// Applies the camera's stored profile, as the window does when the camera connects, and
// says which values the camera did not keep.
Applied applyStoredProfile(const ProfileLoad& stored, CameraSession& camera) {
    const std::map<std::string, int> accepted = queueProfile(stored.profile, camera, stored.skipped);
    const Applied applied = waitForJobs(camera);
    if (applied != Applied::Done)
        return applied;
    for (const QString& line : checkProfileKept(accepted, camera.stream().camera()))
        fail(kExitDone, QStringLiteral("profile: ") + line);
    return Applied::Done;
}

// The values of changed, as the camera holds them (readings: every control it answers),
// are stored in its profile, so that the window and the next command apply them again.
// Answers kExitDone or kExitFailed, with a line saying what was not stored.
int storeCameraProfile(const FoundCamera& camera, const std::vector<Reading>& readings,
                       const std::set<std::string>& changed) {
    const QString path = profilePathFor(camera.serial);
    if (path.isEmpty()) {
        fail(kExitDone,
             QStringLiteral("the camera's serial number is unknown, so no profile keeps these values"));
        return kExitDone;
    }
    CameraProfile profile{camera.serial, {}};
    for (const Reading& reading : readings)
        profile.values[reading.control->name] = reading.value.value;
    QString error;
    if (storeProfile(path, profile, changed, &error))
        return kExitDone;
    QStringList names;
    for (const std::string& name : changed)
        names << QString::fromStdString(name);
    return fail(kExitFailed,
                QStringLiteral("the camera holds the new values, but its profile does not: %1 not "
                               "stored (%2)")
                    .arg(names.join(QStringLiteral(", ")), error));
}

// Checks values against the ranges and steps the camera reports; refused ones are
// described.
QStringList refusedValues(CameraSession& camera, const std::map<const ControlRow*, int>& values) {
    QStringList refused;
    for (const auto& [control, value] : values) {
        const ControlReading reading = readControl(*control, camera.stream().camera());
        const std::string refusal = reading.ok ? refusalOf(reading, value) : std::string();
        if (!refusal.empty())
            refused << QStringLiteral("%1=%2 %3")
                           .arg(QString::fromLatin1(control->name))
                           .arg(value)
                           .arg(QString::fromStdString(refusal));
    }
    return refused;
}

// --set and --load-profile, once the values are queued: wait for them, read every control
// back at once (nothing needs the camera afterwards), print the asked ones, store them as
// the camera's profile.
int finishApply(CameraSession& camera, const FoundCamera& found,
                const std::map<const ControlRow*, int>& values, const CliRequest& request) {
    const QString notStored =
        request.noProfile ? QString() : QStringLiteral("; nothing was stored in its profile");
    switch (waitForJobs(camera)) {
        case Applied::Done:
            break;
        case Applied::CameraLost:
            return fail(kExitCameraLost,
                        QStringLiteral("the camera went away while the values were applied") + notStored);
        case Applied::Stalled:
            return fail(kExitFailed, QStringLiteral("the camera took no value for %1 s; the values not yet "
                                                    "applied were given up")
                                             .arg(std::chrono::seconds(kJobStallTimeout).count()) +
                                         notStored);
    }
    std::vector<Reading> all;
    if (!readControls(camera, availableControls(camera), all) || camera.lost())
        return fail(kExitCameraLost,
                    QStringLiteral("the camera went away before the values could be read back") + notStored);
    std::vector<Reading> readings;
    std::set<std::string> changed;
    for (const ControlRow* control : applyOrder()) {
        const Reading* reading = values.count(control) != 0 ? readingOf(all, control) : nullptr;
        if (reading != nullptr) {
            readings.push_back(*reading);
            changed.insert(control->name);
        }
    }
    printControls(found, readings, request.json);
    const int stored = request.noProfile ? int(kExitDone) : storeCameraProfile(found, all, changed);
    QStringList kept;
    for (const Reading& reading : readings) {
        const int asked = values.at(reading.control);
        if (reading.value.value != asked)
            kept << QStringLiteral("%1 holds %2 (asked for %3)")
                        .arg(QString::fromLatin1(reading.control->name))
                        .arg(reading.value.value)
                        .arg(asked);
    }
    if (!kept.isEmpty())
        fail(kExitRefused,
             QStringLiteral("the camera kept another value: ") + kept.join(QStringLiteral("; ")));
    if (stored != kExitDone)
        return stored;
    return kept.isEmpty() ? kExitDone : kExitRefused;
}

// NAME=VALUE arguments into values; answers kExitDone or kExitBadArgument.
int parseAssignments(const QStringList& assignments, std::map<const ControlRow*, int>& values,
                     QString* error) {
    for (const QString& assignment : assignments) {
        const int equals = assignment.indexOf(QLatin1Char('='));
        if (equals <= 0) {
            *error = QStringLiteral("malformed '%1': expected NAME=VALUE").arg(printableText(assignment));
            return kExitBadArgument;
        }
        const QString name = assignment.left(equals);
        const ControlRow* control = findControl(name.toStdString());
        if (control == nullptr) {
            *error =
                QStringLiteral("unknown control '%1' (see --help for the names)").arg(printableText(name));
            return kExitBadArgument;
        }
        const QString text = assignment.mid(equals + 1);
        int value = 0;
        const WholeNumber number = readWholeNumber(text, &value);
        if (number != WholeNumber::Ok) {
            *error = QStringLiteral("'%1' is %2 in '%3'")
                         .arg(printableText(text),
                              number == WholeNumber::OutOfRange ? QStringLiteral("out of range")
                                                                : QStringLiteral("not a whole number"),
                              printableText(assignment));
            return kExitBadArgument;
        }
        values[control] = value;
    }
    return kExitDone;
}

// ---- named framings (--save-preset, --preset, --list-presets) ----

QJsonObject framingJson(const Framing& framing) {
    return {{QStringLiteral("name"), framing.name},
            {QStringLiteral("zoom"), framing.zoom},
            {QStringLiteral("pan"), framing.pan},
            {QStringLiteral("tilt"), framing.tilt}};
}

QString framingLine(const Framing& framing) {
    return QStringLiteral("%1  zoom %2  pan %3  tilt %4\n")
        .arg(printableText(framing.name, framing.name.size() + 1))
        .arg(framing.zoom)
        .arg(framing.pan)
        .arg(framing.tilt);
}

// The camera's framings, read without opening it (the serial number comes with the list).
int listPresetsCommand(const CliRequest& request) {
    FoundCamera found;
    QString error;
    const int chosen = chooseCamera(listCameras(), request.device, &found, &error);
    if (chosen != kExitDone)
        return fail(chosen, error);
    if (found.serial.isEmpty())
        return fail(kExitNoCamera,
                    QStringLiteral("the camera's serial number is unknown, so it keeps no framings"));
    QStringList skipped;
    const std::vector<Framing> framings = loadFramings(framingsPathFor(found.serial), &skipped);
    for (const QString& line : skipped)
        fail(kExitDone, QStringLiteral("framings: ") + line);
    if (request.json) {
        QJsonArray list;
        for (const Framing& framing : framings)
            list.append(framingJson(framing));
        printJson({{QStringLiteral("camera"), cameraJson(found)}, {QStringLiteral("presets"), list}});
        return kExitDone;
    }
    for (const Framing& framing : framings)
        print(framingLine(framing));
    return kExitDone;
}

// --save-preset once the camera is open: its zoom, pan and tilt under the name.
int savePreset(CameraSession& camera, const FoundCamera& found, const QString& name) {
    std::vector<Reading> readings;
    if (!readControls(camera, {findControl("zoom"), findControl("pan"), findControl("tilt")}, readings) ||
        camera.lost())
        return fail(kExitCameraLost, QStringLiteral("the camera went away while its framing was read"));
    const Framing framing{name, readings[0].value.value, readings[1].value.value, readings[2].value.value};
    QString error;
    if (!storeFraming(framingsPathFor(found.serial), found.serial, framing, &error))
        return fail(kExitFailed, error);
    print(QStringLiteral("saved preset ") + framingLine(framing));
    return kExitDone;
}

// --preset once the camera is open: zoom first, then pan and tilt, read back and stored
// as --set stores them; a value the camera cannot take or did not keep is refused.
int applyPreset(CameraSession& camera, const FoundCamera& found, const Framing& framing,
                const CliRequest& request) {
    QStringList skipped;
    std::map<const ControlRow*, int> values;
    for (const auto& [name, value] : queueFraming(framing, camera.stream().camera(), &skipped))
        values[findControl(name)] = value;
    for (const QString& line : skipped)
        fail(kExitDone, QStringLiteral("preset: ") + line);
    const int applied = finishApply(camera, found, values, request);
    return applied == kExitDone && !skipped.isEmpty() ? int(kExitRefused) : applied;
}

int cameraCommand(const CliRequest& request) {
    // Everything that can be checked without a camera is checked first.
    std::map<const ControlRow*, int> values;
    std::vector<const ControlRow*> named;
    QString error;
    if (request.action == CliRequest::Action::Set &&
        parseAssignments(request.assignments, values, &error) != kExitDone)
        return fail(kExitBadArgument, error);
    for (const QString& name : request.names) {
        const ControlRow* control = findControl(name.toStdString());
        if (control == nullptr)
            return fail(
                kExitBadArgument,
                QStringLiteral("unknown control '%1' (see --help for the names)").arg(printableText(name)));
        named.push_back(control);
    }
    if (request.action == CliRequest::Action::SaveProfile) {
        const QString refusal = exportRefusal(request.file);
        if (!refusal.isEmpty())
            return fail(kExitFailed,
                        QStringLiteral("cannot write profile %1: %2").arg(request.file, refusal));
    }
    ProfileLoad load;
    if (request.action == CliRequest::Action::LoadProfile) {
        load = loadProfile(request.file);
        if (!load.readable)
            return fail(kExitBadArgument, QStringLiteral("cannot read profile %1").arg(request.file));
        for (const QString& line : load.skipped)
            fail(kExitDone, QStringLiteral("profile: ") + line);
        if (load.profile.values.empty())
            return fail(kExitBadArgument,
                        QStringLiteral("profile %1 holds no control this version knows").arg(request.file));
    }

    if ((request.action == CliRequest::Action::SavePreset ||
         request.action == CliRequest::Action::ApplyPreset) &&
        request.preset.isEmpty())
        return fail(kExitBadArgument, QStringLiteral("a preset needs a name"));

    FoundCamera found;
    const int chosen = chooseCamera(listCameras(), request.device, &found, &error);
    if (chosen != kExitDone)
        return fail(chosen, error);
    Framing preset;
    if (request.action == CliRequest::Action::SavePreset ||
        request.action == CliRequest::Action::ApplyPreset) {
        if (found.serial.isEmpty())
            return fail(kExitNoCamera,
                        QStringLiteral("the camera's serial number is unknown, so it keeps no framings"));
        const std::vector<Framing> framings = loadFramings(framingsPathFor(found.serial));
        const Framing* named = findFraming(framings, request.preset);
        if (request.action == CliRequest::Action::ApplyPreset && named == nullptr)
            return fail(kExitBadArgument, QStringLiteral("no preset named '%1' (see --list-presets)")
                                              .arg(printableText(request.preset)));
        if (named != nullptr)
            preset = *named;
    }
    CameraSession camera(CameraSession::Use::CommandLine);
    const int opened = openForCommands(camera, &error);
    if (opened != kExitDone)
        return fail(opened, error);
    // The camera's stored settings follow it, as in the window.
    const ProfileLoad stored = loadProfile(profilePathFor(found.serial));
    const Applied applied =
        !request.noProfile && stored.readable ? applyStoredProfile(stored, camera) : Applied::Done;
    if (applied == Applied::CameraLost)
        return fail(kExitCameraLost,
                    QStringLiteral("the camera went away while its stored profile was applied"));
    if (applied == Applied::Stalled)
        return fail(kExitFailed, QStringLiteral("the camera took none of its stored profile's values "
                                                "for %1 s")
                                     .arg(std::chrono::seconds(kJobStallTimeout).count()));
    std::vector<const ControlRow*> asked = named;
    for (const auto& entry : values)
        asked.push_back(entry.first);
    const QString silent = silentVendorControls(camera, asked);
    if (!silent.isEmpty())
        return fail(kExitNoCamera, silent + QStringLiteral(" (nothing was set)"));
    if (named.empty() && request.action == CliRequest::Action::Get) {
        const QString note = silentVendorControls(camera, namedControls());
        if (!note.isEmpty())
            fail(kExitDone, note);
    }

    switch (request.action) {
        case CliRequest::Action::Get: {
            std::vector<Reading> readings;
            if (!readControls(camera, named.empty() ? availableControls(camera) : named, readings) ||
                camera.lost())
                return fail(kExitCameraLost,
                            QStringLiteral("the camera went away while its controls were read"));
            if (!named.empty() && readings.size() < named.size()) {
                QStringList missing;
                for (const ControlRow* control : named) {
                    if (std::none_of(readings.begin(), readings.end(),
                                     [control](const Reading& r) { return r.control == control; }))
                        missing << QString::fromLatin1(control->name);
                }
                return fail(kExitBadArgument, QStringLiteral("this camera has no ") + missing.join(", "));
            }
            printControls(found, readings, request.json);
            return kExitDone;
        }
        case CliRequest::Action::Set: {
            const QStringList refused = refusedValues(camera, values);
            if (!refused.isEmpty())
                return fail(kExitRefused, QStringLiteral("refused: ") + refused.join(QStringLiteral("; ")) +
                                              QStringLiteral(" (nothing was set)"));
            queueValues(values);
            return finishApply(camera, found, values, request);
        }
        case CliRequest::Action::SaveProfile: {
            std::vector<Reading> readings;
            if (!readControls(camera, availableControls(camera), readings) || camera.lost())
                return fail(kExitCameraLost,
                            QStringLiteral("the camera went away while its controls were read; "
                                           "nothing was written to %1")
                                .arg(request.file));
            CameraProfile profile{found.serial, {}};
            for (const Reading& reading : readings)
                profile.values[reading.control->name] = reading.value.value;
            if (!exportProfile(request.file, profile, &error))
                return fail(kExitFailed, error);
            print(QStringLiteral("saved %1 controls of %2 to %3\n")
                      .arg(readings.size())
                      .arg(found.serial.isEmpty() ? found.name : found.serial, request.file));
            return kExitDone;
        }
        case CliRequest::Action::LoadProfile: {
            CameraProfile reachable = load.profile;
            for (const ControlRow* control : namedControls()) {
                if (isVendorControl(*control) && !camera.hasExtensionUnit() &&
                    reachable.values.erase(control->name) != 0)
                    fail(kExitDone,
                         QStringLiteral("profile: %1 skipped: the camera's extension unit does not "
                                        "answer")
                             .arg(QString::fromLatin1(control->name)));
            }
            const std::map<std::string, int> accepted = queueProfile(reachable, camera, {});
            for (const auto& [name, value] : accepted)
                values[findControl(name)] = value;
            return finishApply(camera, found, values, request);
        }
        case CliRequest::Action::SavePreset:
            return savePreset(camera, found, request.preset);
        case CliRequest::Action::ApplyPreset:
            return applyPreset(camera, found, preset, request);
        case CliRequest::Action::FirmwareUpdate:
            if (!camera.hasExtensionUnit())  // the image travels over it
                return fail(kExitNoCamera, QStringLiteral("the camera's extension unit did not answer"));
            return runFirmwareUpdate(request.file, camera, found);
        default:
            return fail(kExitBadArgument, QStringLiteral("not a camera command"));
    }
}

// --diagnose. A bundle is most wanted when the camera does not open, so it is written then
// too, saying why the camera is missing. The stored profile is not applied: the bundle
// shows what the camera holds.
int diagnoseCommand(const CliRequest& request) {
    const QString refusal = diagnosticBundleRefusal(request.file);
    if (!refusal.isEmpty())
        return fail(kExitFailed, refusal);
    FoundCamera found;
    QString why;
    const int chosen = chooseCamera(listCameras(), request.device, &found, &why);
    if (chosen == kExitBadArgument)
        return fail(chosen, why);
    CameraSession camera(CameraSession::Use::CommandLine);
    const bool open = chosen == kExitDone && openForCommands(camera, &why) == kExitDone;
    if (!open)
        fail(kExitDone, QStringLiteral("the bundle holds no camera: ") + why);
    const CameraDescription described = describeCamera(open ? &camera : nullptr, why);
    QString error;
    if (!writeDiagnosticBundle(request.file, diagnosticMembers(described), &error))
        return fail(kExitFailed, error);
    print(QStringLiteral("wrote diagnostic bundle %1\n").arg(request.file));
    return kExitDone;
}
}  // namespace

int runCommandLine(const CliRequest& request) {
    setLogEcho(false);
    if (request.verbose)
        setLogSink([](const std::string& text) { std::fwrite(text.data(), 1, text.size(), stderr); });
    storeDeviceName(getProjectCustomizeData());
    switch (request.action) {
        case CliRequest::Action::List:
            return listCommand(request);
        case CliRequest::Action::ListPresets:
            return listPresetsCommand(request);
        case CliRequest::Action::Diagnose:
            return diagnoseCommand(request);
        default:
            return cameraCommand(request);
    }
}
