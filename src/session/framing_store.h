#pragma once
// Named framings: a zoom, pan and tilt saved under a name the user chose, per camera, in a
// file beside the camera's profile ("<profile>.framings", session/camera_profile.h), so
// that they follow the camera through unplugs, reboots and restarts. The window's settings
// page and the command line (--save-preset, --preset, --list-presets) share them.
//
// The file is a small INI text:
//
//   [framings]
//   format=1
//   serial=LX8-000123
//   [framing]
//   Front%20row=200,-5,3   ; the name percent-encoded (UTF-8), then zoom,pan,tilt
//
// A name may be any text: everything but ASCII letters, digits and "-._~" is written as
// %XX, so no name can break a line, a key or a section. Changes are made under the
// profile's lock and replace the file atomically.
#include <QString>
#include <QStringList>
#include <map>
#include <string>
#include <vector>

class UvcCamera;

struct Framing {
    QString name;
    int zoom = 100;
    int pan = 0;
    int tilt = 0;
};

// Where the framings of the camera with this serial number are kept; empty for an empty
// serial number.
QString framingsPathFor(const QString& serial);

// The framings in the order they were first saved. A file that is not there holds none;
// lines that cannot be read are listed in skipped (when given).
std::vector<Framing> loadFramings(const QString& path, QStringList* skipped = nullptr);
// The framing of that name in framings, or null.
const Framing* findFraming(const std::vector<Framing>& framings, const QString& name);

// Saves framing under its name; one of the same name is replaced where it stands.
bool storeFraming(const QString& path, const QString& serial, const Framing& framing, QString* error);
// Gives the framing named from the name to; one already named to is replaced. error says
// why not (no framing named from).
bool renameFraming(const QString& path, const QString& serial, const QString& from, const QString& to,
                   QString* error);
bool deleteFraming(const QString& path, const QString& serial, const QString& name, QString* error);

// Queues framing through the settings engine in the order the camera takes it: zoom first,
// as the room pan and tilt have depends on it (at 100 percent the camera keeps them at 0).
// Values the camera holds already are not queued; values it cannot take are listed in
// skipped. Answers the values to check with checkProfileKept once the jobs are done.
std::map<std::string, int> queueFraming(const Framing& framing, UvcCamera& camera, QStringList* skipped);

// The file's text of framings, and the framings read back from a text.
QByteArray framingsText(const QString& serial, const std::vector<Framing>& framings);
std::vector<Framing> parseFramings(const QByteArray& text, QStringList* skipped);
