#pragma once
// Language and font of the user interface, chosen from the system locale's name when the
// main window is built.
#include <QString>

#include "base/system_locale.h"  // systemLocaleName(), the name to pass in

class QObject;
class QTranslator;

// Logs "locale: <name>". For exactly "ja_JP": prefers the "Yu Gothic UI" family among the
// Japanese font families (the default font otherwise) as application font, loads
// languages/rk38p20_ja.qm from translationDir (when empty: beside the executable, else the
// installed data folder) into a translator owned by owner, installs it whatever the load
// gave and returns it; the caller then re-translates its texts. Any other name: "Gadugi" becomes the
// application font and nullptr is returned. Needs a QApplication.
QTranslator* setupLanguage(const QString& localeName, QObject* owner,
                           const QString& translationDir = QString());
