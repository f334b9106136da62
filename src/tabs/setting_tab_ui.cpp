#include "tabs/setting_tab_ui.h"

#include <QCoreApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QWidget>
#include <utility>

#include "tabs/framing_row.h"
#include "tabs/range_eptz_controller.h"
#include "widgets/custom_mode_switcher.h"
#include "widgets/custom_slider.h"
#include "widgets/dialog_style.h"
#include "widgets/drawn_icon.h"
#include "widgets/hover_hint_btn.h"
#include "widgets/popup_window.h"
#include "widgets/switch_button.h"

namespace {

// Every row has a fixed height and the column has no spacing, so the column's height is
// the sum of the rows that show; the contents widget is fitted to that sum.
constexpr int kTitleRowHeight = 60;
constexpr int kLabelRowHeight = 40;
constexpr int kSliderRowHeight = 48;
constexpr int kSwitchRowHeight = 44;
constexpr int kSeparatorHeight = 21;
constexpr int kControllerRowHeight = 161;
constexpr int kResetRowHeight = 50;
constexpr int kModeRowHeight = 55;
constexpr int kFramingRowHeight = 60;
constexpr int kContentsWidth = 311;
constexpr int kContentsHeight = 2104 + kFramingRowHeight;
// The scroll area's contents are one pixel wider than the page and the scroll bar lies
// over them: rows keep clear of the right edge.
constexpr int kRowRightMargin = 20;

const char* const kPageStyle = "background-color: rgb(50, 57, 67);";
const char* const kScrollBarStyle =
    "QScrollBar:vertical { width: 5px; background: rgb(70, 76, 85); margin: 0px; border: none; }"
    "QScrollBar::handle:vertical { background: rgba(255, 255, 255, 0.85); min-height: 5px;"
    " border-radius: 2px; }"
    "QScrollBar::handle:vertical:hover { background: rgba(255, 255, 255, 1); }"
    "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0px; }"
    "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: none; }";
const char* const kResetButtonStyle =
    "QPushButton { background-color: rgba(255, 255, 255, 0.15); color: rgb(255, 255, 255);"
    " border: 1px solid rgba(255, 255, 255, 0.85); border-radius: 5px; }"
    "QPushButton:hover { border: 1px solid rgb(255, 255, 255); }"
    "QPushButton:pressed { background-color: rgba(255, 255, 255, 0.25); }"
    "QPushButton:disabled { color: rgba(255, 255, 255, 0.35); border: 1px solid rgba(255, 255, 255, 0.25);"
    " background-color: rgba(255, 255, 255, 0.05); }";

QString name(const char* objectName) {
    return QString::fromLatin1(objectName);
}

// Builds the rows of the column in layout order.
class ColumnBuilder {
public:
    ColumnBuilder(QWidget* contents, QVBoxLayout* column) : contents_(contents), column_(column) {}

    QWidget* row(const char* objectName, int height, QBoxLayout** layoutOut, int leftMargin = 0) {
        auto* widget = new QWidget(contents_);
        widget->setObjectName(name(objectName));
        widget->setFixedHeight(height);
        auto* layout = new QHBoxLayout(widget);
        layout->setSpacing(8);
        layout->setContentsMargins(leftMargin, 0, kRowRightMargin, 0);
        column_->addWidget(widget);
        *layoutOut = layout;
        return widget;
    }

