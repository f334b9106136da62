// Language and font chosen from the locale's name at start.
#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTranslator>
#include <QtTest>

#include "app/language_setup.h"
#include "support/log_capture.h"

namespace {
const char* const kTitle = "Lumora X8 Setting Software";
const char* const kNotConnected = "Camera is Not Connected";
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

    void translationFileIsBuiltBesideTheExecutable() {
        QVERIFY(QFile::exists(QCoreApplication::applicationDirPath() + "/languages/rk38p20_ja.qm"));
    }

    void japaneseLocaleLoadsAndInstallsTheTranslator() {
        LogCapture log;
        QTranslator* translator = setupLanguage(QStringLiteral("ja_JP"), owner_);
        QVERIFY(translator);
        QCOMPARE(translator->parent(), owner_);
        QVERIFY(!translator->isEmpty());
        const std::vector<std::string> expected{"locale: ja_JP\n", "it's JP, change language setting.\n",
                                                "load rk38p20_ja.qm: 1\n", "loinstallTranslatorale: 1\n"};
        std::vector<std::string> lines = log.writes();
        // The family preferred on Japanese systems is only reported when the machine has it.
        lines.erase(std::remove(lines.begin(), lines.end(), std::string("found Yu Gothic UI.\n")),
                    lines.end());
        QCOMPARE(lines, expected);

        QCOMPARE(QCoreApplication::translate("mainwindow", kTitle),
                 QStringLiteral("Lumora X8 設定ソフトウェア"));
        QCOMPARE(QCoreApplication::translate("mainwindow", kNotConnected),
                 QStringLiteral("カメラが接続されていません"));
        QVERIFY(QApplication::font().family() != QLatin1String("Gadugi"));
    }

    void installedTranslatorReachesWidgets() {
        // A widget re-reads its texts on the language change that installing sends.
        struct Titled : QWidget {
            void changeEvent(QEvent* e) override {
                if (e->type() == QEvent::LanguageChange)
                    setWindowTitle(QCoreApplication::translate("mainwindow", kTitle));
                QWidget::changeEvent(e);
            }
        } widget;
        widget.setWindowTitle(QString::fromLatin1(kTitle));
        LogCapture log;
        setupLanguage(QStringLiteral("ja_JP"), owner_);
        QCoreApplication::sendPostedEvents(&widget, QEvent::LanguageChange);
        QCOMPARE(widget.windowTitle(), QStringLiteral("Lumora X8 設定ソフトウェア"));
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

    void systemLocaleNameHasLanguageTerritoryForm() {
        const QString name = systemLocaleName();
        QCOMPARE(name, QLocale::system().name());
        QVERIFY(name == QLatin1String("C") || name.contains('_'));
    }
};

QTEST_MAIN(LanguageTest)
#include "tst_language.moc"
