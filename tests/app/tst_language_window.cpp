// The main window built on a Japanese system: the translator is loaded and the window's
// texts are Japanese. The locale comes from the environment, so this executable sets it
// before the application reads it.
#include <QtTest>
#include <cstdlib>

#include "tst_mainwindow_fixture.h"

using namespace window_test;

class LanguageWindowTest : public QObject {
    Q_OBJECT

private slots:
    void japaneseSystemGetsJapaneseTexts() {
        QCOMPARE(QLocale::system().name(), QStringLiteral("ja_JP"));
        QString title;
        {
            Rig rig;
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
        QCOMPARE(title, QStringLiteral("Lumora X8 設定ソフトウェア"));
        // The translator went with its window.
        QCOMPARE(QCoreApplication::translate("mainwindow", "Lumora X8 Setting Software"),
                 QStringLiteral("Lumora X8 Setting Software"));
    }
};

int main(int argc, char** argv) {
    ::unsetenv("LC_ALL");
    ::unsetenv("LC_MESSAGES");
    ::unsetenv("LANGUAGE");
    ::setenv("LANG", "ja_JP.UTF-8", 1);
    QApplication app(argc, argv);
    LanguageWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_language_window.moc"
