#include "app/cli_request.h"

#include <cstdio>
#include <cstdlib>

#include "engine/control_table.h"

namespace {
struct ActionOption {
    const char* name;
    CliRequest::Action action;
    const char* valueName;  // null: a flag
    const char* description;
};

const ActionOption kActions[] = {
    {"list", CliRequest::Action::List, nullptr,
     "List the cameras found: name, backend, device node, serial number, firmware version."},
    {"get", CliRequest::Action::Get, nullptr,
     "Print every control (or the controls named as arguments) with value, range and default."},
    {"set", CliRequest::Action::Set, nullptr,
     "Set the controls given as NAME=VALUE arguments; print what the camera holds."},
    {"save-profile", CliRequest::Action::SaveProfile, "file",
     "Save the camera's settings to a profile file."},
    {"load-profile", CliRequest::Action::LoadProfile, "file", "Apply a profile file to the camera."},
    {"firmware-update", CliRequest::Action::FirmwareUpdate, "file",
     "Update the camera's firmware from an image file."},
    {"save-preset", CliRequest::Action::SavePreset, "name",
     "Save the camera's zoom, pan and tilt as a named framing (one of that name is replaced)."},
    {"preset", CliRequest::Action::ApplyPreset, "name",
     "Apply a named framing: zoom, then pan and tilt; print what the camera holds."},
    {"list-presets", CliRequest::Action::ListPresets, nullptr, "List the camera's named framings."},
    {"diagnose", CliRequest::Action::Diagnose, "file",
     "Write a diagnostic bundle for support (.tar.gz: log, versions, camera, profile, APSet.ini)."},
};
}  // namespace

void addCliOptions(QCommandLineParser& parser) {
    for (const ActionOption& option : kActions) {
        if (option.valueName != nullptr)
            parser.addOption({QString::fromLatin1(option.name), QString::fromLatin1(option.description),
                              QString::fromLatin1(option.valueName)});
        else
            parser.addOption({QString::fromLatin1(option.name), QString::fromLatin1(option.description)});
    }
    parser.addOption(
        {QStringLiteral("device"),
         QStringLiteral("The camera to use when several are found: its device node, serial number or "
                        "position in --list (from 0)."),
         QStringLiteral("camera")});
    parser.addOption({QStringLiteral("json"), QStringLiteral("Answer in JSON.")});
    parser.addOption({QStringLiteral("verbose"), QStringLiteral("Write the debug log to standard error.")});
    parser.addOption(
        {QStringLiteral("no-profile"),
         QStringLiteral("Neither apply the camera's stored profile when it opens nor store its settings.")});
    parser.addPositionalArgument(QStringLiteral("arguments"),
                                 QStringLiteral("Control names for --get, NAME=VALUE for --set."),
                                 QStringLiteral("[NAME|NAME=VALUE...]"));
}

void parseArgumentsOrExit(QCommandLineParser& parser, const QStringList& arguments) {
    if (!parser.parse(arguments)) {
        std::fprintf(stderr, "lumora-x8-settings: %s\n", qPrintable(parser.errorText()));
        std::exit(kExitBadArgument);
    }
    if (parser.isSet(QStringLiteral("version")))
        parser.showVersion();
    if (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all")))
        parser.showHelp(kExitDone);
}

CliRequest cliRequestFrom(const QCommandLineParser& parser, QString* error) {
    CliRequest request;
    QStringList chosen;
    for (const ActionOption& option : kActions) {
        const QString name = QString::fromLatin1(option.name);
        if (!parser.isSet(name))
            continue;
        chosen << QStringLiteral("--") + name;
        request.action = option.action;
        if (option.valueName != nullptr)
            request.file = parser.value(name);
    }
    if (chosen.size() > 1) {
        *error = QStringLiteral("choose one of %1").arg(chosen.join(QStringLiteral(", ")));
        request.action = CliRequest::Action::None;
        return request;
    }
    if (request.action == CliRequest::Action::SavePreset ||
        request.action == CliRequest::Action::ApplyPreset) {
        request.preset = request.file.trimmed();
        request.file.clear();
    }
    const QStringList positional = parser.positionalArguments();
    if (request.action == CliRequest::Action::Get)
        request.names = positional;
    else if (request.action == CliRequest::Action::Set)
        request.assignments = positional;
    else if (!positional.isEmpty())
        *error = QStringLiteral("unexpected argument '%1'").arg(positional.first());
    if (request.action == CliRequest::Action::Set && positional.isEmpty())
        *error = QStringLiteral("--set needs at least one NAME=VALUE");
    if (request.action == CliRequest::Action::None &&
        (parser.isSet(QStringLiteral("json")) || parser.isSet(QStringLiteral("device"))))
        *error =
            QStringLiteral("--json and --device go with --list, --get, --set or a profile or update option");
    request.device = parser.value(QStringLiteral("device"));
    request.json = parser.isSet(QStringLiteral("json"));
    request.verbose = parser.isSet(QStringLiteral("verbose"));
    request.noProfile = parser.isSet(QStringLiteral("no-profile"));
    return request;
}

QString cliHelpText() {
    QString text = QStringLiteral(
        "\nExit codes: 0 done, 1 failed, 2 bad argument, 3 no camera, 4 value refused,\n"
        "5 firmware update failed, 6 camera lost during the command,\n"
        "7 no permission to open the camera.\n\nControls (device units):\n");
    for (const ControlRow* control : namedControls())
        text += QStringLiteral("  %1  %2\n")
                    .arg(QString::fromLatin1(control->name), -22)
                    .arg(QString::fromLatin1(control->summary));
    return text;
}
