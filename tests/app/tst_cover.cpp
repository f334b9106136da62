// The window's cover (ProtectLayout) and the darkening of its working area (DarkenEffect).
#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QtTest>

#include "base/app_config.h"
#include "widgets/dark_effect_layout.h"
#include "widgets/darken_effect.h"
#include "widgets/protect_layout.h"

namespace {
// A widget that paints itself in one colour, so every pixel is known.
class Solid : public QWidget {
public:
    Solid(QColor color, QWidget* parent = nullptr) : QWidget(parent), color_(color) {}

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), color_); }

private:
    QColor color_;
};

QImage render(QWidget& widget) {
    QImage image(widget.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::magenta);
    widget.render(&image);
    return image;
}

bool near(QRgb pixel, int r, int g, int b) {
    return qAbs(qRed(pixel) - r) <= 1 && qAbs(qGreen(pixel) - g) <= 1 && qAbs(qBlue(pixel) - b) <= 1 &&
           qAlpha(pixel) == 255;
}

// Pixel colours as text, so a failed comparison says what was drawn.
QByteArray rgb(QRgb p) {
    return QByteArray::number(qRed(p)) + "," + QByteArray::number(qGreen(p)) + "," +
           QByteArray::number(qBlue(p));
}
}  // namespace

class CoverTest : public QObject {
    Q_OBJECT

private slots:
    void workingAreaIsDrawnAtHalfBrightnessAndRestored() {
        // The working area sits inside its window at an offset, as in the main window.
        Solid window(QColor(10, 20, 30));
        window.resize(200, 120);
        auto* area = new DarkEffectLayout(&window);
        area->setGeometry(20, 10, 160, 100);
        auto* content = new Solid(QColor(200, 100, 60), area);
        content->setGeometry(0, 0, 80, 100);
        auto* bright = new Solid(QColor(255, 255, 255), area);
        bright->setGeometry(80, 0, 80, 100);

        const QImage before = render(window);
        QVERIFY2(near(before.pixel(30, 50), 200, 100, 60), rgb(before.pixel(30, 50)));
        QVERIFY(near(before.pixel(150, 50), 255, 255, 255));

        area->setGraphicsEffect(new DarkenEffect);
        const QImage dark = render(window);
        // Half brightness inside the area, up to its own corners; nothing changes outside.
        const struct {
            int x, y, r, g, b;
        } expected[] = {{30, 50, 100, 50, 30},     {21, 11, 100, 50, 30}, {150, 50, 128, 128, 128},
                        {178, 108, 128, 128, 128}, {5, 5, 10, 20, 30},    {190, 115, 10, 20, 30},
                        {19, 50, 10, 20, 30}};
        for (const auto& e : expected)
            QVERIFY2(near(dark.pixel(e.x, e.y), e.r, e.g, e.b), rgb(dark.pixel(e.x, e.y)));

        QPointer<QGraphicsEffect> effect = area->graphicsEffect();
        area->setGraphicsEffect(nullptr);
        QVERIFY(effect.isNull());  // the widget owned and deleted it
        QCOMPARE(render(window), before);
    }

    void transparentPartsOfTheAreaTurnBlack() {
        // The effect lays opaque black under the area, so where the area itself paints nothing
        // the window's background does not show through.
        Solid window(QColor(100, 200, 40));
        window.resize(100, 100);
        auto* area = new DarkEffectLayout(&window);
        area->setGeometry(0, 0, 100, 100);
        area->setGraphicsEffect(new DarkenEffect);
        const QImage image = render(window);
        QVERIFY2(near(image.pixel(50, 50), 0, 0, 0), rgb(image.pixel(50, 50)));
    }

    void textBoxWidthFollowsTheScaleFactor() {
        const double saved = appConfig().scale;
        appConfig().scale = 1.0;
        QWidget central;
        const int atOne = ProtectLayout(&central).textLabel()->width();
        appConfig().scale = 2.0;  // the layout was last fitted at twice the screen's scale
        ProtectLayout halved(&central);
        appConfig().scale = saved;
        QCOMPARE(halved.textLabel()->width(), int(atOne / 2.0));
        QCOMPARE(halved.textLabel()->height(), ProtectLayout(&central).textLabel()->height());
    }

    void showingTwiceOnlyResizesAndOneHideHides() {
        QWidget central;
        central.resize(1280, 650);
        ProtectLayout cover(&central);
        central.show();
        cover.showWithText(&central);
        QVERIFY(cover.isOverlayShown());
        QVERIFY(cover.isVisible());
        QVERIFY(cover.textLabel()->isVisible());
        QCOMPARE(cover.size(), QSize(1280, 650));

        central.resize(1400, 700);
        cover.showWithText(&central);
        QVERIFY(cover.isVisible());
        QCOMPARE(cover.size(), QSize(1400, 700));

        cover.hideOverlay();
        QVERIFY(!cover.isOverlayShown());
        QVERIFY(cover.isHidden());
    }

    void withoutTextWhileShownKeepsTheText() {
        QWidget central;
        central.resize(800, 600);
        ProtectLayout cover(&central);
        central.show();
        cover.showTextLabel();  // alone it leaves a hidden cover hidden
        QVERIFY(cover.isHidden());
        QVERIFY(!cover.isOverlayShown());
        cover.showWithText(&central);
        cover.showWithoutText(&central);
        QVERIFY(cover.textLabel()->isVisible());  // still the text of the first show

        cover.hideOverlay();
        cover.showWithoutText(&central);
        QVERIFY(cover.isVisible());
        QVERIFY(!cover.textLabel()->isVisible());

        cover.showTextLabel();  // the reset watch brings the text back without a new show
        QVERIFY(cover.textLabel()->isVisible());
        QVERIFY(cover.isOverlayShown());
    }

    void nextPaintFollowsTheParentsNewSize() {
        QWidget central;
        central.resize(640, 480);
        ProtectLayout cover(&central);
        central.show();
        cover.showWithText(&central);
        QVERIFY(QTest::qWaitForWindowExposed(&central));
        central.resize(1000, 700);
        QCOMPARE(cover.size(), QSize(640, 480));  // not before it paints
        QPaintEvent paint(cover.rect());
        QCoreApplication::sendEvent(&cover, &paint);
        QCOMPARE(cover.size(), QSize(1000, 700));
    }

    void coverTakesTheMouseFromWhatLiesBelow() {
        QWidget central;
        central.resize(300, 200);
        auto* below = new QWidget(&central);
        below->setGeometry(0, 0, 300, 200);
        ProtectLayout cover(&central);
        central.show();
        QVERIFY(QTest::qWaitForWindowExposed(&central));
        QCOMPARE(central.childAt(10, 10), below);
        cover.showWithoutText(&central);
        QCOMPARE(central.childAt(10, 10), &cover);
    }
};

QTEST_MAIN(CoverTest)
#include "tst_cover.moc"
