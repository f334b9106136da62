// Every image the program names is compiled in, decodes, and has the size its widget
// expects; every source file of a picture has its rendering and the reverse.
#include <QDir>
#include <QImage>
#include <QtTest>

class ResourcesTest : public QObject {
    Q_OBJECT

private slots:
    void imagesExistWithTheirSizes_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QSize>("size");
        QTest::newRow("app logo") << ":/appicon/app_logo.png" << QSize(256, 256);
        QTest::newRow("close") << ":/appicon/ic_close.png" << QSize(24, 24);
        QTest::newRow("close hover") << ":/appicon/ic_close_hover.png" << QSize(24, 24);
        QTest::newRow("cancel") << ":/appicon/icon_cancel.png" << QSize(15, 15);
        QTest::newRow("hint") << ":/appicon/icon_hint.png" << QSize(20, 20);
        QTest::newRow("combo arrow") << ":/icons/arrow.png" << QSize(12, 12);
        QTest::newRow("arrow back") << ":/icons/arrow_back.png" << QSize(24, 24);
        QTest::newRow("arrow right") << ":/icons/arrow_right.png" << QSize(24, 24);
        QTest::newRow("pan/tilt background") << ":/icons/eptz_bg.png" << QSize(265, 151);
        for (const char* tab : {"setting", "mode", "info"}) {
            for (const char* variant : {"", "_h"}) {
                const QString path = QStringLiteral(":/icons/tab_icon_%1%2.png").arg(tab, variant);
                QTest::newRow(qPrintable(path)) << path << QSize(32, 32);
            }
        }
    }
    void imagesExistWithTheirSizes() {
        QFETCH(QString, path);
        QFETCH(QSize, size);
        const QImage image(path);
        QVERIFY2(!image.isNull(), qPrintable(path));
        QCOMPARE(image.size(), size);
        QVERIFY(image.hasAlphaChannel() || path.endsWith("eptz_bg.png"));
    }

    void theRoomPictureIsOpaque() {
        // Drawn behind the pan/tilt rectangle: no pixel may let the page show through.
        const QImage room = QImage(":/icons/eptz_bg.png").convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < room.height(); ++y)
            for (int x = 0; x < room.width(); ++x)
                QVERIFY2(qAlpha(room.pixel(x, y)) == 255, qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
    }

    void everyDrawingHasItsPictureAndNoMore() {
        for (const char* prefix : {"icons", "appicon"}) {
            QStringList compiled = QDir(QStringLiteral(":/%1").arg(prefix)).entryList(QDir::Files);
            QStringList drawn = QDir(QStringLiteral(LUMORA_RESOURCE_DIR "/icons-src/%1").arg(prefix))
                                    .entryList({"*.svg"}, QDir::Files);
            drawn.replaceInStrings(".svg", ".png");
            compiled.sort();
            drawn.sort();
            QVERIFY(!compiled.isEmpty());
            QCOMPARE(compiled, drawn);
        }
    }
};

QTEST_GUILESS_MAIN(ResourcesTest)
#include "tst_resources.moc"
