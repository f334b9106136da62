#include "session/framing_store.h"

#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <algorithm>
#include <functional>

#include "engine/control_reading.h"
#include "engine/current_values.h"
#include "engine/profile_text.h"
#include "session/camera_profile.h"

namespace {
const QByteArray kListSection = "[framing]";
constexpr int kFramingsFormat = 1;

// A change of the list; false with why when it cannot be made.
using ListChange = std::function<bool(std::vector<Framing>& framings, QString* why)>;

bool changeFramings(const QString& path, const QString& serial, const ListChange& change, QString* error) {
    if (path.isEmpty()) {
        if (error != nullptr)
            *error = QStringLiteral("the camera's serial number is unknown, so it keeps no framings");
        return false;
    }
    const auto rewrite = [&](const QByteArray* existing, QByteArray* text, QString* why) {
        std::vector<Framing> framings =
            existing != nullptr ? parseFramings(*existing, nullptr) : std::vector<Framing>();
        if (!change(framings, why))
            return false;
        *text = framingsText(serial, framings);
        return true;
    };
    return rewriteUnderLock(path, rewrite, error);
}

std::vector<Framing>::iterator named(std::vector<Framing>& framings, const QString& name) {
    return std::find_if(framings.begin(), framings.end(), [&](const Framing& f) { return f.name == name; });
}

// "zoom,pan,tilt" into framing; false unless three whole numbers.
bool readValues(const QString& text, Framing* framing) {
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 3)
        return false;
    int* fields[] = {&framing->zoom, &framing->pan, &framing->tilt};
    for (int i = 0; i < 3; ++i) {
        if (readWholeNumber(parts[i], fields[i]) != WholeNumber::Ok)
            return false;
    }
    return true;
}
}  // namespace

QString framingsPathFor(const QString& serial) {
    const QString profile = profilePathFor(serial);
    return profile.isEmpty() ? QString() : profile + QStringLiteral(".framings");
}

QByteArray framingsText(const QString& serial, const std::vector<Framing>& framings) {
    QByteArray text = "[framings]\nformat=" + QByteArray::number(kFramingsFormat) +
                      "\nserial=" + QUrl::toPercentEncoding(serial) + "\n\n" + kListSection + '\n';
    for (const Framing& f : framings)
        text += QUrl::toPercentEncoding(f.name) + '=' + QByteArray::number(f.zoom) + ',' +
                QByteArray::number(f.pan) + ',' + QByteArray::number(f.tilt) + '\n';
    return text;
}

std::vector<Framing> parseFramings(const QByteArray& text, QStringList* skipped) {
    std::vector<Framing> framings;
    bool inList = false;
    int number = 0;
    for (QByteArray line : text.split('\n')) {
        ++number;
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(';') || line.startsWith('#'))
            continue;
        if (line.startsWith('[')) {
            inList = line == kListSection;
            continue;
        }
        if (!inList)
            continue;
        const int equals = line.indexOf('=');
        const int comment = line.indexOf(';');
        Framing framing;
        framing.name = QString::fromUtf8(QByteArray::fromPercentEncoding(line.left(equals).trimmed()));
        const QString values =
            QString::fromUtf8(line.mid(equals + 1, comment < 0 ? -1 : comment - equals - 1));
        if (equals <= 0 || !readValues(values, &framing)) {
            if (skipped != nullptr)
                *skipped << QStringLiteral("line %1 '%2': not NAME=ZOOM,PAN,TILT, skipped")
                                .arg(number)
                                .arg(printableText(QString::fromUtf8(line)));
            continue;
        }
        auto same = named(framings, framing.name);
        if (same != framings.end())
            *same = framing;  // the later line wins, as a store would have left it
        else
            framings.push_back(framing);
    }
    return framings;
}

std::vector<Framing> loadFramings(const QString& path, QStringList* skipped) {
    QFile file(path);
    if (path.isEmpty() || !QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return {};
    return parseFramings(file.read(kMaxProfileBytes), skipped);
}

const Framing* findFraming(const std::vector<Framing>& framings, const QString& name) {
    for (const Framing& f : framings) {
        if (f.name == name)
            return &f;
    }
    return nullptr;
}

bool storeFraming(const QString& path, const QString& serial, const Framing& framing, QString* error) {
    return changeFramings(
        path, serial,
        [&](std::vector<Framing>& framings, QString*) {
            auto same = named(framings, framing.name);
            if (same != framings.end())
                *same = framing;
            else
                framings.push_back(framing);
            return true;
        },
        error);
}

bool renameFraming(const QString& path, const QString& serial, const QString& from, const QString& to,
                   QString* error) {
    return changeFramings(
        path, serial,
        [&](std::vector<Framing>& framings, QString* why) {
            auto source = named(framings, from);
            if (source == framings.end()) {
                *why = QStringLiteral("no framing is named '%1'").arg(printableText(from));
                return false;
            }
            source->name = to;
            // One that had the new name gives way to the renamed one.
            for (auto it = framings.begin(); it != framings.end(); ++it) {
                if (it->name == to && it != source) {
                    framings.erase(it);
                    break;
                }
            }
            return true;
        },
        error);
}

bool deleteFraming(const QString& path, const QString& serial, const QString& name, QString* error) {
    return changeFramings(
        path, serial,
        [&](std::vector<Framing>& framings, QString* why) {
            auto found = named(framings, name);
            if (found == framings.end()) {
                *why = QStringLiteral("no framing is named '%1'").arg(printableText(name));
                return false;
            }
            framings.erase(found);
            return true;
        },
        error);
}

std::map<std::string, int> queueFraming(const Framing& framing, UvcCamera& camera, QStringList* skipped) {
    // A job for pan or tilt is skipped when it matches the recorded value; a camera that
    // put them back to 0 at the lowest zoom holds another one. The record starts from what
    // the camera holds.
    for (const char* name : {"zoom", "pan", "tilt"}) {
        const ControlRow& control = *findControl(name);
        const ControlReading reading = readControl(control, camera);
        if (reading.ok)
            recordValue(control, reading.value, currentValues());
    }
    const CameraProfile values{QString(),
                               {{"zoom", framing.zoom}, {"pan", framing.pan}, {"tilt", framing.tilt}}};
    return applyProfile(values, camera, skipped);
}
