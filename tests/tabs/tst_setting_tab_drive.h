#pragma once
// Drives the settings page the way a user does: mouse events through the window system
// (QTEST_QPA_MOUSE_HANDLING must be defined before QtTest is included), on widgets first
// scrolled into view. Also finds the confirmation dialog the page opened.
#ifndef QTEST_QPA_MOUSE_HANDLING
#error "define QTEST_QPA_MOUSE_HANDLING before including QtTest"
#endif
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QtTest>

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
    option.subControls = QStyle::SC_None;
    option.activeSubControls = QStyle::SC_None;
    option.orientation = slider->orientation();
    option.maximum = slider->maximum();
    option.minimum = slider->minimum();
    option.tickPosition = slider->tickPosition();
    option.tickInterval = slider->tickInterval();
    option.upsideDown = false;
    option.direction = slider->layoutDirection();
    option.sliderPosition = slider->sliderPosition();
    option.sliderValue = slider->value();
    option.singleStep = slider->singleStep();
    option.pageStep = slider->pageStep();
    option.state |= QStyle::State_Horizontal;
    return slider->style()
        ->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, slider)
        .center();
}

// Presses the handle and moves it pixel by pixel towards `target` (a value) until the
// slider reaches or passes it, or the slider's end; then releases. Answers the value.
inline int dragSlider(const SettingTab& page, CustomSlider* slider, int target) {
    scrollTo(page, slider);
    QPoint pos = handleCentre(slider);
    QTest::mousePress(slider, Qt::LeftButton, {}, pos);
    const int step = target > slider->value() ? 1 : -1;
    while ((step > 0 ? slider->value() < target : slider->value() > target) && pos.x() > 0 &&
           pos.x() < slider->width() - 1) {
        pos.rx() += step;
        QTest::mouseMove(slider, pos);
    }
    QTest::mouseRelease(slider, Qt::LeftButton, {}, pos);
    return slider->value();
}

inline void click(const SettingTab& page, QWidget* widget) {
    scrollTo(page, widget);
    QTest::mouseClick(widget, Qt::LeftButton);
}

// The confirmation dialog that is open, or null.
inline GeneralDialog* openDialog() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* dialog = qobject_cast<GeneralDialog*>(widget);
        if (dialog != nullptr && dialog->isVisible())
            return dialog;
    }
    return nullptr;
}

inline QString dialogTitle(GeneralDialog* dialog) {
    return dialog->findChild<QLabel*>(QStringLiteral("headerLabel"))->text();
}

// Answers the open dialog with "Cancel" (leftBtn) or "Enable" (rightBtn).
inline void answer(const char* buttonName) {
    GeneralDialog* dialog = openDialog();
    QVERIFY(dialog != nullptr);
    QTest::mouseClick(dialog->findChild<QPushButton*>(QString::fromLatin1(buttonName)), Qt::LeftButton);
    QApplication::processEvents();
}

}  // namespace setting_drive
