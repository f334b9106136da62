// Language and font chosen from the locale's name at start, and the main window built on a
// Japanese system: the locale comes from the environment, so this executable sets it before
// the application reads it.
#include <QApplication>
#include <QTemporaryDir>
#include <QTranslator>
#include <QtTest>
#include <cstdlib>

#include "app/language_setup.h"
#include "tst_mainwindow_fixture.h"

namespace {
const char* const kTitle = "Lumora X8 Setting Software";
}  // namespace

class LanguageTest : public QObject {
    Q_OBJECT

    QObject* owner_ = nullptr;

private slots:
    void init() {
        owner_ = new QObject;
        QApplication::setFont(QFont(QStringLiteral("Sans")));
    }
    void cleanup() {
        delete owner_;  // takes its translator out of the application
        owner_ = nullptr;
        QCOMPARE(QCoreApplication::translate("mainwindow", kTitle), QString::fromLatin1(kTitle));
    }

    void japaneseSystemGetsJapaneseTexts() {
        QCOMPARE(QLocale::system().name(), QStringLiteral("ja_JP"));
        QString title;
        {
            window_test::Rig rig;
            title = rig.window->windowTitle();
            QCOMPARE(rig.window->overlay()->textLabel()->text(),
                     QStringLiteral("カメラが接続されていません"));
            QVERIFY(QApplication::font().family() != QLatin1String("Gadugi"));
        }
        QCOMPARE(title, QStringLiteral("Lumora X8 設定ソフトウェア"));  // the translator goes with the window
    }

    void missingTranslationIsInstalledEmpty() {
        QTemporaryDir empty;
        QTranslator* translator = setupLanguage(QStringLiteral("ja_JP"), owner_, empty.path());
        QVERIFY(translator);
        QVERIFY(translator->isEmpty());
        QCOMPARE(QCoreApplication::translate("mainwindow", kTitle), QString::fromLatin1(kTitle));
    }

    // The locale as the user sets it, through the environment: only exactly ja_JP gets the
    // Japanese texts (Qt's own locale completes "ja" and "ja_US" to "ja_JP").
    void languageFollowsTheEnvironment_data() {
        QTest::addColumn<QByteArray>("lcAll");
        QTest::addColumn<QByteArray>("lang");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("japanese");
        QTest::newRow("japanese without territory") << QByteArray() << QByteArray("ja") << "ja" << false;
        QTest::newRow("lower-case territory")
            << QByteArray() << QByteArray("ja_jp.UTF-8") << "ja_jp" << false;
        QTest::newRow("nothing set") << QByteArray() << QByteArray() << "C" << false;
        QTest::newRow("LC_ALL over a Japanese LANG")
            << QByteArray("C.UTF-8") << QByteArray("ja_JP.UTF-8") << "C" << false;
        QTest::newRow("japan") << QByteArray() << QByteArray("ja_JP.UTF-8") << "ja_JP" << true;
    }
    void languageFollowsTheEnvironment() {
        QFETCH(QByteArray, lcAll);
        QFETCH(QByteArray, lang);
        QFETCH(QString, name);
        QFETCH(bool, japanese);
        const QByteArray savedLang = qgetenv("LANG");
        lcAll.isEmpty() ? qunsetenv("LC_ALL") : qputenv("LC_ALL", lcAll);
        lang.isEmpty() ? qunsetenv("LANG") : qputenv("LANG", lang);
        const QString chosen = systemLocaleName();
        qunsetenv("LC_ALL");
        qputenv("LANG", savedLang);
        QCOMPARE(chosen, name);

        QTranslator* translator = setupLanguage(chosen, owner_);
        QCOMPARE(translator != nullptr, japanese);
        QCOMPARE(QApplication::font().family() == QLatin1String("Gadugi"), !japanese);
        QCOMPARE(QCoreApplication::translate("mainwindow", kTitle) == QLatin1String(kTitle), !japanese);
    }
};

int main(int argc, char** argv) {
    ::unsetenv("LC_ALL");
    ::unsetenv("LC_MESSAGES");
    ::unsetenv("LANGUAGE");
    ::setenv("LANG", "ja_JP.UTF-8", 1);
    QApplication app(argc, argv);
    LanguageTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_language.moc"