    // The title row: a blue marker, the title, then the optional hint button and switch.
    QLabel* title(const char* rowName, const char* labelName, HoverHintBtn** hint = nullptr,
                  SwitchButton** toggle = nullptr, const char* hintName = nullptr,
                  const char* switchName = nullptr) {
        QBoxLayout* layout = nullptr;
        QWidget* widget = row(rowName, kTitleRowHeight, &layout, 10);
        auto* marker = new QFrame(widget);
        marker->setObjectName(name(rowName) + QStringLiteral("_line"));
        marker->setFrameShape(QFrame::VLine);
        marker->setFrameShadow(QFrame::Plain);
        marker->setFixedSize(3, 20);
        marker->setStyleSheet(QStringLiteral("background-color: rgb(62, 145, 255); border: none;"));
        layout->addWidget(marker);
        auto* label = new QLabel(widget);
        label->setObjectName(name(labelName));
        label->setFont(calibriFont(13, QFont::Bold));
        label->setStyleSheet(QLatin1String(kWhiteTextStyle));
        // A title wider than its room (a long translation, a wider substitute font) takes
        // a second line instead of being cut.
        label->setWordWrap(true);
        layout->addWidget(label, 1);
        if (hint != nullptr) {
            *hint = new HoverHintBtn(widget);
            (*hint)->setObjectName(name(hintName));
            (*hint)->setFixedSize(20, 20);
            (*hint)->setIcon(drawnIcon("appicon", "icon_hint"));
            (*hint)->setIconSize(QSize(20, 20));
            (*hint)->setFlat(true);
            (*hint)->setStyleSheet(QStringLiteral("border: none; background: transparent;"));
            layout->addWidget(*hint);
        }
        if (toggle != nullptr)
            *toggle = addSwitch(widget, layout, switchName);
        return label;
    }

    SwitchButton* addSwitch(QWidget* parent, QBoxLayout* layout, const char* switchName) {
        auto* toggle = new SwitchButton(parent);
        toggle->setObjectName(name(switchName));
        toggle->setFixedSize(40, 20);
        layout->addWidget(toggle);
        return toggle;
    }

    QLabel* label(QWidget* parent, QBoxLayout* layout, const char* labelName) {
        auto* text = new QLabel(parent);
        text->setObjectName(name(labelName));
        text->setFont(calibriFont(12));
        text->setStyleSheet(QLatin1String(kWhiteTextStyle));
        layout->addWidget(text, 1);
        return text;
    }

    // The two widgets of a slider row: the label's and the slider's.
    CustomSlider* sliderRows(const char* labelRowName, const char* sliderRowName, const char* labelName,
                             const char* sliderName, int minimum, int maximum, int initial,
                             QWidget** labelRow, QWidget** sliderRow, QLabel** labelOut) {
        QBoxLayout* layout = nullptr;
        QWidget* top = row(labelRowName, kLabelRowHeight, &layout, 10);
        layout->setAlignment(Qt::AlignBottom);
        *labelOut = label(top, layout, labelName);
        QWidget* bottom = row(sliderRowName, kSliderRowHeight, &layout, 6);
        auto* slider = new CustomSlider(Qt::Horizontal, bottom);
        slider->setObjectName(name(sliderName));
        slider->setStyleSheet(QLatin1String(CustomSlider::pageStyleSheet()));
        slider->setRange(minimum, maximum);
        slider->setSingleStep(1);
        slider->setPageStep(1);
        slider->setCurrentValue(initial);
        layout->addWidget(slider);
        if (labelRow != nullptr)
            *labelRow = top;
        if (sliderRow != nullptr)
            *sliderRow = bottom;
        return slider;
    }

    // A row with a label and a switch at its right end.
    QWidget* switchRow(const char* rowName, const char* labelName, const char* switchName, QLabel** labelOut,
                       SwitchButton** toggle) {
        QBoxLayout* layout = nullptr;
        QWidget* widget = row(rowName, kSwitchRowHeight, &layout, 10);
        *labelOut = label(widget, layout, labelName);
        *toggle = addSwitch(widget, layout, switchName);
        return widget;
    }

    void separator(const char* lineName) {
        QBoxLayout* layout = nullptr;
        QWidget* widget = row(lineName, kSeparatorHeight, &layout, 5);
        auto* line = new QFrame(widget);
        line->setObjectName(name(lineName) + QStringLiteral("_line"));
        line->setFrameShape(QFrame::HLine);
        line->setFrameShadow(QFrame::Plain);
        line->setFixedHeight(1);
        line->setStyleSheet(QStringLiteral("background-color: rgb(43, 43, 43); border: none;"));
        layout->addWidget(line);
    }

private:
    QWidget* contents_;
    QVBoxLayout* column_;
};

}  // namespace

