#include "app/camera_profile.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QSettings>
#include <QStandardPaths>
#include <atomic>

#include "engine/control_catalog.h"
#include "engine/current_values.h"
#include "engine/setting_task_engine.h"

namespace {
std::atomic<bool> g_profilesEnabled{false};

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

bool saveProfile(const QString& path, const CameraProfile& profile, QString* error,
                 const std::function<void()>& beforeCommit) {
    const auto fail = [error, &path](const QString& why) {
        if (error != nullptr)
            *error = QStringLiteral("cannot write profile %1: %2").arg(path, why);
        return false;
    };
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return fail(QStringLiteral("cannot create its folder"));
    QString text = QStringLiteral("[profile]\nformat=%1\nserial=%2\n\n[controls]\n")
                       .arg(kProfileFormat)
                       .arg(profile.serial);
    for (const ControlInfo& control : controlCatalog()) {
        const auto found = profile.values.find(control.name);
        if (found != profile.values.end())
            text += QStringLiteral("%1=%2\n").arg(QString::fromLatin1(control.name)).arg(found->second);
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(file.errorString());
    const QByteArray bytes = text.toUtf8();
    if (file.write(bytes) != bytes.size() || !file.flush())
        return fail(file.errorString());
    if (beforeCommit)
        beforeCommit();
    if (!file.commit())
        return fail(file.errorString());
    return true;
}

ProfileLoad loadProfile(const QString& path) {
    ProfileLoad load;
    const QFileInfo info(path);
    if (!info.isFile() || !info.isReadable())
        return load;
    QSettings settings(path, QSettings::IniFormat);
    if (settings.status() != QSettings::NoError)
        return load;
    load.readable = true;
    bool formatOk = false;
    const int format = settings.value(QStringLiteral("profile/format")).toString().toInt(&formatOk);
    if (!formatOk)
        load.skipped << QStringLiteral("profile format missing or not a number: read as format %1")
                            .arg(kProfileFormat);
    else if (format > kProfileFormat)
        load.skipped << QStringLiteral(
                            "profile format %1 is newer than %2: loading the controls this version knows")
                            .arg(format)
                            .arg(kProfileFormat);
    load.profile.serial = settings.value(QStringLiteral("profile/serial")).toString();
    for (const QString& key : settings.allKeys()) {
        if (key.startsWith(QStringLiteral("profile/")))
            continue;
        if (!key.startsWith(QStringLiteral("controls/"))) {
            load.skipped << QStringLiteral("%1: not a control, skipped").arg(key);
            continue;
        }
        const QString name = key.mid(int(sizeof("controls/")) - 1);
        if (findControl(name.toStdString()) == nullptr) {
            load.skipped << QStringLiteral("%1: unknown control, skipped").arg(name);
            continue;
        }
        bool ok = false;
        const QString raw = settings.value(key).toString();
        const int value = raw.trimmed().toInt(&ok);
        if (!ok) {
            load.skipped << QStringLiteral("%1: '%2' is not a whole number, skipped").arg(name, raw);
            continue;
        }
        load.profile.values[name.toStdString()] = value;
    }
    return load;
}

std::map<std::string, int> applyProfile(const CameraProfile& profile, UvcCamera& camera, QStringList* skipped,
                                        int* queued) {
    std::map<std::string, int> accepted;
    int count = 0;
    for (const ControlInfo* control : applyOrder()) {
        const auto stored = profile.values.find(control->name);
        if (stored == profile.values.end())
            continue;
        const ControlReading reading = readControl(*control, camera);
        if (!reading.ok || stored->second < reading.min || stored->second > reading.max) {
            skipped->append(QStringLiteral("%1=%2 is outside %3..%4, skipped")
                                .arg(QString::fromLatin1(control->name))
                                .arg(stored->second)
                                .arg(reading.min)
                                .arg(reading.max));
            continue;
        }
        accepted[stored->first] = stored->second;
        if (stored->second == reading.value)
            continue;
        SettingTaskEngine::instance().addJob(control->controlId, stored->second);
        recordValue(*control, stored->second, currentValues());
        ++count;
    }
    if (queued != nullptr)
        *queued = count;
    return accepted;
}

void setCameraProfilesEnabled(bool enabled) {
    g_profilesEnabled = enabled;
}

bool cameraProfilesEnabled() {
    return g_profilesEnabled.load();
}
