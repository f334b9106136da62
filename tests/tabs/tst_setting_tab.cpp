// The settings page on its own: the refresh from CurrentValues, the digital zoom's signals,
// the Backlight Compensation / gamma interlock and the fit of the scrolling column.
#define QTEST_QPA_MOUSE_HANDLING
#include <QtTest>
#include <memory>

#include "engine/current_values.h"
#include "engine/setting_task_engine.h"
#include "tabs/range_eptz_controller.h"
#include "tabs/setting_tab.h"
#include "tabs/tst_setting_tab_drive.h"
#include "widgets/custom_mode_switcher.h"
#include "widgets/hover_hint_btn.h"
#include "widgets/popup_window.h"
#include "widgets/switch_button.h"

using namespace setting_drive;

namespace {

// Every signal the page emits, as "name(args)" in emission order.
class SignalLog {
public:
    explicit SignalLog(SettingTab* page) {
        const QMetaObject& meta = SettingTab::staticMetaObject;
        for (int i = meta.methodOffset(); i < meta.methodCount(); ++i) {
            const QMetaMethod signal = meta.method(i);
            if (signal.methodType() != QMetaMethod::Signal)
                continue;
            auto spy = std::make_shared<QSignalSpy>(page, ("2" + signal.methodSignature()).constData());
            spies.push_back({signal.name(), spy});
        }
    }
    int total() const {
        int n = 0;
        for (const auto& entry : spies)
            n += entry.second->count();
        return n;
    }
    // The arguments of every emission of one signal, joined: "0", "0,0", "true".
    QStringList of(const QByteArray& name) const {
        QStringList out;
        for (const auto& entry : spies) {
            if (entry.first != name)
                continue;
            for (const QList<QVariant>& args : *entry.second) {
                QStringList parts;
                for (const QVariant& arg : args)
                    parts << arg.toString();
                out << parts.join(',');
            }
        }
        return out;
    }

private:
    std::vector<std::pair<QByteArray, std::shared_ptr<QSignalSpy>>> spies;
};

void setRecord(std::initializer_list<std::pair<std::atomic<int32_t> CurrentValues::*, int>> fields) {
    for (const auto& field : fields)
        (currentValues().*field.first).store(field.second);
}

}  // namespace

class SettingTabTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<SettingTab> page;
    const SettingTabForm& ui() const { return page->form(); }

