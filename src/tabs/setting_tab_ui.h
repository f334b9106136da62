#pragma once
// The settings page's widget tree, built in the form designer's way: setupUi creates the
// widgets with their object names, sizes and styles; retranslateUi sets the texts
// (translation context "SettingTab").
//
//   SettingTab
//   └ scrollArea
//     └ scrollAreaWidgetContents (311 x 2164 as built)   one column of sections:
//       ePTZ             eptzWidget / eptzWidget_2 (Digital Zoom), eptzController, ezptResetBtn,
//                        framingRow (named framings)
//       Exposure         exposureSwitch; gainWidget / _2, expWidget / _2
//       White Balance    wbSwitch; wbWidget / _2
//       Image Adjustment brightness, contrast, hue, saturation, sharpness, gammaWidget / _2;
//                        BCWidget, HDRWidget, LCDWidget, HRWidget (switch rows)
//       Anti-flicker     antiFlickerSwitcher (50Hz, 60Hz)
//       Auto Zoom        autoFrameHintBtn, autoFrameSwitch; sensitivityWidget / _2, zoomLevelWidget / _2
//       Tracking Active Speakers  TASHintBtn, TASSwitch
//
// A slider row is two widgets, "<stem>Widget" with the label and "<stem>Widget_2" with the
// slider; the page shows and hides both together.
#include <QCoreApplication>

class CustomModeSwitcher;
class CustomSlider;
class FramingRow;
class HoverHintBtn;
class QLabel;
class QPushButton;
class QScrollArea;
class QVBoxLayout;
class QWidget;
class RangeEptzController;
class SwitchButton;

class SettingTabForm {
    // tr() in the page's context, where lupdate finds it too.
    Q_DECLARE_TR_FUNCTIONS(SettingTab)

public:
    QScrollArea* scrollArea = nullptr;
    QWidget* scrollAreaWidgetContents = nullptr;
    QVBoxLayout* sectionsLayout = nullptr;

    QLabel* ePTZTitle = nullptr;
    QWidget* eptzWidget = nullptr;
    QWidget* eptzWidget_2 = nullptr;
    QLabel* eptzLabel = nullptr;
    CustomSlider* eptzSlider = nullptr;
    RangeEptzController* eptzController = nullptr;
    QPushButton* ezptResetBtn = nullptr;
    FramingRow* framingRow = nullptr;

    QLabel* ExposureTitle = nullptr;
    SwitchButton* exposureSwitch = nullptr;
    QWidget* gainWidget = nullptr;
    QWidget* gainWidget_2 = nullptr;
    QLabel* gainLabel = nullptr;
    CustomSlider* gainSlider = nullptr;
    QWidget* expWidget = nullptr;
    QWidget* expWidget_2 = nullptr;
    QLabel* expLabel = nullptr;
    CustomSlider* expSlider = nullptr;

    QLabel* WhiteBalanceTitle = nullptr;
    SwitchButton* wbSwitch = nullptr;
    QWidget* wbWidget = nullptr;
    QWidget* wbWidget_2 = nullptr;
    QLabel* wbLabel = nullptr;
    CustomSlider* wbSlider = nullptr;

    QLabel* ImageAdjTitle = nullptr;
    QLabel* brightnessLabel = nullptr;
    CustomSlider* brightnessSlider = nullptr;
    QLabel* contrastLabel = nullptr;
    CustomSlider* contrastSlider = nullptr;
    QLabel* hueLabel = nullptr;
    CustomSlider* hueSlider = nullptr;
    QLabel* saturationLabel = nullptr;
    CustomSlider* saturationSlider = nullptr;
    QLabel* sharpnessLabel = nullptr;
    CustomSlider* sharpnessSlider = nullptr;
    QWidget* gammaWidget = nullptr;
    QWidget* gammaWidget_2 = nullptr;
    QLabel* gammaLabel = nullptr;
    CustomSlider* gammaSlider = nullptr;
    QWidget* BCWidget = nullptr;
    QLabel* BCLabel = nullptr;
    SwitchButton* BCSwitch = nullptr;
    QWidget* HDRWidget = nullptr;
    QLabel* HDRLabel = nullptr;
    SwitchButton* HDRSwitch = nullptr;
    QWidget* LCDWidget = nullptr;
    QLabel* LCDLabel = nullptr;
    SwitchButton* LCDSwitch = nullptr;
    QWidget* HRWidget = nullptr;
    QLabel* HRLabel = nullptr;
    SwitchButton* HRSwitch = nullptr;

    QLabel* antiFlickerTitle = nullptr;
    CustomModeSwitcher* antiFlickerSwitcher = nullptr;

    QLabel* AutoFrameTitle = nullptr;
    HoverHintBtn* autoFrameHintBtn = nullptr;
    SwitchButton* autoFrameSwitch = nullptr;
    QWidget* sensitivityWidget = nullptr;
    QWidget* sensitivityWidget_2 = nullptr;
    QLabel* sensitivityLabel = nullptr;
    CustomSlider* sensitivitySlider = nullptr;
    QWidget* zoomLevelWidget = nullptr;
    QWidget* zoomLevelWidget_2 = nullptr;
    QLabel* zoomLevelLabel = nullptr;
    CustomSlider* zoomLevelSlider = nullptr;

    QLabel* TASTitle = nullptr;
    HoverHintBtn* TASHintBtn = nullptr;
    SwitchButton* TASSwitch = nullptr;

    void setupUi(QWidget* page);
    void retranslateUi(QWidget* page);

private:
    // Names for assistive tools: sliders and row switches by the label of their row,
    // title switches and buttons by what they do; descriptions give the unit shown.
    void nameControls();
};
