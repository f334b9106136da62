#include "app/qt_options.h"

namespace {
// Options of QGuiApplication, its X11 platform and QApplication that take a value.
const char* const kWithValue[] = {
    "platform",
    "platformpluginpath",
    "platformtheme",
    "plugin",
    "qwindowgeometry",
    "geometry",
    "qwindowicon",
    "icon",
    "qwindowtitle",
    "title",
    "name",
    "display",
    "session",
    "style",
    "stylesheet",
    "qmljsdebugger",
};
// And those that stand alone.
const char* const kAlone[] = {"reverse", "widgetcount", "sync", "nograb", "dograb", "visual"};

template <size_t N>
bool isOneOf(const QString& name, const char* const (&names)[N]) {
    for (const char* candidate : names)
        if (name == QLatin1String(candidate))
            return true;
    return false;
}
}  // namespace

QStringList withoutQtOptions(const QStringList& arguments) {
    QStringList kept;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == QLatin1String("--")) {
            kept << arguments.mid(i);  // after "--" nothing is an option
            break;
        }
        if (i == 0 || !argument.startsWith(QLatin1Char('-'))) {
            kept << argument;
            continue;
        }
        QString name = argument.mid(argument.startsWith(QLatin1String("--")) ? 2 : 1);
        const int equals = name.indexOf(QLatin1Char('='));
        const bool valueAttached = equals >= 0;
        if (valueAttached)
            name.truncate(equals);
        if (isOneOf(name, kWithValue)) {
            if (!valueAttached)
                ++i;  // the value follows
            continue;
        }
        if (!valueAttached && isOneOf(name, kAlone))
            continue;
        kept << argument;
    }
    return kept;
}