void SettingTabForm::setupUi(QWidget* page) {
    page->setObjectName(QStringLiteral("SettingTab"));
    page->resize(310, 650);
    page->setMinimumSize(QSize(310, 650));
    page->setStyleSheet(QLatin1String(kPageStyle));
    auto* pageLayout = new QVBoxLayout(page);
    pageLayout->setObjectName(QStringLiteral("verticalLayout"));
    pageLayout->setSpacing(0);
    pageLayout->setContentsMargins(0, 0, 0, 0);

    scrollArea = new QScrollArea(page);
    scrollArea->setObjectName(QStringLiteral("scrollArea"));
    scrollArea->setFrameShape(QFrame::NoFrame);
    scrollArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scrollArea->setWidgetResizable(false);
    // The keyboard goes through the controls; the area scrolls to the focused one.
    scrollArea->setFocusPolicy(Qt::NoFocus);
    scrollArea->verticalScrollBar()->setStyleSheet(QLatin1String(kScrollBarStyle));
    pageLayout->addWidget(scrollArea);

    scrollAreaWidgetContents = new QWidget();
    scrollAreaWidgetContents->setObjectName(QStringLiteral("scrollAreaWidgetContents"));
    scrollAreaWidgetContents->resize(kContentsWidth, kContentsHeight);
    scrollAreaWidgetContents->setStyleSheet(QLatin1String(kPageStyle));
    sectionsLayout = new QVBoxLayout(scrollAreaWidgetContents);
    sectionsLayout->setObjectName(QStringLiteral("verticalLayout_2"));
    sectionsLayout->setSpacing(0);
    sectionsLayout->setContentsMargins(0, 0, 0, 0);
    ColumnBuilder build(scrollAreaWidgetContents, sectionsLayout);
    QBoxLayout* layout = nullptr;

    ePTZTitle = build.title("ePTZTitleWidget", "ePTZTitle");
    eptzSlider = build.sliderRows("eptzWidget", "eptzWidget_2", "eptzLabel", "eptzSlider", 100, 500, 100,
                                  &eptzWidget, &eptzWidget_2, &eptzLabel);
    QWidget* controllerRow = build.row("eptzControllerWidget", kControllerRowHeight, &layout, 10);
    eptzController = new RangeEptzController(controllerRow);
    eptzController->setObjectName(QStringLiteral("eptzController"));
    eptzController->setFixedSize(265, 151);
    layout->addWidget(eptzController, 0, Qt::AlignHCenter | Qt::AlignVCenter);
    QWidget* resetRow = build.row("ezptResetWidget", kResetRowHeight, &layout, 10);
    ezptResetBtn = new QPushButton(resetRow);
    ezptResetBtn->setObjectName(QStringLiteral("ezptResetBtn"));
    ezptResetBtn->setFixedSize(125, 30);
    ezptResetBtn->setFont(calibriFont(12));
    ezptResetBtn->setStyleSheet(QLatin1String(kResetButtonStyle));
    ezptResetBtn->setEnabled(false);
    layout->addWidget(ezptResetBtn, 0, Qt::AlignHCenter | Qt::AlignVCenter);
    QWidget* framingRowWidget = build.row("framingWidget", kFramingRowHeight, &layout, 10);
    framingRow = new FramingRow(framingRowWidget);
    layout->addWidget(framingRow);
    build.separator("line_1");

    ExposureTitle = build.title("ExposureTitleWidget", "ExposureTitle", nullptr, &exposureSwitch, nullptr,
                                "exposureSwitch");
    gainSlider = build.sliderRows("gainWidget", "gainWidget_2", "gainLabel", "gainSlider", 0, 6, 0,
                                  &gainWidget, &gainWidget_2, &gainLabel);
    expSlider = build.sliderRows("expWidget", "expWidget_2", "expLabel", "expSlider", -8, -1, -5, &expWidget,
                                 &expWidget_2, &expLabel);
    build.separator("line_2");

    WhiteBalanceTitle =
        build.title("WhiteBalanceTitleWidget", "WhiteBalanceTitle", nullptr, &wbSwitch, nullptr, "wbSwitch");
    wbSlider = build.sliderRows("wbWidget", "wbWidget_2", "wbLabel", "wbSlider", 20, 75, 46, &wbWidget,
                                &wbWidget_2, &wbLabel);
    build.separator("line_3");

    ImageAdjTitle = build.title("ImageAdjTitleWidget", "ImageAdjTitle");
    brightnessSlider = build.sliderRows("brightnessWidget", "brightnessWidget_2", "brightnessLabel",
                                        "brightnessSlider", 0, 200, 100, nullptr, nullptr, &brightnessLabel);
    contrastSlider = build.sliderRows("contrastWidget", "contrastWidget_2", "contrastLabel", "contrastSlider",
                                      0, 200, 100, nullptr, nullptr, &contrastLabel);
    hueSlider = build.sliderRows("hueWidget", "hueWidget_2", "hueLabel", "hueSlider", 0, 180, 90, nullptr,
                                 nullptr, &hueLabel);
    saturationSlider = build.sliderRows("saturationWidget", "saturationWidget_2", "saturationLabel",
                                        "saturationSlider", 0, 200, 100, nullptr, nullptr, &saturationLabel);
    sharpnessSlider = build.sliderRows("sharpnessWidget", "sharpnessWidget_2", "sharpnessLabel",
                                       "sharpnessSlider", 0, 200, 100, nullptr, nullptr, &sharpnessLabel);
    gammaSlider = build.sliderRows("gammaWidget", "gammaWidget_2", "gammaLabel", "gammaSlider", 10, 22, 10,
                                   &gammaWidget, &gammaWidget_2, &gammaLabel);
    BCWidget = build.switchRow("BCWidget", "BCLabel", "BCSwitch", &BCLabel, &BCSwitch);
    HDRWidget = build.switchRow("HDRWidget", "HDRLabel", "HDRSwitch", &HDRLabel, &HDRSwitch);
    LCDWidget = build.switchRow("LCDWidget", "LCDLabel", "LCDSwitch", &LCDLabel, &LCDSwitch);
    HRWidget = build.switchRow("HRWidget", "HRLabel", "HRSwitch", &HRLabel, &HRSwitch);
    build.separator("line_4");

    antiFlickerTitle = build.title("antiFlickerTitleWidget", "antiFlickerTitle");
    QWidget* modeRow = build.row("antiFlickerWidget", kModeRowHeight, &layout, 10);
    antiFlickerSwitcher = new CustomModeSwitcher(modeRow);
    antiFlickerSwitcher->setObjectName(QStringLiteral("antiFlickerSwitcher"));
    layout->addWidget(antiFlickerSwitcher);
    build.separator("line_5");

    AutoFrameTitle = build.title("AutoFrameTitleWidget", "AutoFrameTitle", &autoFrameHintBtn,
                                 &autoFrameSwitch, "autoFrameHintBtn", "autoFrameSwitch");
    sensitivitySlider =
        build.sliderRows("sensitivityWidget", "sensitivityWidget_2", "sensitivityLabel", "sensitivitySlider",
                         -2, 2, 0, &sensitivityWidget, &sensitivityWidget_2, &sensitivityLabel);
    zoomLevelSlider =
        build.sliderRows("zoomLevelWidget", "zoomLevelWidget_2", "zoomLevelLabel", "zoomLevelSlider", 0, 4, 0,
                         &zoomLevelWidget, &zoomLevelWidget_2, &zoomLevelLabel);
    build.separator("line_6");

    TASTitle = build.title("TASTitleWidget", "TASTitle", &TASHintBtn, &TASSwitch, "TASHintBtn", "TASSwitch");
    sectionsLayout->addStretch(1);

    scrollArea->setWidget(scrollAreaWidgetContents);
    retranslateUi(page);
}

