// The window's cover (ProtectLayout), the darkening of its working area (DarkenEffect) and
// the frame of the preview box under them (GroupFrameStyle).
#include <QApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QtTest>

#include "base/app_config.h"
#include "widgets/dark_effect_layout.h"
#include "widgets/darken_effect.h"
#include "widgets/group_frame_style.h"
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
        bright->setGeometry(80, 0, 60, 100);  // the area's last 20 columns paint nothing

        const QImage before = render(window);
        QVERIFY2(near(before.pixel(30, 50), 200, 100, 60), rgb(before.pixel(30, 50)));
        QVERIFY(near(before.pixel(150, 50), 255, 255, 255));

        area->setGraphicsEffect(new DarkenEffect);
        const QImage dark = render(window);
        // Half brightness inside the area, up to its own corners; black where the area paints
        // nothing (the window's background must not show through); nothing changes outside.
        const struct {
            int x, y, r, g, b;
        } expected[] = {{30, 50, 100, 50, 30}, {21, 11, 100, 50, 30}, {150, 50, 128, 128, 128},
                        {178, 108, 0, 0, 0},   {5, 5, 10, 20, 30},    {190, 115, 10, 20, 30},
                        {19, 50, 10, 20, 30}};
        for (const auto& e : expected)
            QVERIFY2(near(dark.pixel(e.x, e.y), e.r, e.g, e.b), rgb(dark.pixel(e.x, e.y)));

        QPointer<QGraphicsEffect> effect = area->graphicsEffect();
        area->setGraphicsEffect(nullptr);
        QVERIFY(effect.isNull());  // the widget owned and deleted it
        QCOMPARE(render(window), before);
    }

    // The preview box's frame: the same pixels as Fusion's own, at the window's size and at
    // sizes where the middle is a sliver or nothing.
    void previewBoxFrameDrawsFusionsPixels_data() {
        QTest::addColumn<QSize>("size");
        QTest::newRow("preview box") << QSize(891, 650);
        QTest::newRow("thin") << QSize(14, 17);
        QTest::newRow("no middle") << QSize(10, 12);
    }
    void previewBoxFrameDrawsFusionsPixels() {
        QFETCH(QSize, size);
        QApplication::setStyle(QStringLiteral("fusion"));
        QGroupBox fusion;
        QGroupBox drawn;
        GroupFrameStyle style;
        drawn.setStyle(&style);
        for (QGroupBox* box : {&fusion, &drawn}) {
            box->setStyleSheet(QStringLiteral("background-color: rgb(40, 46, 56);"));
            box->resize(size);
        }
        const QImage expected = render(fusion);
        QCOMPARE(render(drawn), expected);
        QVERIFY(expected.pixel(size.width() / 2, size.height() - 1) != qRgb(40, 46, 56));  // a frame shows
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

    // Shown twice it only resizes; a show without text keeps the text of a cover already
    // shown; the next paint follows the parent's size; one hide hides; and while shown it
    // takes the mouse from what lies below.
    void coverShowsHidesAndFollowsItsParent() {
        QWidget central;
        central.resize(1280, 650);
        auto* below = new QWidget(&central);
        below->setGeometry(0, 0, 300, 200);
        ProtectLayout cover(&central);
        central.show();
        QVERIFY(QTest::qWaitForWindowExposed(&central));
        QCOMPARE(central.childAt(10, 10), below);
        cover.showTextLabel();  // alone it leaves a hidden cover hidden
        QVERIFY(cover.isHidden() && !cover.isOverlayShown());

        cover.showWithText(&central);
        QVERIFY(cover.isOverlayShown() && cover.isVisible() && cover.textLabel()->isVisible());
        QCOMPARE(cover.size(), QSize(1280, 650));
        central.resize(1400, 700);
        cover.showWithText(&central);
        QCOMPARE(cover.size(), QSize(1400, 700));
        cover.showWithoutText(&central);
        QVERIFY(cover.isVisible() && cover.textLabel()->isVisible());  // the first show's text
        central.resize(1000, 600);
        QCOMPARE(cover.size(), QSize(1400, 700));  // not before it paints
        QPaintEvent paint(cover.rect());
        QCoreApplication::sendEvent(&cover, &paint);
        QCOMPARE(cover.size(), QSize(1000, 600));

        cover.hideOverlay();
        QVERIFY(!cover.isOverlayShown() && cover.isHidden());
        cover.showWithoutText(&central);
        QVERIFY(cover.isVisible() && !cover.textLabel()->isVisible());
        QCOMPARE(central.childAt(10, 10), &cover);
        cover.showTextLabel();  // the reset watch brings the text back without a new show
        QVERIFY(cover.textLabel()->isVisible() && cover.isOverlayShown());
    }
};

QTEST_MAIN(CoverTest)
#include "tst_cover.moc"
