#pragma once
// The text of a camera profile: read into values, written anew, and changed in place.
// A profile is a small INI file:
//
//   [profile]
//   format=1            ; the profile format; a newer one loads what this version knows
//   serial=LX8-000123   ; the camera it was saved from
//   [controls]
//   brightness=120      ; control names as the command line's --get prints them
//
// Lines are "[section]", "key=value", or comments starting with ';' or '#'; blanks around
// keys and values do not count, and a ';' ends a value. Changing a profile touches only the
// lines of the keys it changes, so keys, sections and a format mark of a newer version
// survive a store by this one.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <map>
#include <set>
#include <string>

constexpr int kProfileFormat = 1;

struct CameraProfile {
    QString serial;
    std::map<std::string, int> values;  // control name -> value, device units
};

struct ProfileLoad {
    bool readable = false;  // the file exists and could be read
    CameraProfile profile;
    QStringList skipped;  // one line per entry not loaded, saying why (file text escaped)
};

// Reads every known control with a whole-number value; unknown keys, bad values, lines
// that are not KEY=VALUE and the sections of a newer format are listed in skipped, at most
// kMaxSkippedLines of them and then one line with the number left out.
ProfileLoad parseProfile(const QByteArray& text);
constexpr int kMaxSkippedLines = 20;

// A whole profile, controls in the control table's order.
QByteArray profileText(const CameraProfile& profile);
// existing with the controls named in keys set to their values in profile: their lines
// are rewritten, missing ones added to the controls section; every other line stays.
QByteArray mergeProfileText(const QByteArray& existing, const CameraProfile& profile,
                            const std::set<std::string>& keys);

// A whole number as a script or a profile writes it ("150", " -3", "+2"): OutOfRange for
// digits beyond what an int holds, NotANumber for anything else.
enum class WholeNumber { Ok, NotANumber, OutOfRange };
WholeNumber readWholeNumber(const QString& text, int* value);

// Text from a file made fit for a terminal line: control characters and other
// non-printable ones as \xNN (or \uNNNN), and at most maxLength characters (then "...").
QString printableText(const QString& text, int maxLength = 60);