private slots:
    void init() {
        SettingTaskEngine::instance().deleteCamera();  // no worker: queued jobs stay in the queue
        currentValues().autoFrame = 0;
        currentValues().backlight = 0;
        currentValues().gamma = 100;
        page = std::make_unique<SettingTab>();
        page->show();
        QVERIFY(QTest::qWaitForWindowExposed(page.get()));
    }
    void cleanup() {
        page.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        SettingTaskEngine::instance().deleteCamera();
    }

    void refreshCopiesTheRecordSilently() {
        SignalLog signals_(page.get());
        setRecord({{&CurrentValues::zoom, 250},
                   {&CurrentValues::pan, 10},
                   {&CurrentValues::tilt, -5},
                   {&CurrentValues::expAuto, 2},
                   {&CurrentValues::gain, 4},
                   {&CurrentValues::expTime, -3},
                   {&CurrentValues::wbAuto, 2},
                   {&CurrentValues::wbValue, 4650},
                   {&CurrentValues::autoFrame, 1},
                   {&CurrentValues::autoFrameSensitive, -1},
                   {&CurrentValues::autoFrameZoomLevel, 3},
                   {&CurrentValues::brightness, 150},
                   {&CurrentValues::contrast, 60},
                   {&CurrentValues::hue, 100},
                   {&CurrentValues::saturation, 120},
                   {&CurrentValues::sharpness, 30},
                   {&CurrentValues::gamma, 105},
                   {&CurrentValues::backlight, 1},
                   {&CurrentValues::hdr, 1},
                   {&CurrentValues::antiFlicker, 1},
                   {&CurrentValues::trackingActive, 1}});
        page->updateFromState();
        const std::vector<std::pair<CustomSlider*, int>> sliders = {
            {ui().eptzSlider, 250},       {ui().gainSlider, 4},         {ui().expSlider, -3},
            {ui().wbSlider, 46},          {ui().sensitivitySlider, -1}, {ui().zoomLevelSlider, 3},
            {ui().brightnessSlider, 150}, {ui().contrastSlider, 60},    {ui().hueSlider, 100},
            {ui().saturationSlider, 120}, {ui().sharpnessSlider, 30},   {ui().gammaSlider, 10}};
        for (const auto& [slider, value] : sliders)
            QCOMPARE(slider->value(), value);
        QVERIFY(ui().ezptResetBtn->isEnabled());
        QCOMPARE(ui().eptzController->getRect().width(), 265 / 2.5);
        for (SwitchButton* on : {ui().autoFrameSwitch, ui().BCSwitch, ui().HDRSwitch, ui().TASSwitch})
            QVERIFY(on->isSwitchOn());
        for (SwitchButton* off : {ui().exposureSwitch, ui().wbSwitch, ui().LCDSwitch})
            QVERIFY(!off->isSwitchOn());
        QCOMPARE(ui().antiFlickerSwitcher->checkedMode(), 1);
        for (QWidget* shown : {ui().gainWidget_2, ui().expWidget, ui().wbWidget_2, ui().sensitivityWidget,
                               ui().zoomLevelWidget_2, ui().HDRWidget})
            QVERIFY(shown->isVisible());
        for (QWidget* hidden :
             {ui().gammaWidget, ui().gammaWidget_2, ui().BCWidget, ui().LCDWidget, ui().HRWidget})
            QVERIFY(hidden->isHidden());

        // Every switch flips and the zoom goes back to 100; an anti-flicker value that no
        // button has leaves the choice.
        setRecord({{&CurrentValues::zoom, 100},
                   {&CurrentValues::expAuto, 1},
                   {&CurrentValues::wbAuto, 1},
                   {&CurrentValues::autoFrame, 0},
                   {&CurrentValues::backlight, 0},
                   {&CurrentValues::hdr, 0},
                   {&CurrentValues::antiFlicker, 0},
                   {&CurrentValues::trackingActive, 0}});
        page->updateFromState();
        QVERIFY(!ui().ezptResetBtn->isEnabled());
        for (SwitchButton* on : {ui().exposureSwitch, ui().wbSwitch})
            QVERIFY(on->isSwitchOn());
        for (SwitchButton* off : {ui().autoFrameSwitch, ui().BCSwitch, ui().HDRSwitch, ui().TASSwitch})
            QVERIFY(!off->isSwitchOn());
        QCOMPARE(ui().antiFlickerSwitcher->checkedMode(), 1);
        for (QWidget* hidden : {ui().gainWidget, ui().expWidget_2, ui().wbWidget, ui().sensitivityWidget_2,
                                ui().zoomLevelWidget})
            QVERIFY(hidden->isHidden());

        QCOMPARE(signals_.total(), 0);
        QCOMPARE(SettingTaskEngine::instance().pendingJobCount(), size_t(0));
    }

    void digitalZoomSendsPanAndTiltBackToTheCentre() {
        SignalLog out(page.get());
        const int zoomed = dragSlider(*page, ui().eptzSlider, 200);
        QVERIFY(zoomed > 100);
        QVERIFY(ui().ezptResetBtn->isEnabled());
        QVERIFY(out.of("panClicked").isEmpty());
        QCOMPARE(out.of("eptzSliderChange").last(), QString::number(zoomed));
        QCOMPARE(out.of("forceZoom"), QStringList{QString::number(zoomed)});

        QCOMPARE(dragSlider(*page, ui().eptzSlider, 100), 100);
        QVERIFY(!ui().ezptResetBtn->isEnabled());
        QCOMPARE(out.of("panClicked"), QStringList{"0"});
        QCOMPARE(out.of("tiltClicked"), QStringList{"0"});
        QCOMPARE(out.of("eptzSliderChange").last(), QStringLiteral("100"));

        dragSlider(*page, ui().eptzSlider, 300);
        QTest::mouseClick(ui().eptzController, Qt::LeftButton);
        QCOMPARE(out.of("forcePanTilt"), QStringList{"0,0"});
        const int before = out.total();
        click(*page, ui().ezptResetBtn);
        QCOMPARE(out.total() - before, 3);
        QCOMPARE(out.of("panClicked").last(), QStringLiteral("0"));
        QCOMPARE(out.of("eptzSliderChange").last(), QStringLiteral("100"));
        QCOMPARE(ui().eptzSlider->value(), 100);
        QVERIFY(!ui().ezptResetBtn->isEnabled());
        QCOMPARE(SettingTaskEngine::instance().pendingJobCount(), size_t(0));
    }

    void backlightCompensationAgainstGamma() {
        SignalLog out(page.get());
        // Gamma at its default: no question.
        click(*page, ui().BCSwitch);
        QCOMPARE(out.of("BCModeChange"), QStringList{"true"});
        QVERIFY(openDialog() == nullptr);
        ui().BCSwitch->setSwitchState(false);

        currentValues().gamma = 120;
        click(*page, ui().BCSwitch);
        QCOMPARE(dialogTitle(openDialog()), QStringLiteral("Backlight Compensation will be Activated"));
        answer("leftBtn");
        QVERIFY(!ui().BCSwitch->isSwitchOn());
        QCOMPARE(out.total(), 1);
        click(*page, ui().BCSwitch);
        answer("rightBtn");
        QCOMPARE(currentValues().gamma.load(), 100);
        QCOMPARE(ui().gammaSlider->value(), 10);
        QCOMPARE(out.of("gammaSliderChange"), QStringList{"10"});
        QCOMPARE(out.of("BCModeChange"), (QStringList{"true", "true"}));

        // With compensation on, pressing the gamma handle asks first and holds the slider.
        currentValues().backlight = 1;
        scrollTo(*page, ui().gammaSlider);
        QTest::mousePress(ui().gammaSlider, Qt::LeftButton, {}, handleCentre(ui().gammaSlider));
        QTest::mouseRelease(ui().gammaSlider, Qt::LeftButton, {}, handleCentre(ui().gammaSlider));
        QCOMPARE(dialogTitle(openDialog()), QStringLiteral("Gamma will be Activated"));
        QVERIFY(!ui().gammaSlider->isEnabled());
        answer("rightBtn");
        QVERIFY(ui().gammaSlider->isEnabled());
        QVERIFY(!ui().BCSwitch->isSwitchOn());
        QCOMPARE(currentValues().backlight.load(), 0);
        QCOMPARE(out.of("BCModeChange").last(), QStringLiteral("false"));
    }

    // The longest hint and the longest question show whole, whatever the font's width.
    void hintAndQuestionShowWhole() {
        scrollTo(*page, ui().TASHintBtn);
        QEnterEvent pointerIn(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
        QApplication::sendEvent(ui().TASHintBtn, &pointerIn);
        PopupWindow* hint = ui().TASHintBtn->shownPopup();
        QVERIFY(hint != nullptr);
        auto* text = hint->findChild<QLabel*>(QStringLiteral("content"));
        QVERIFY(text->height() >= text->heightForWidth(text->width()));

        currentValues().gamma = 120;
        click(*page, ui().BCSwitch);
        auto* title = openDialog()->findChild<QLabel*>(QStringLiteral("headerLabel"));
        QVERIFY(title->fontMetrics().horizontalAdvance(title->text()) <= title->width());
        answer("leftBtn");
    }

    // The column fits the rows that show, whether the refresh came while the page was on
    // screen or not.
    void columnFitsItsRowsWhetherShownOrNot() {
        setRecord(
            {{&CurrentValues::expAuto, 2}, {&CurrentValues::wbAuto, 1}, {&CurrentValues::autoFrame, 1}});
        page->updateFromState();
        QApplication::processEvents();
        const int shownFit = ui().scrollAreaWidgetContents->height();
        QWidget* lastRow = ui().TASTitle->parentWidget();
        QVERIFY(lastRow->geometry().bottom() < shownFit);
        QVERIFY(shownFit < SettingTab::maxScrollAreaSize().height());

        SettingTab unseen;
        unseen.updateFromState();
        QCOMPARE(unseen.form().scrollAreaWidgetContents->height(), shownFit);
    }
};

QTEST_MAIN(SettingTabTest)
#include "tst_setting_tab.moc"
