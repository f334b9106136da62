#include "engine/profile_text.h"

#include <QRegularExpression>
#include <climits>

#include "engine/control_table.h"

namespace {
const QString kProfileSection = QStringLiteral("profile");
const QString kControlsSection = QStringLiteral("controls");

// One line of a profile, split as the reader sees it.
struct Line {
    enum class Kind { Blank, Section, Entry, Other } kind = Kind::Blank;
    QString section;  // Section: its name
    QString key;      // Entry
    QString value;    // Entry, without blanks and comment
};

Line splitLine(const QByteArray& raw) {
    const QString text = QString::fromUtf8(raw).trimmed();
    Line line;
    if (text.isEmpty() || text.startsWith(QLatin1Char(';')) || text.startsWith(QLatin1Char('#')))
        return line;
    if (text.startsWith(QLatin1Char('[')) && text.endsWith(QLatin1Char(']'))) {
        line.kind = Line::Kind::Section;
        line.section = text.mid(1, text.size() - 2).trimmed();
        return line;
    }
    const int equals = text.indexOf(QLatin1Char('='));
    if (equals <= 0) {
        line.kind = Line::Kind::Other;
        line.value = text;
        return line;
    }
    line.kind = Line::Kind::Entry;
    line.key = text.left(equals).trimmed();
    line.value = text.mid(equals + 1);
    const int comment = line.value.indexOf(QLatin1Char(';'));
    if (comment >= 0)
        line.value.truncate(comment);
    line.value = line.value.trimmed();
    return line;
}

// The lines of text without their line ends ("\n" or "\r\n").
QList<QByteArray> linesOf(const QByteArray& text) {
    QList<QByteArray> lines = text.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (QByteArray& line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
    }
    return lines;
}

QByteArray entryLine(const std::string& name, int value) {
    return QByteArray::fromStdString(name) + '=' + QByteArray::number(value);
}

class SkipList {
public:
    explicit SkipList(QStringList& lines) : lines_(lines) {}
    ~SkipList() {
        if (leftOut_ > 0)
            lines_ << QStringLiteral("... and %1 more entries skipped").arg(leftOut_);
    }
    void add(const QString& line) {
        if (lines_.size() < kMaxSkippedLines)
            lines_ << line;
        else
            ++leftOut_;
    }

private:
    QStringList& lines_;
    int leftOut_ = 0;
};
}  // namespace

WholeNumber readWholeNumber(const QString& text, int* value) {
    static const QRegularExpression digits(QStringLiteral("^\\s*[+-]?[0-9]+\\s*$"));
    if (!digits.match(text).hasMatch())
        return WholeNumber::NotANumber;
    bool ok = false;
    const qlonglong wide = text.trimmed().toLongLong(&ok);
    if (!ok || wide < INT_MIN || wide > INT_MAX)
        return WholeNumber::OutOfRange;
    *value = static_cast<int>(wide);
    return WholeNumber::Ok;
}

QString printableText(const QString& text, int maxLength) {
    QString out;
    for (const QChar c : text) {
        if (out.size() >= maxLength) {
            out += QStringLiteral("...");
            break;
        }
        if (c.isPrint() && c != QLatin1Char('\\'))
            out += c;
        else if (c == QLatin1Char('\\'))
            out += QStringLiteral("\\\\");
        else if (c.unicode() < 0x100)
            out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
    }
    return out;
}

