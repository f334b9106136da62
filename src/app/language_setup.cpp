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