void SettingTabForm::retranslateUi(QWidget* page) {
    page->setWindowTitle(tr("SettingTab"));
    ePTZTitle->setText(tr("ePTZ"));
    eptzLabel->setText(tr("Digital Zoom"));
    ezptResetBtn->setText(tr("Reset"));
    ExposureTitle->setText(tr("Exposure"));
    gainLabel->setText(tr("Gain"));
    expLabel->setText(tr("Exposure time"));
    WhiteBalanceTitle->setText(tr("White Balance"));
    wbLabel->setText(tr("Custom"));
    ImageAdjTitle->setText(tr("Image Adjustment"));
    brightnessLabel->setText(tr("Brightness"));
    contrastLabel->setText(tr("Contrast"));
    hueLabel->setText(tr("Hue"));
    saturationLabel->setText(tr("Saturation"));
    sharpnessLabel->setText(tr("Sharpness"));
    gammaLabel->setText(tr("Gamma"));
    BCLabel->setText(tr("Backlight Compensation"));
    HDRLabel->setText(tr("HDR"));
    LCDLabel->setText(tr("Distortion Correction"));
    HRLabel->setText(tr("Horizontal Reversal"));
    antiFlickerTitle->setText(tr("Anti-flicker"));
    AutoFrameTitle->setText(tr("Auto Zoom"));
    sensitivityLabel->setText(tr("Sensitivity"));
    zoomLevelLabel->setText(tr("Zoom Level"));
    TASTitle->setText(tr("Tracking Active Speakers"));
    framingRow->retranslateUi();
    nameControls();
}