ProfileLoad parseProfile(const QByteArray& text) {
    ProfileLoad load;
    load.readable = true;
    std::map<QString, QString> profileKeys;
    QStringList laterLines;
    {
        SkipList skipped(laterLines);
        QString section;
        int number = 0;
        for (const QByteArray& raw : linesOf(text)) {
            ++number;
            const Line line = splitLine(raw);
            if (line.kind == Line::Kind::Section) {
                section = line.section;
                continue;
            }
            if (line.kind == Line::Kind::Other)
                skipped.add(QStringLiteral("line %1 '%2': not KEY=VALUE, skipped")
                                .arg(number)
                                .arg(printableText(line.value)));
            if (line.kind != Line::Kind::Entry)
                continue;
            if (section == kProfileSection) {
                profileKeys[line.key] = line.value;
                continue;
            }
            const QString shown = printableText(line.key);
            if (section != kControlsSection) {
                skipped.add(
                    QStringLiteral("%1/%2: not a control, skipped").arg(printableText(section), shown));
                continue;
            }
            const std::string name = line.key.toStdString();
            if (findControl(name) == nullptr) {
                skipped.add(QStringLiteral("%1: unknown control, skipped").arg(shown));
                continue;
            }
            int value = 0;
            switch (readWholeNumber(line.value, &value)) {
                case WholeNumber::Ok:
                    load.profile.values[name] = value;
                    break;
                case WholeNumber::OutOfRange:
                    skipped.add(QStringLiteral("%1: '%2' is out of range, skipped")
                                    .arg(shown, printableText(line.value)));
                    break;
                case WholeNumber::NotANumber:
                    skipped.add(QStringLiteral("%1: '%2' is not a whole number, skipped")
                                    .arg(shown, printableText(line.value)));
                    break;
            }
        }
    }
    load.profile.serial = profileKeys[QStringLiteral("serial")];
    int format = 0;
    if (readWholeNumber(profileKeys[QStringLiteral("format")], &format) != WholeNumber::Ok)
        load.skipped << QStringLiteral("profile format missing or not a number: read as format %1")
                            .arg(kProfileFormat);
    else if (format > kProfileFormat)
        load.skipped << QStringLiteral(
                            "profile format %1 is newer than %2: loading the controls this version knows")
                            .arg(format)
                            .arg(kProfileFormat);
    load.skipped << laterLines;
    return load;
}

QByteArray profileText(const CameraProfile& profile) {
    QByteArray text = "[profile]\nformat=" + QByteArray::number(kProfileFormat) +
                      "\nserial=" + profile.serial.toUtf8() + "\n\n[controls]\n";
    for (const ControlRow* control : namedControls()) {
        const auto found = profile.values.find(control->name);
        if (found != profile.values.end())
            text += entryLine(found->first, found->second) + '\n';
    }
    return text;
}

QByteArray mergeProfileText(const QByteArray& existing, const CameraProfile& profile,
                            const std::set<std::string>& keys) {
    QList<QByteArray> lines = linesOf(existing);
    std::set<std::string> missing;
    for (const std::string& key : keys) {
        if (profile.values.count(key) != 0)
            missing.insert(key);
    }
    bool hasProfileSection = false;
    int controlsEnd = -1;  // index after the last entry (or header) of the controls section
    QString section;
    for (int i = 0; i < lines.size(); ++i) {
        const Line line = splitLine(lines[i]);
        if (line.kind == Line::Kind::Section) {
            section = line.section;
            hasProfileSection |= section == kProfileSection;
            if (section == kControlsSection)
                controlsEnd = i + 1;
            continue;
        }
        if (line.kind != Line::Kind::Entry || section != kControlsSection)
            continue;
        controlsEnd = i + 1;
        const std::string name = line.key.toStdString();
        if (keys.count(name) == 0 || profile.values.count(name) == 0)
            continue;
        lines[i] = entryLine(name, profile.values.at(name));
        missing.erase(name);
    }
    QList<QByteArray> added;
    for (const ControlRow* control : namedControls()) {
        if (missing.count(control->name) != 0)
            added << entryLine(control->name, profile.values.at(control->name));
    }
    if (controlsEnd < 0 && !added.isEmpty()) {
        if (!lines.isEmpty() && !lines.last().trimmed().isEmpty())
            lines << QByteArray();
        lines << QByteArray("[controls]");
        controlsEnd = lines.size();
    }
    for (int i = 0; i < added.size(); ++i)
        lines.insert(controlsEnd + i, added[i]);
    if (!hasProfileSection) {
        // At the end: lines before the file's first section keep the section they had.
        if (!lines.isEmpty() && !lines.last().trimmed().isEmpty())
            lines << QByteArray();
        lines << QByteArray("[profile]") << "format=" + QByteArray::number(kProfileFormat)
              << "serial=" + profile.serial.toUtf8();
    }
    QByteArray text;
    for (const QByteArray& line : lines)
        text += line + '\n';
    return text;
}
