#pragma once
// Drives the settings page as a user does: mouse events through the window system
// (define QTEST_QPA_MOUSE_HANDLING before QtTest) on widgets scrolled into view.
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QtTest>

#include "engine/setting_task_engine.h"
#include "tabs/setting_tab.h"
#include "widgets/custom_slider.h"
#include "widgets/general_dialog.h"

namespace setting_drive {

inline void scrollTo(const SettingTab& page, QWidget* widget) {
    page.form().scrollArea->ensureWidgetVisible(widget, 0, 0);
    QApplication::processEvents();
}

inline QPoint handleCentre(CustomSlider* slider) {
    QStyleOptionSlider option;
    option.initFrom(slider);
    option.orientation = Qt::Horizontal;
    option.state |= QStyle::State_Horizontal;
    option.minimum = slider->minimum();
    option.maximum = slider->maximum();
    option.sliderPosition = slider->sliderPosition();
    return slider->style()
        ->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, slider)
        .center();
}

// Drags the handle pixel by pixel towards the value `target` until the slider reaches or
// passes it or the drag reaches the slider's end. Answers the value let go.
inline int dragSlider(const SettingTab& page, CustomSlider* slider, int target) {
    scrollTo(page, slider);
    QPoint pos = handleCentre(slider);
    QTest::mousePress(slider, Qt::LeftButton, {}, pos);
    const int step = target > slider->value() ? 1 : -1;
    while ((slider->value() - target) * step < 0 && pos.x() > 0 && pos.x() < slider->width() - 1) {
        pos.rx() += step;
        QTest::mouseMove(slider, pos);
    }
    QTest::mouseRelease(slider, Qt::LeftButton, {}, pos);
    return slider->value();
}

// Presses and releases the handle where it is.
inline void pressHandle(const SettingTab& page, CustomSlider* slider) {
    scrollTo(page, slider);
    QTest::mouseClick(slider, Qt::LeftButton, {}, handleCentre(slider));
}

inline void click(const SettingTab& page, QWidget* widget) {
    scrollTo(page, widget);
    QTest::mouseClick(widget, Qt::LeftButton);
}

// The confirmation dialog that is open, or null.
inline QWidget* openDialog() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (qobject_cast<GeneralDialog*>(widget) != nullptr && widget->isVisible())
            return widget;
    }
    return nullptr;
}

inline QString openDialogTitle() {
    QWidget* dialog = openDialog();
    return dialog ? dialog->findChild<QLabel*>(QStringLiteral("headerLabel"))->text() : QString();
}

// The settings jobs queued since the queue held `from`, as "<id in hex> <value>[ forced]".
inline QStringList jobsSince(std::size_t from) {
    QStringList jobs;
    const std::deque<SettingJob> pending = SettingTaskEngine::instance().pendingJobs();
    for (std::size_t i = from; i < pending.size(); ++i)
        jobs << QStringLiteral("%1 %2%3")
                    .arg(pending[i].controlId, 0, 16)
                    .arg(pending[i].value)
                    .arg(pending[i].force ? " forced" : "");
    return jobs;
}

// Answers the open dialog with "Cancel" ("leftBtn") or "Enable" ("rightBtn").
inline void answer(const char* button) {
    QTest::mouseClick(openDialog()->findChild<QPushButton*>(QString::fromLatin1(button)), Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace setting_drive
