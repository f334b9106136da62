#include "app/language_setup.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QTranslator>

#include "base/debug_log.h"
#include "base/install_paths.h"

namespace {
const char* const kJapaneseLocale = "ja_JP";
const char* const kJapaneseFamily = "Yu Gothic UI";
const char* const kDefaultFamily = "Gadugi";
const char* const kTranslationFile = "/languages/rk38p20_ja.qm";

// The default font, with the preferred Japanese family when the font database has it.
QFont japaneseFont() {
    QFont font;
    const QStringList families = QFontDatabase().families(QFontDatabase::Japanese);
    for (const QString& family : families) {
        if (family == QLatin1String(kJapaneseFamily)) {
            debugLog("found Yu Gothic UI.\n");
            font.setFamily(family);
            break;
        }
    }
    return font;
}
}  // namespace

QString systemLocaleName() {
    // The name the user set, as the C library reads it for messages (LC_ALL, then
    // LC_MESSAGES, then LANG), without its encoding and modifier. Qt's own locale would
    // complete "ja" or "ja_US" to "ja_JP", but only a Japanese system in Japan gets the
    // Japanese texts.
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

QTranslator* setupLanguage(const QString& localeName, QObject* owner, const QString& translationDir) {
    debugLog("locale: %s\n", localeName.toLocal8Bit().constData());
    if (localeName != QLatin1String(kJapaneseLocale)) {
        QApplication::setFont(QFont(QLatin1String(kDefaultFamily)));
        return nullptr;
    }
    debugLog("it's JP, change language setting.\n");
    QApplication::setFont(japaneseFont());

    const QString dir = translationDir.isEmpty()
                            ? QString::fromStdString(dataDir(std::string(kTranslationFile).substr(1)))
                            : translationDir;
    auto* translator = new QTranslator(owner);
    const bool loaded = translator->load(dir + QLatin1String(kTranslationFile));
    debugLog("load rk38p20_ja.qm: %d\n", loaded ? 1 : 0);
    // Installed even when empty, so that the texts simply stay untranslated.
    const bool installed = QCoreApplication::installTranslator(translator);
    debugLog("loinstallTranslatorale: %d\n", installed ? 1 : 0);
    return translator;
}
