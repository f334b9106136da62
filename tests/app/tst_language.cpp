// Language and font chosen from the locale's name at start (the Japanese window itself is
// tst_language_window's).
#include <QApplication>
#include <QTemporaryDir>
#include <QTranslator>
#include <QtTest>

#include "app/language_setup.h"
#include "support/log_capture.h"

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

QTEST_MAIN(LanguageTest)
#include "tst_language.moc"
