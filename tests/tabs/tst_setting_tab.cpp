// The settings page on its own: each widget bound to its control, the digital zoom's
// recentring, Backlight Compensation against gamma, Auto Zoom against the digital zoom,
// and the fit of texts and of the column. (The refresh is tested in the window.)
#define QTEST_QPA_MOUSE_HANDLING
#include <QtTest>
#include <algorithm>
#include <memory>

#include "engine/current_values.h"
#include "engine/setting_task_engine.h"
#include "tabs/range_eptz_controller.h"
#include "tabs/tst_setting_tab_drive.h"
#include "widgets/custom_mode_switcher.h"
#include "widgets/hover_hint_btn.h"
#include "widgets/popup_window.h"
#include "widgets/switch_button.h"

using namespace setting_drive;
using Field = std::atomic<int32_t> CurrentValues::*;

namespace {
void setRecord(std::initializer_list<std::pair<Field, int>> fields) {
    for (const auto& [field, value] : fields)
        (currentValues().*field).store(value);
}
}  // namespace

class SettingTabTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QWidget> holder;  // owns the page and its busy overlay, as the tab widget does
    SettingTab* page = nullptr;
    const SettingTabForm& ui() const { return page->form(); }
    static SettingTaskEngine& engine() { return SettingTaskEngine::instance(); }

