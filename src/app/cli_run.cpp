#include "app/cli_run.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <chrono>
#include <cstdio>
#include <map>

#include "app/camera_profile.h"
#include "app/cli_camera.h"
#include "app/cli_firmware.h"
#include "app/customize_loader.h"
#include "base/debug_log.h"
#include "engine/control_catalog.h"
#include "engine/setting_task_engine.h"

namespace {
// How long the settings worker may take for the jobs of one command.
constexpr auto kApplyTimeout = std::chrono::seconds(10);

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
    const ControlInfo* control;
    ControlReading value;
};

QJsonObject controlJson(const Reading& reading) {
    QJsonObject object{{QStringLiteral("name"), QString::fromLatin1(reading.control->name)},
                       {QStringLiteral("value"), reading.value.value},
                       {QStringLiteral("min"), reading.value.min},
                       {QStringLiteral("max"), reading.value.max}};
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
bool readControls(CliCamera& camera, const std::vector<const ControlInfo*>& controls,
                  std::vector<Reading>& out) {
    for (const ControlInfo* control : controls) {
        const ControlReading value = readControl(*control, camera.camera());
        if (!value.ok)
            return false;
        out.push_back({control, value});
    }
    return true;
}

std::vector<const ControlInfo*> allControls() {
    std::vector<const ControlInfo*> controls;
    for (const ControlInfo& control : controlCatalog())
        controls.push_back(&control);
    return controls;
}

// Queues values in the order that keeps automatic modes last.
void queueValues(const std::map<const ControlInfo*, int>& values) {
    for (const ControlInfo* control : applyOrder()) {
        const auto found = values.find(control);
        if (found != values.end())
            SettingTaskEngine::instance().addJob(control->controlId, found->second);
    }
}

// Queues profile through the engine and says what was skipped; answers the values the
// camera can take. The caller waits for them.
std::map<std::string, int> queueProfile(const CameraProfile& profile, CliCamera& camera,
                                        const QStringList& alreadySkipped) {
    QStringList skipped = alreadySkipped;
    std::map<std::string, int> accepted = applyProfile(profile, camera.camera(), &skipped);
    for (const QString& line : skipped)
        fail(kExitDone, QStringLiteral("profile: ") + line);
    return accepted;
}

// The camera's settings become its stored profile, so that the window re-applies them
// when the camera comes back.
void storeProfile(const FoundCamera& camera, const std::vector<Reading>& readings) {
    const QString path = profilePathFor(camera.serial);
    if (path.isEmpty())
        return;
    CameraProfile profile{camera.serial, {}};
    for (const Reading& reading : readings)
        profile.values[reading.control->name] = reading.value.value;
    QString error;
    if (!saveProfile(path, profile, &error))
        fail(kExitFailed, error);
}

// Checks values against the ranges the camera reports; refused ones are described.
QStringList outOfRange(CliCamera& camera, const std::map<const ControlInfo*, int>& values) {
    QStringList refused;
    for (const auto& [control, value] : values) {
        const ControlReading reading = readControl(*control, camera.camera());
        if (reading.ok && (value < reading.min || value > reading.max))
            refused << QStringLiteral("%1=%2 is outside %3..%4")
                           .arg(QString::fromLatin1(control->name))
                           .arg(value)
                           .arg(reading.min)
                           .arg(reading.max);
    }
    return refused;
}

// --set and --load-profile, once the values are queued: wait for them, read them back,
// print, store the camera's settings as its profile.
int finishApply(CliCamera& camera, const FoundCamera& found, const std::map<const ControlInfo*, int>& values,
                const CliRequest& request) {
    if (!SettingTaskEngine::instance().waitUntilIdle(kApplyTimeout) || camera.lost())
        return fail(kExitCameraLost, QStringLiteral("the camera went away while the values were applied"));
    std::vector<const ControlInfo*> controls;
    for (const ControlInfo* control : applyOrder()) {
        if (values.count(control) != 0)
            controls.push_back(control);
    }
    std::vector<Reading> readings;
    if (!readControls(camera, controls, readings) || camera.lost())
        return fail(kExitCameraLost,
                    QStringLiteral("the camera went away before the values could be read back"));
    printControls(found, readings, request.json);
    std::vector<Reading> all;
    if (!request.noProfile && readControls(camera, allControls(), all))
        storeProfile(found, all);
    QStringList kept;
    for (const Reading& reading : readings) {
        const int asked = values.at(reading.control);
        if (reading.value.value != asked)
            kept << QStringLiteral("%1 holds %2 (asked for %3)")
                        .arg(QString::fromLatin1(reading.control->name))
                        .arg(reading.value.value)
                        .arg(asked);
    }
    return kept.isEmpty() ? kExitDone
                          : fail(kExitRefused, QStringLiteral("the camera kept another value: ") +
                                                   kept.join(QStringLiteral("; ")));
}

// NAME=VALUE arguments into values; answers kExitDone or kExitBadArgument.
int parseAssignments(const QStringList& assignments, std::map<const ControlInfo*, int>& values,
                     QString* error) {
    for (const QString& assignment : assignments) {
        const int equals = assignment.indexOf(QLatin1Char('='));
        if (equals <= 0) {
            *error = QStringLiteral("malformed '%1': expected NAME=VALUE").arg(assignment);
            return kExitBadArgument;
        }
        const QString name = assignment.left(equals);
        const ControlInfo* control = findControl(name.toStdString());
        if (control == nullptr) {
            *error = QStringLiteral("unknown control '%1' (see --help for the names)").arg(name);
            return kExitBadArgument;
        }
        bool ok = false;
        const int value = assignment.mid(equals + 1).toInt(&ok);
        if (!ok) {
            *error = QStringLiteral("'%1' is not a whole number in '%2'")
                         .arg(assignment.mid(equals + 1), assignment);
            return kExitBadArgument;
        }
        values[control] = value;
    }
    return kExitDone;
}

int cameraCommand(const CliRequest& request) {
    // Everything that can be checked without a camera is checked first.
    std::map<const ControlInfo*, int> values;
    std::vector<const ControlInfo*> named;
    QString error;
    if (request.action == CliRequest::Action::Set &&
        parseAssignments(request.assignments, values, &error) != kExitDone)
        return fail(kExitBadArgument, error);
    for (const QString& name : request.names) {
        const ControlInfo* control = findControl(name.toStdString());
        if (control == nullptr)
            return fail(kExitBadArgument,
                        QStringLiteral("unknown control '%1' (see --help for the names)").arg(name));
        named.push_back(control);
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

    FoundCamera found;
    const int chosen = chooseCamera(listCameras(), request.device, &found, &error);
    if (chosen != kExitDone)
        return fail(chosen, error);
    CliCamera camera;
    const int opened = camera.open(&error);
    if (opened != kExitDone)
        return fail(opened, error);
    // The camera's stored settings follow it, as in the window.
    const ProfileLoad stored = loadProfile(profilePathFor(found.serial));
    if (!request.noProfile && stored.readable) {
        queueProfile(stored.profile, camera, stored.skipped);
        if (!SettingTaskEngine::instance().waitUntilIdle(kApplyTimeout) || camera.lost())
            return fail(kExitCameraLost,
                        QStringLiteral("the camera went away while its stored profile was applied"));
    }

    switch (request.action) {
        case CliRequest::Action::Get: {
            std::vector<Reading> readings;
            if (!readControls(camera, named.empty() ? allControls() : named, readings) || camera.lost())
                return fail(kExitCameraLost,
                            QStringLiteral("the camera went away while its controls were read"));
            printControls(found, readings, request.json);
            return kExitDone;
        }
        case CliRequest::Action::Set: {
            const QStringList refused = outOfRange(camera, values);
            if (!refused.isEmpty())
                return fail(kExitRefused, QStringLiteral("refused: ") + refused.join(QStringLiteral("; ")) +
                                              QStringLiteral(" (nothing was set)"));
            queueValues(values);
            return finishApply(camera, found, values, request);
        }
        case CliRequest::Action::SaveProfile: {
            std::vector<Reading> readings;
            if (!readControls(camera, allControls(), readings) || camera.lost())
                return fail(kExitCameraLost,
                            QStringLiteral("the camera went away while its controls were read"));
            CameraProfile profile{found.serial, {}};
            for (const Reading& reading : readings)
                profile.values[reading.control->name] = reading.value.value;
            if (!saveProfile(request.file, profile, &error))
                return fail(kExitFailed, error);
            print(QStringLiteral("saved %1 controls of %2 to %3\n")
                      .arg(readings.size())
                      .arg(found.serial.isEmpty() ? found.name : found.serial, request.file));
            return kExitDone;
        }
        case CliRequest::Action::LoadProfile: {
            const std::map<std::string, int> accepted = queueProfile(load.profile, camera, {});
            for (const auto& [name, value] : accepted)
                values[findControl(name)] = value;
            return finishApply(camera, found, values, request);
        }
        case CliRequest::Action::FirmwareUpdate:
            return runFirmwareUpdate(request.file, camera, found);
        default:
            return fail(kExitBadArgument, QStringLiteral("not a camera command"));
    }
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
        default:
            return cameraCommand(request);
    }
}
