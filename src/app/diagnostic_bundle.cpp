#include "app/diagnostic_bundle.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSaveFile>

#include "app/software_versions.h"
#include "base/app_config.h"
#include "base/log_ring.h"
#include "base/read_config.h"
#include "device/device_port.h"
#include "engine/control_reading.h"
#include "engine/control_table.h"
#include "session/camera_profile.h"
#include "session/camera_session.h"
#include "xu/uvc_xu_manager.h"

namespace {

// A file's text for the bundle (at most 1 MiB of it), or a comment line saying it is absent.
QByteArray fileOrNote(const QString& path, const char* absent) {
    QFile file(path);
    if (path.isEmpty() || !QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return QByteArray("; ") + absent + '\n';
    return file.read(kMaxProfileBytes);
}

QString xuText(bool (UVCXUManager::*read)(char*)) {
    char text[kXuTextLength + 1] = {};
    return (UVCXUManager::instance().*read)(text) ? QString::fromLatin1(text).trimmed() : QString();
}

QJsonObject formatJson(const RESOLUTION_LIST& r) {
    return {{QStringLiteral("format"), QString::fromStdString(r.format)},
            {QStringLiteral("width"), r.width},
            {QStringLiteral("height"), r.height},
            {QStringLiteral("fps"), r.fps}};
}

QJsonObject controlJson(const ControlRow& row, CameraSession& session) {
    QJsonObject control{
        {QStringLiteral("id"), QStringLiteral("0x%1").arg(int(row.id), 4, 16, QLatin1Char('0'))},
        {QStringLiteral("name"),
         row.name != nullptr ? QJsonValue(QString::fromLatin1(row.name)) : QJsonValue()},
        {QStringLiteral("vendor"), isVendorControl(row)}};
    // A vendor control is not asked while the extension unit is silent.
    ControlReading reading;
    if (!isVendorControl(row) || session.hasExtensionUnit())
        reading = readControl(row, session.stream().camera());
    control.insert(QStringLiteral("answered"), reading.ok);
    if (!reading.ok)
        return control;
    control.insert(QStringLiteral("value"), reading.value);
    control.insert(QStringLiteral("min"), reading.min);
    control.insert(QStringLiteral("max"), reading.max);
    control.insert(QStringLiteral("step"), reading.step);
    control.insert(QStringLiteral("default"),
                   reading.def.has_value() ? QJsonValue(reading.def.value_or(0)) : QJsonValue());
    return control;
}

// The user's home folder, as the environment and the file system name it; a home that is
// the root (or none) names nothing.
QStringList homeSpellings() {
    QStringList homes;
    for (const QString& home : {QDir::homePath(), QFileInfo(QDir::homePath()).canonicalFilePath()}) {
        const QString clean = QDir::cleanPath(home);
        if (clean.size() > 1 && !homes.contains(clean))
            homes << clean;
    }
    return homes;
}

// The log names a camera by its serial number in these places (the connection's read,
// the information page, the profile's lines).
const QRegularExpression& serialInLog() {
    static const QRegularExpression re(QStringLiteral("(sn:|setSN: |profile: [^\\n]* camera )([^\\s,]+)"));
    return re;
}

// text without the home folder's path (written "~") and without the serial numbers of
// other cameras than the one with serial.
QByteArray withoutPrivateData(const QByteArray& bytes, const QString& serial) {
    QString text = QString::fromUtf8(bytes);
    for (const QString& home : homeSpellings()) {
        // The folder itself, not a longer name that starts like it (/home/al in /home/alice).
        text.replace(
            QRegularExpression(QRegularExpression::escape(home) + QStringLiteral("(?![^/\\s\"'=:;,)])")),
            QStringLiteral("~"));
    }
    QString out;
    int from = 0;
    QRegularExpressionMatchIterator it = serialInLog().globalMatch(text);
    while (it.hasNext()) {
        const QRegularExpressionMatch match = it.next();
        if (match.captured(2) == serial)
            continue;
        out += text.midRef(from, match.capturedStart(2) - from);
        out += QStringLiteral("(another camera)");
        from = match.capturedEnd(2);
    }
    out += text.midRef(from);
    return out.toUtf8();
}

}  // namespace

CameraDescription describeCamera(CameraSession* session, const QString& noCamera) {
    const QString name = QString::fromLatin1(appConfig().deviceName ? appConfig().deviceName : "");
    CameraDescription facts;
    facts.backend = QString::fromStdString(device::port().name);
    if (session == nullptr || session->state() != SessionState::Ready) {
        const QString why = !noCamera.isEmpty() || session == nullptr
                                ? noCamera
                                : QStringLiteral("the camera session is %1").arg(stateName(session->state()));
        facts.json = QJsonObject{{QStringLiteral("connected"), false},
                                 {QStringLiteral("name"), name},
                                 {QStringLiteral("backend"), facts.backend},
                                 {QStringLiteral("why"), why}};
        return facts;
    }
    const bool unit = session->hasExtensionUnit();
    facts.serial = unit ? xuText(&UVCXUManager::getSerialNumber) : QString();
    QJsonArray formats;
    for (const RESOLUTION_LIST& r : session->stream().getList())
        formats.append(formatJson(r));
    QJsonArray controls;
    for (const ControlRow& row : controlTable())
        controls.append(controlJson(row, *session));
    facts.json = QJsonObject{
        {QStringLiteral("connected"), true},
        {QStringLiteral("name"), name},
        {QStringLiteral("backend"), facts.backend},
        {QStringLiteral("serial"), facts.serial},
        {QStringLiteral("firmware"), unit ? xuText(&UVCXUManager::getFwVersion) : QString()},
        {QStringLiteral("extensionUnit"), unit},
        {QStringLiteral("formats"), formats},
        {QStringLiteral("controls"), controls},
    };
    return facts;
}

std::vector<ArchiveMember> diagnosticMembers(const CameraDescription& camera) {
    const QString configFile = QString::fromStdString(configFileRead());
    std::vector<ArchiveMember> members{
        {QStringLiteral("log.txt"), QByteArray::fromStdString(recentLog())},
        {QStringLiteral("versions.txt"), softwareVersionsText(camera.backend).toUtf8()},
        {QStringLiteral("camera.json"), QJsonDocument(camera.json).toJson(QJsonDocument::Indented)},
        {QStringLiteral("profile.ini"),
         fileOrNote(profilePathFor(camera.serial), "no profile is stored for the camera in use")},
        {QStringLiteral("APSet.ini"), fileOrNote(configFile, "no APSet.ini was found: every key is 0")},
    };
    for (ArchiveMember& member : members)
        member.data = withoutPrivateData(member.data, camera.serial);
    return members;
}

namespace {
QString cannotWrite(const QString& path, const QString& why) {
    return QStringLiteral("cannot write diagnostic bundle %1: %2").arg(path, why);
}
}  // namespace

QString diagnosticBundleRefusal(const QString& path) {
    const QString refusal = exportRefusal(path);
    return refusal.isEmpty() ? QString() : cannotWrite(path, refusal);
}

bool writeDiagnosticBundle(const QString& path, const std::vector<ArchiveMember>& members, QString* error) {
    const auto failed = [&](const QString& why) {
        *error = cannotWrite(path, why);
        return false;
    };
    *error = diagnosticBundleRefusal(path);
    if (!error->isEmpty())
        return false;
    const QByteArray archive = tarGz(members, QDateTime::currentSecsSinceEpoch());
    if (archive.isEmpty())
        return failed(QStringLiteral("the archive could not be made"));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return failed(file.errorString());
    if (file.write(archive) != archive.size()) {
        file.cancelWriting();
        return failed(file.errorString());
    }
    if (!file.commit())
        return failed(file.errorString());
    return true;
}