private slots:
    void init() {
        SettingTaskEngine::instance().deleteCamera();  // without a worker queued jobs stay queued
        setRecord(
            {{&CurrentValues::autoFrame, 0}, {&CurrentValues::backlight, 0}, {&CurrentValues::gamma, 100}});
        holder = std::make_unique<QWidget>();
        page = new SettingTab(holder.get());
        holder->resize(page->size());
        holder->show();
        QVERIFY(QTest::qWaitForWindowExposed(holder.get()));
    }
    void cleanup() {
        holder.reset();
        SettingTaskEngine::instance().deleteCamera();
    }

    // Each control's widget queues its own control in the camera's units; a slider let go
    // sends its value once more, forced.
    void everyWidgetQueuesItsControl_data() {
        QTest::addColumn<QString>("widget");
        QTest::addColumn<QString>("signal");    // "change", "release" or "move"
        QTest::addColumn<int>("value");         // the page's (tilt: minus it)
        QTest::addColumn<QStringList>("jobs");  // "<id in hex> <value>[ forced]"
        const auto row = [](const char* widget, const char* signal, int value, QStringList jobs) {
            QTest::newRow(qPrintable(QStringLiteral("%1 %2").arg(widget, signal)))
                << QString(widget) << QString(signal) << value << jobs;
        };
        row("eptzSlider", "change", 200, {"1000 200"});
        row("eptzSlider", "release", 200, {"1000 200 forced"});
        row("eptzController", "move", 5, {"1001 5", "1002 -5"});
        row("eptzController", "release", 5, {"1001 5 forced", "1002 -5 forced"});
        // The plain sliders: widget, control id, page value, camera value.
        const struct {
            const char *widget, *id;
            int shown, value;
        } sliders[] = {{"gainSlider", "1004", 4, 4},         {"expSlider", "1005", -3, -3},
                       {"wbSlider", "1007", 46, 4600},       {"brightnessSlider", "1008", 150, 150},
                       {"contrastSlider", "1009", 40, 40},   {"hueSlider", "100a", 5, 5},
                       {"saturationSlider", "100b", 60, 60}, {"sharpnessSlider", "100c", 3, 3},
                       {"gammaSlider", "100d", 12, 120}};
        for (const auto& s : sliders) {
            const QString job = QStringLiteral("%1 %2").arg(s.id).arg(s.value);
            row(s.widget, "change", s.shown, {job});
            row(s.widget, "release", s.shown, {job + " forced"});
        }
        row("exposureSwitch", "change", 1, {"1003 1"});
        row("wbSwitch", "change", 0, {"1006 0"});
        row("BCSwitch", "change", 1, {"100e 1"});
        row("antiFlickerSwitcher", "change", 1, {"100f 1"});
        row("autoFrameSwitch", "change", 1, {"2000 1"});
        row("sensitivitySlider", "change", -1, {"2001 -1"});
        row("sensitivitySlider", "release", -1, {"2001 -1 forced"});
        row("zoomLevelSlider", "change", 3, {"2002 3"});
        row("zoomLevelSlider", "release", 3, {"2002 3 forced"});
        row("HDRSwitch", "change", 1, {"2004 1"});
        row("TASSwitch", "change", 1, {"2005 1"});
        row("LCDSwitch", "change", 1, {"2006 1"});
    }

    void everyWidgetQueuesItsControl() {
        QFETCH(QString, widget);
        QFETCH(QString, signal);
        QFETCH(int, value);
        QFETCH(QStringList, jobs);
        QObject* sender = page->findChild<QObject*>(widget);
        QVERIFY(sender != nullptr);
        const std::size_t before = engine().pendingJobCount();
        if (auto* slider = qobject_cast<CustomSlider*>(sender))
            signal == "change" ? emit slider->sliderValueChanged(value) : emit slider->sliderReleased(value);
        else if (auto* button = qobject_cast<SwitchButton*>(sender))
            emit button->switchChanged(value != 0);
        else if (auto* switcher = qobject_cast<CustomModeSwitcher*>(sender))
            emit switcher->modeChanged(value);
        else if (auto* controller = qobject_cast<RangeEptzController*>(sender))
            signal == "move" ? emit controller->positionChanged(value, -value)
                             : emit controller->forcePanTilt(value, -value);
        QCOMPARE(jobsSince(before), jobs);
    }

    // The digital zoom at 100 or reset: the rectangle is centred and pan and tilt are sent
    // back to 0 before the zoom.
    void digitalZoomRecentresAtNoZoom() {
        const std::size_t start = engine().pendingJobCount();
        QVERIFY(dragSlider(*page, ui().eptzSlider, 200) > 100 && ui().ezptResetBtn->isEnabled());
        QVERIFY(jobsSince(start).filter(QRegularExpression("^100[12] ")).isEmpty());
        QCOMPARE(dragSlider(*page, ui().eptzSlider, 100), 100);
        QVERIFY(!ui().ezptResetBtn->isEnabled());
        const QStringList atNoZoom = jobsSince(start);
        QCOMPARE(atNoZoom.mid(atNoZoom.size() - 4),
                 (QStringList{"1001 0", "1002 0", "1000 100", "1000 100 forced"}));

        dragSlider(*page, ui().eptzSlider, 300);
        const std::size_t beforeReset = engine().pendingJobCount();
        click(*page, ui().ezptResetBtn);
        QCOMPARE(jobsSince(beforeReset), (QStringList{"1001 0", "1002 0", "1000 100"}));
        QCOMPARE(ui().eptzSlider->value(), 100);
    }

    void backlightCompensationAgainstGamma() {
        std::size_t start = engine().pendingJobCount();
        click(*page, ui().BCSwitch);  // gamma at its default: no question
        QCOMPARE(jobsSince(start), QStringList{"100e 1"});
        ui().BCSwitch->setSwitchState(false);

        currentValues().gamma = 120;
        start = engine().pendingJobCount();
        click(*page, ui().BCSwitch);
        QCOMPARE(openDialogTitle(), QStringLiteral("Backlight Compensation will be Activated"));
        answer("leftBtn");
        QVERIFY(!ui().BCSwitch->isSwitchOn() && jobsSince(start).isEmpty());
        click(*page, ui().BCSwitch);
        answer("rightBtn");
        QVERIFY(currentValues().gamma.load() == 100 && ui().gammaSlider->value() == 10);
        // The camera is told the default gamma before compensation starts.
        QCOMPARE(jobsSince(start), (QStringList{"100d 100", "100e 1"}));

        // Compensation on: pressing the gamma handle asks first and holds the slider.
        currentValues().backlight = 1;
        start = engine().pendingJobCount();
        pressHandle(*page, ui().gammaSlider);
        QCOMPARE(openDialogTitle(), QStringLiteral("Gamma will be Activated"));
        QVERIFY(!ui().gammaSlider->isEnabled());
        answer("rightBtn");
        QVERIFY(ui().gammaSlider->isEnabled() && !ui().BCSwitch->isSwitchOn());
        QCOMPARE(currentValues().backlight.load(), 0);
        QCOMPARE(jobsSince(start).last(), QStringLiteral("100e 0"));
    }

    // Auto Zoom against the digital zoom: turning Auto Zoom on while zoomed asks first
    // ("Cancel" keeps it off) and puts the view back to 100 without a zoom job; pressing the
    // zoom handle while Auto Zoom is on asks first and holds the slider, "Enable" turns Auto
    // Zoom off and the slider keeps its value. A right click on the switch that is off
    // already sends nothing.
    void autoZoomAgainstDigitalZoom() {
        QVERIFY(dragSlider(*page, ui().eptzSlider, 300) > 100);
        std::size_t start = engine().pendingJobCount();
        click(*page, ui().autoFrameSwitch);
        QCOMPARE(openDialogTitle(), QStringLiteral("Auto Zoom will be Activated"));
        answer("leftBtn");
        QVERIFY(!ui().autoFrameSwitch->isSwitchOn() && jobsSince(start).isEmpty());
        click(*page, ui().autoFrameSwitch);
        answer("rightBtn");
        QCOMPARE(jobsSince(start), QStringList{"2000 1"});
        QVERIFY(ui().eptzSlider->value() == 100 && !ui().ezptResetBtn->isEnabled() &&
                ui().zoomLevelWidget_2->isVisible());

        start = engine().pendingJobCount();
        pressHandle(*page, ui().eptzSlider);
        QCOMPARE(openDialogTitle(), QStringLiteral("Digital Zoom will be Activated"));
        QVERIFY(!ui().eptzSlider->isEnabled());
        answer("leftBtn");
        QVERIFY(ui().eptzSlider->isEnabled() && ui().autoFrameSwitch->isSwitchOn());
        pressHandle(*page, ui().eptzSlider);
        answer("rightBtn");
        QCOMPARE(jobsSince(start), QStringList{"2000 0"});
        QVERIFY(!ui().autoFrameSwitch->isSwitchOn() && ui().zoomLevelWidget_2->isHidden());
        QCOMPARE(ui().eptzSlider->value(), 100);

        start = engine().pendingJobCount();
        scrollTo(*page, ui().autoFrameSwitch);
        QTest::mouseClick(ui().autoFrameSwitch, Qt::RightButton);
        QVERIFY(jobsSince(start).isEmpty());
    }

    // The longest hint shows whole whatever the font's width; the column fits the rows that
    // show, whether the refresh came while the page was on screen or not.
    void hintAndColumnFitTheirContents() {
        QEnterEvent pointerIn(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
        QApplication::sendEvent(ui().TASHintBtn, &pointerIn);
        auto* hint = ui().TASHintBtn->shownPopup()->findChild<QLabel*>(QStringLiteral("content"));
        QVERIFY(hint->height() >= hint->heightForWidth(hint->width()));

        setRecord(
            {{&CurrentValues::expAuto, 2}, {&CurrentValues::wbAuto, 1}, {&CurrentValues::autoFrame, 1}});
        page->updateFromState();
        QApplication::processEvents();
        const int fit = ui().scrollAreaWidgetContents->height();
        QVERIFY(ui().TASTitle->parentWidget()->geometry().bottom() < fit);
        QVERIFY(fit < SettingTab::maxScrollAreaSize().height());
        auto* unseen = new SettingTab(holder.get());
        unseen->updateFromState();
        QCOMPARE(unseen->form().scrollAreaWidgetContents->height(), fit);
    }
};

QTEST_MAIN(SettingTabTest)
#include "tst_setting_tab.moc"
