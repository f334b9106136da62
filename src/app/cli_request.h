#pragma once
// The command-line mode: what a script asked for, read from the program's arguments.
// Any of --list, --get, --set, --save-profile, --load-profile, --firmware-update and
// --diagnose makes the program answer on standard output and exit, without a window; so do
// the named framings' --save-preset, --preset and --list-presets.
#include <QCommandLineParser>
#include <QString>
#include <QStringList>

// Exit codes a script can rely on.
enum CliExit : int {
    kExitDone = 0,
    kExitFailed = 1,        // anything else went wrong (a profile could not be written, ...)
    kExitBadArgument = 2,   // unknown option or control, malformed NAME=VALUE, several cameras
    kExitNoCamera = 3,      // no camera of that name, or it could not be opened
    kExitRefused = 4,       // a value outside the control's range, or the camera kept another
    kExitUpdateFailed = 5,  // the firmware update did not end with the new version
    kExitCameraLost = 6,    // the camera went away in the middle of the command
    kExitDenied = 7,        // the user may not open the camera's device
};

struct CliRequest {
    enum class Action {
        None,
        List,
        Get,
        Set,
        SaveProfile,
        LoadProfile,
        FirmwareUpdate,
        SavePreset,
        ApplyPreset,
        ListPresets,
        Diagnose
    };
    Action action = Action::None;
    QStringList names;        // --get: the controls to print (all when empty)
    QStringList assignments;  // --set: NAME=VALUE
    QString file;             // --save-profile, --load-profile, --firmware-update, --diagnose
    QString preset;           // --save-preset, --preset: the framing's name
    QString device;           // --device: node, serial number or position in --list
    bool json = false;
    bool verbose = false;    // the debug log goes to standard error
    bool noProfile = false;  // neither apply nor store the camera's stored profile
};

// Adds the command-line mode's options to parser.
void addCliOptions(QCommandLineParser& parser);
// Parses arguments as QCommandLineParser::process does (--help and --version answer and
// exit 0), except that an unknown option or a missing option value exits with
// kExitBadArgument, as --help and the README say, after a line on standard error.
void parseArgumentsOrExit(QCommandLineParser& parser, const QStringList& arguments);
// The request the parsed arguments make; Action::None for the window. On a conflict
// (two actions) error is set.
CliRequest cliRequestFrom(const QCommandLineParser& parser, QString* error);
// The exit codes and the control names, for --help.
QString cliHelpText();
