#include "base/system_locale.h"

#include <QByteArray>

QString systemLocaleName() {
    QByteArray name;
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        name = qgetenv(variable);
        if (!name.isEmpty())
            break;
    }
    const int end = name.indexOf('.') >= 0 ? name.indexOf('.') : name.indexOf('@');
    if (end >= 0)
        name.truncate(end);
    if (name.isEmpty() || name == "POSIX")
        name = "C";
    return QString::fromLatin1(name);
}
