// The settings page on its own: the digital zoom's signals, Backlight Compensation against
// gamma, and the fit of texts and of the column. (The refresh is tested in the window.)
#define QTEST_QPA_MOUSE_HANDLING
#include <QtTest>
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

    void digitalZoomRecentresAtNoZoom() {
        QStringList order;  // pan, tilt and zoom as they leave the page
        const auto note = [&order](const char* what) {
            return [&order, what](int v) { order << what + QString::number(v); };
        };
        connect(page, &SettingTab::panClicked, page, note("pan "));
        connect(page, &SettingTab::tiltClicked, page, note("tilt "));
        connect(page, &SettingTab::eptzSliderChange, page, note("zoom "));
        QVERIFY(dragSlider(*page, ui().eptzSlider, 200) > 100 && ui().ezptResetBtn->isEnabled());
        QVERIFY(!order.join(',').contains("pan"));
        QCOMPARE(dragSlider(*page, ui().eptzSlider, 100), 100);
        QVERIFY(!ui().ezptResetBtn->isEnabled());
        QCOMPARE(order.mid(order.size() - 3), (QStringList{"pan 0", "tilt 0", "zoom 100"}));

        dragSlider(*page, ui().eptzSlider, 300);
        order.clear();
        click(*page, ui().ezptResetBtn);
        QCOMPARE(order, (QStringList{"pan 0", "tilt 0", "zoom 100"}));
        QCOMPARE(ui().eptzSlider->value(), 100);
        QCOMPARE(SettingTaskEngine::instance().pendingJobCount(), size_t(0));
    }

    void backlightCompensationAgainstGamma() {
        QSignalSpy backlight(page, &SettingTab::BCModeChange);
        QSignalSpy gamma(page, &SettingTab::gammaSliderChange);
        click(*page, ui().BCSwitch);  // gamma at its default: no question
        QCOMPARE(backlight, (QList<QVariantList>{{true}}));
        ui().BCSwitch->setSwitchState(false);

        currentValues().gamma = 120;
        click(*page, ui().BCSwitch);
        QCOMPARE(openDialogTitle(), QStringLiteral("Backlight Compensation will be Activated"));
        answer("leftBtn");
        QVERIFY(!ui().BCSwitch->isSwitchOn() && backlight.count() == 1);
        click(*page, ui().BCSwitch);
        answer("rightBtn");
        QVERIFY(currentValues().gamma.load() == 100 && ui().gammaSlider->value() == 10);
        QCOMPARE(gamma, (QList<QVariantList>{{10}}));
        QCOMPARE(backlight.last(), QVariantList{true});

        // Compensation on: pressing the gamma handle asks first and holds the slider.
        currentValues().backlight = 1;
        pressHandle(*page, ui().gammaSlider);
        QCOMPARE(openDialogTitle(), QStringLiteral("Gamma will be Activated"));
        QVERIFY(!ui().gammaSlider->isEnabled());
        answer("rightBtn");
        QVERIFY(ui().gammaSlider->isEnabled() && !ui().BCSwitch->isSwitchOn());
        QCOMPARE(currentValues().backlight.load(), 0);
        QCOMPARE(backlight.last(), QVariantList{false});
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
