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
            const LogCapture& log = *rig.log;
            QCOMPARE(log.count("locale: ja_JP\n"), 1);
            QCOMPARE(log.count("it's JP, change language setting.\n"), 1);
            QCOMPARE(log.count("load rk38p20_ja.qm: 1\n"), 1);
            QCOMPARE(log.count("loinstallTranslatorale: 1\n"), 1);
            title = rig.window->windowTitle();
            QCOMPARE(rig.window->overlay()->textLabel()->text(),
                     QStringLiteral("カメラが接続されていません"));
            QVERIFY(QApplication::font().family() != QLatin1String("Gadugi"));
        }
        QCOMPARE(title, QStringLiteral("Lumora X8 設定ソフトウェア"));  // the translator goes with the window
    }

    void missingTranslationIsInstalledEmpty() {
        QTemporaryDir empty;
        LogCapture log;
        QTranslator* translator = setupLanguage(QStringLiteral("ja_JP"), owner_, empty.path());
        QVERIFY(translator);
        QVERIFY(translator->isEmpty());
        QCOMPARE(log.count("load rk38p20_ja.qm: 0\n"), 1);
        QCOMPARE(log.count("loinstallTranslatorale: 0\n"), 1);
        QCOMPARE(QCoreApplication::translate("mainwindow", kTitle), QString::fromLatin1(kTitle));
    }

    void otherLocalesGetGadugiAndNoTranslator_data() {
        QTest::addColumn<QString>("locale");
        QTest::newRow("english") << "en_US";
        QTest::newRow("japanese without territory") << "ja";
        QTest::newRow("lower-case territory") << "ja_jp";
        QTest::newRow("other territory") << "ja_US";
        QTest::newRow("with encoding") << "ja_JP.UTF-8";
        QTest::newRow("C") << "C";
        QTest::newRow("empty") << "";
    }
    void otherLocalesGetGadugiAndNoTranslator() {
        QFETCH(QString, locale);
        LogCapture log;
        QVERIFY(setupLanguage(locale, owner_) == nullptr);
        QCOMPARE(log.writes(), std::vector<std::string>{"locale: " + locale.toStdString() + "\n"});
        QCOMPARE(QApplication::font().family(), QStringLiteral("Gadugi"));
        QVERIFY(owner_->findChildren<QTranslator*>().isEmpty());
        QCOMPARE(QCoreApplication::translate("mainwindow", kTitle), QString::fromLatin1(kTitle));
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
