#include "app/cli_camera.h"

#include "app/cli_request.h"
#include "base/app_config.h"
#include "base/quit_request.h"
#include "device/device_filter.h"
#include "device/device_port.h"
#include "session/camera_session.h"
#include "xu/uvc_xu_manager.h"

namespace {
// The node of a V4L2 device ends its path ("...#/dev/video0"); other backends have none.
QString nodeOf(const std::string& link) {
    const size_t slash = link.rfind("#/dev/");
    return QString::fromStdString(slash == std::string::npos ? link : link.substr(slash + 1));
}

QString textOf(const char* buffer) {
    return QString::fromLatin1(buffer).trimmed();
}
}  // namespace

std::vector<FoundCamera> listCameras() {
    std::vector<FoundCamera> cameras;
    const device::DevicePort all = device::port();
    const char* wanted = appConfig().deviceName;
    std::vector<std::unique_ptr<device::DeviceMoniker>> devices;
    if (!all.video || device::failed(all.video->createDeviceEnumerator()) ||
        device::failed(all.video->enumerateVideoInputs(devices)) || wanted == nullptr || *wanted == '\0')
        return cameras;
    for (const auto& moniker : devices) {
        std::string name;
        std::string link;
        if (device::failed(moniker->friendlyName(name)) || name.find(wanted) == std::string::npos ||
            device::failed(moniker->symbolicLink(link)))
            continue;
        FoundCamera camera{QString::fromStdString(name),
                           QString::fromStdString(all.name),
                           nodeOf(link),
                           device::deviceKey(link),
                           QString(),
                           QString()};
        // The extension unit of this camera alone.
        device::installPort(device::onlyDevice(all, camera.key));
        UVCXUManager& xu = UVCXUManager::instance();
        xu.setEnableCommand(true);
        if (xu.haveDevice()) {
            char text[kXuTextLength] = {};
            if (xu.getSerialNumber(text))
                camera.serial = textOf(text);
            char version[kXuTextLength] = {};
            if (xu.getFwVersion(version))
                camera.firmware = textOf(version);
        }
        xu.setEnableCommand(false);
        device::installPort(all);
        cameras.push_back(camera);
    }
    return cameras;
}

int chooseCamera(const std::vector<FoundCamera>& cameras, const QString& choice, FoundCamera* chosen,
                 QString* error) {
    const QString name = QString::fromLatin1(appConfig().deviceName);
    if (cameras.empty()) {
        *error = QStringLiteral("no %1 found").arg(name);
        return kExitNoCamera;
    }
    const FoundCamera* match = nullptr;
    if (choice.isEmpty()) {
        if (cameras.size() > 1) {
            *error =
                QStringLiteral("%1 cameras found: choose one with --device (see --list)").arg(cameras.size());
            return kExitBadArgument;
        }
        match = &cameras.front();
    } else {
        bool isIndex = false;
        const int index = choice.toInt(&isIndex);
        for (size_t i = 0; i < cameras.size() && match == nullptr; ++i) {
            const FoundCamera& camera = cameras[i];
            if ((isIndex && index == static_cast<int>(i)) || camera.node == choice ||
                (!camera.serial.isEmpty() && camera.serial == choice))
                match = &camera;
        }
        if (match == nullptr) {
            *error = QStringLiteral("no %1 matches --device=%2 (see --list)").arg(name, choice);
            return kExitNoCamera;
        }
    }
    *chosen = *match;
    device::installPort(device::onlyDevice(device::port(), match->key));
    return kExitDone;
}

int openForCommands(CameraSession& session, QString* error) {
    const int result = session.openOnce();
    if (session.state() == SessionState::Denied) {
        *error = QStringLiteral(
            "no permission to open the camera's device: on a desktop, log in on the local seat (udev's "
            "uaccess rule gives its user the cameras); otherwise add the user to the group video "
            "(adduser $USER video) and log in again");
        return kExitDenied;
    }
    if (result < 0) {
        *error = QStringLiteral("the camera could not be opened (code %1)").arg(result);
        return kExitNoCamera;
    }
    if (session.state() != SessionState::Ready) {
        session.close();
        *error = QStringLiteral("stopped while waiting for the camera's extension unit");
        return kExitNoCamera;
    }
    return kExitDone;
}
