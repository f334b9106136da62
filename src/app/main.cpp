// Program entry: configuration, command line, camera backend, then the main window.
#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/mainwindow.h"
#include "app/quit_on_signal.h"
#include "base/debug_log.h"
#include "base/read_config.h"
#include "base/resolution_list.h"
#include "device/backend_choice.h"
#include "device/device_port.h"

namespace {

constexpr int kExitUsage = 2;

// Reads the command line with a short-lived core application, so that --help and
// --version answer without a display. Returns the "--camera=" argument for the backend
// choice (empty: the environment decides), or exits for --help, --version and errors.
std::vector<std::string> parseCommandLine(int argc, char* argv[]) {
    QCoreApplication core(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("lumora-x8-settings"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(kApplicationVersion));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Settings of the Lumora X8 USB conference camera."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption camera(
        QStringLiteral("camera"),
        QStringLiteral("Camera backend: simulated or v4l2 (default: LUMORA_CAMERA, else v4l2)."),
        QStringLiteral("backend"));
    parser.addOption(camera);
    parser.process(core);  // --help, --version and unknown options end the process here

    std::vector<std::string> arguments;
    if (parser.isSet(camera))
        arguments.push_back("--camera=" + parser.value(camera).toStdString());
    return arguments;
}

}  // namespace

int main(int argc, char* argv[]) {
    readConfig();
    // With debug set the log must be visible: it goes to standard output, which is the
    // terminal the program was started from (or wherever it was redirected). Without a
    // terminal there is nothing to open; the lines still reach standard output.

    const std::vector<std::string> arguments = parseCommandLine(argc, argv);
    std::string error;
    device::DevicePort backend = device::chooseBackend(arguments, error);
    if (!error.empty()) {
        std::fprintf(stderr, "lumora-x8-settings: %s\n", error.c_str());
        return kExitUsage;
    }
    debugLog("camera backend: %s\n", backend.name.c_str());
    device::installPort(std::move(backend));

    qRegisterMetaType<RESOLUTION_LIST>("RESOLUTION_LIST");
    QApplication app(argc, argv);
    QuitOnSignal quitOnSignal;
    auto window = std::make_unique<mainwindow>();
    window->show();
    const int code = app.exec();
    window.reset();
    return code;
}
