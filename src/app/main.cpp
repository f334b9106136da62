// Program entry: configuration, command line, camera backend, then the main window.
#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QGuiApplication>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/cli_request.h"
#include "app/cli_run.h"
#include "app/mainwindow.h"
#include "app/qt_options.h"
#include "app/quit_on_signal.h"
#include "app/single_instance.h"
#include "base/debug_log.h"
#include "base/quit_request.h"
#include "base/read_config.h"
#include "base/resolution_list.h"
#include "device/backend_choice.h"
#include "device/device_port.h"
#include "session/camera_profile.h"

namespace {

struct CommandLine {
    std::vector<std::string> backendArguments;  // "--camera=" for the backend choice
    CliRequest request;                         // Action::None: the window
};

// Reads the command line with a short-lived core application, so that --help and
// --version answer without a display. Returns the "--camera=" argument for the backend
// choice (empty: the environment decides) and the command-line mode's request, or exits
// for --help, --version and errors.
CommandLine parseCommandLine(int argc, char* argv[]) {
    QCoreApplication core(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("lumora-x8-settings"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(kApplicationVersion));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Settings of the Lumora X8 USB conference camera.") +
                                     cliHelpText());
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption camera(
        QStringLiteral("camera"),
        QStringLiteral("Camera backend: simulated or v4l2 (default: LUMORA_CAMERA, else v4l2)."),
        QStringLiteral("backend"));
    parser.addOption(camera);
    addCliOptions(parser);
    // --help, --version and errors end the process here. Qt's own options (-platform,
    // -style, -reverse, ...) are left to the application object.
    parseArgumentsOrExit(parser, withoutQtOptions(core.arguments()));

    CommandLine line;
    if (parser.isSet(camera))
        line.backendArguments.push_back("--camera=" + parser.value(camera).toStdString());
    QString error;
    line.request = cliRequestFrom(parser, &error);
    if (!error.isEmpty()) {
        std::fprintf(stderr, "lumora-x8-settings: %s\n", qPrintable(error));
        std::exit(kExitBadArgument);
    }
    return line;
}

// The application object takes the user's locale for the C library; numbers printed with
// printf keep the C form ("1.5", not "1,5") whatever the user's locale.
void keepCNumbers() {
    std::setlocale(LC_NUMERIC, "C");
}

}  // namespace

int main(int argc, char* argv[]) {
    const CommandLine line = parseCommandLine(argc, argv);
    const bool commandLineMode = line.request.action != CliRequest::Action::None;
    if (commandLineMode)
        setLogEcho(false);  // standard output carries the answers
    readConfig();
    // With debug set the log must be visible: it goes to standard output, which is the
    // terminal the program was started from (or wherever it was redirected). Without a
    // terminal there is nothing to open; the lines still reach standard output.

    std::string error;
    device::DevicePort backend = device::chooseBackend(line.backendArguments, error);
    if (!error.empty()) {
        std::fprintf(stderr, "lumora-x8-settings: %s\n", error.c_str());
        return kExitBadArgument;
    }
    debugLog("camera backend: %s\n", backend.name.c_str());
    device::installPort(std::move(backend));
    setCameraProfilesEnabled(true);

    if (commandLineMode) {
        QCoreApplication core(argc, argv);
        keepCNumbers();
        return runCommandLine(line.request);
    }

    qRegisterMetaType<RESOLUTION_LIST>("RESOLUTION_LIST");
    // The window scales as a whole with the screen (Xft.dpi on X11), icons drawn to match.
    QApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QApplication::setAttribute(Qt::AA_UseHighDpiPixmaps);
    QApplication app(argc, argv);
    keepCNumbers();
    // Docks and task bars (Wayland above all) find the icon through the desktop entry.
    QGuiApplication::setDesktopFileName(QString::fromLatin1(LUMORA_APP_ID));
    SingleInstance instance;
    if (!instance.claim()) {
        // A second window would compete with the first for the camera.
        if (instance.raiseRunning()) {
            std::fprintf(stderr, "lumora-x8-settings: already running; its window was raised\n");
            return 0;
        }
        std::fprintf(stderr, "lumora-x8-settings: another instance holds %s but does not answer\n",
                     qPrintable(instance.lockPath()));
        return 1;
    }
    QuitOnSignal quitOnSignal;
    auto window = std::make_unique<mainwindow>();
    QObject::connect(&instance, &SingleInstance::raiseRequested, window.get(), [&window] {
        window->setWindowState((window->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
        window->show();
        window->raise();
        window->activateWindow();
    });
    window->show();
    const int code = app.exec();
    requestQuit();  // whatever ended the loop: nothing waits or applies jobs any more
    window.reset();
    return code;
}