void SettingTabForm::nameControls() {
    const std::pair<CustomSlider*, QLabel*> sliders[] = {
        {eptzSlider, eptzLabel},
        {gainSlider, gainLabel},
        {expSlider, expLabel},
        {brightnessSlider, brightnessLabel},
        {contrastSlider, contrastLabel},
        {hueSlider, hueLabel},
        {saturationSlider, saturationLabel},
        {sharpnessSlider, sharpnessLabel},
        {gammaSlider, gammaLabel},
        {sensitivitySlider, sensitivityLabel},
        {zoomLevelSlider, zoomLevelLabel},
    };
    for (const auto& [slider, label] : sliders)
        slider->setAccessibleName(label->text());
    wbSlider->setAccessibleName(tr("White balance temperature"));
    eptzSlider->setAccessibleDescription(tr("Zoom in percent"));
    wbSlider->setAccessibleDescription(tr("Colour temperature in kelvin"));
    gammaSlider->setAccessibleDescription(tr("Gamma times 100"));
    expSlider->setAccessibleDescription(tr("Exposure time as a power of two of a second"));

    const std::pair<SwitchButton*, QLabel*> rowSwitches[] = {
        {BCSwitch, BCLabel},
        {HDRSwitch, HDRLabel},
        {LCDSwitch, LCDLabel},
        {HRSwitch, HRLabel},
        {autoFrameSwitch, AutoFrameTitle},
        {TASSwitch, TASTitle},
    };
    for (const auto& [toggle, label] : rowSwitches)
        toggle->setAccessibleName(label->text());
    exposureSwitch->setAccessibleName(tr("Automatic exposure"));
    exposureSwitch->setAccessibleDescription(tr("Off shows the gain and exposure time sliders"));
    wbSwitch->setAccessibleName(tr("Automatic white balance"));
    wbSwitch->setAccessibleDescription(tr("Off shows the colour temperature slider"));

    eptzController->setAccessibleName(tr("Pan and tilt"));
    eptzController->setAccessibleDescription(tr("While zoomed in, the arrow keys move the view"));
    ezptResetBtn->setAccessibleDescription(tr("Back to the whole view"));
    autoFrameHintBtn->setAccessibleName(tr("About Auto Zoom"));
    TASHintBtn->setAccessibleName(tr("About Tracking Active Speakers"));
    antiFlickerSwitcher->setAccessibleName(antiFlickerTitle->text());
}
