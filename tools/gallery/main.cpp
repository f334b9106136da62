// Gallery: renders each custom control and dialog in its typical states to PNG files in
// the folder given on the command line.
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QPropertyAnimation>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <cstdio>
#include <functional>

#include "base/debug_log.h"
#include "tabs/range_eptz_controller.h"
#include "widgets/busy_progress.h"
#include "widgets/center_combo_box.h"
#include "widgets/custom_mode_switcher.h"
#include "widgets/custom_progress_dialog.h"
#include "widgets/custom_slider.h"
#include "widgets/dialog_scale.h"
#include "widgets/general_dialog.h"
#include "widgets/hover_hint_btn.h"
#include "widgets/popup_license_layout.h"
#include "widgets/popup_window.h"
#include "widgets/q_progress_indicator.h"
#include "widgets/switch_button.h"
#include "widgets/tab_button.h"

namespace {

QDir outputDir;
int written = 0;
int failed = 0;

const char* const kComboStyle =
    "QComboBox { color: rgb(255, 255, 255); background-color: rgba(255, 255, 255, 0.15);"
    " border: 1px solid rgba(255, 255, 255, 0.85); border-radius: 5px; }"
    "QComboBox::drop-down { border: none; width: 30px; }"
    "QComboBox::down-arrow { image: url(:/icons/arrow.png); }";

void settle() {
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
}

// Saves the widget drawn over a plain background of the page colour.
void save(QWidget* widget, const QString& name, const QColor& backdrop = QColor(50, 57, 67)) {
    settle();
    QImage image(widget->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(backdrop);
    widget->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    const QString path = outputDir.filePath(name + QStringLiteral(".png"));
    if (image.save(path)) {
        ++written;
        std::printf("%s\n", qPrintable(path));
    } else {
        ++failed;
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    }
}

// A dark page holding the given widgets in a column.
QWidget* page(const QSize& size) {
    auto* host = new QWidget();
    host->setAttribute(Qt::WA_StyledBackground);
    host->setStyleSheet(QStringLiteral("background-color: rgb(50, 57, 67); color: white;"));
    host->resize(size);
    return host;
}

void pressHandle(CustomSlider* slider, int value) {
    slider->setCurrentValue(value);
    QStyleOptionSlider option;
    option.initFrom(slider);
    option.orientation = slider->orientation();
    option.minimum = slider->minimum();
    option.maximum = slider->maximum();
    option.sliderPosition = slider->sliderPosition();
    option.sliderValue = slider->value();
    option.subControls = QStyle::SC_All;
    const QPoint centre =
        slider->style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, slider).center();
    QMouseEvent press(QEvent::MouseButtonPress, centre, slider->mapToGlobal(centre), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(slider, &press);
}

void sliders() {
    QWidget* host = page(QSize(320, 110));
    auto* layout = new QVBoxLayout(host);
    auto* idle = new CustomSlider(Qt::Horizontal, host);
    auto* held = new CustomSlider(Qt::Horizontal, host);
    for (CustomSlider* slider : {idle, held}) {
        slider->setStyleSheet(QString::fromLatin1(CustomSlider::pageStyleSheet()));
        slider->setRange(0, 100);
        slider->setDisplayScale(100);
        slider->setCurrentValue(30);
        layout->addWidget(slider);
    }
    host->show();
    settle();
    pressHandle(held, 46);
    save(host, QStringLiteral("custom_slider"));
    delete host;
}

void switches() {
    QWidget* host = page(QSize(200, 40));
    auto* layout = new QHBoxLayout(host);
    auto* off = new SwitchButton(host);
    auto* on = new SwitchButton(host);
    auto* wide = new SwitchButton(host);
    auto* disabled = new SwitchButton(host);
    off->setFixedSize(34, 20);
    on->setFixedSize(34, 20);
    wide->setFixedSize(40, 20);
    disabled->setFixedSize(34, 20);
    disabled->setEnabled(false);
    for (SwitchButton* button : {off, on, wide, disabled})
        layout->addWidget(button);
    host->show();
    settle();
    on->setSwitchState(true);
    wide->setSwitchState(true);
    on->knobAnimation()->setCurrentTime(120);
    wide->knobAnimation()->setCurrentTime(120);
    save(host, QStringLiteral("switch_button_off_on_wide_disabled"));
    delete host;
}

void modeSwitchers() {
    QWidget* host = page(QSize(240, 150));
    auto* layout = new QVBoxLayout(host);
    auto* three = new CustomModeSwitcher(host);
    three->setButtonTexts(QStringLiteral("H264"), QStringLiteral("MJPG"), QStringLiteral("YUY2"));
    three->setMode(2);
    auto* two = new CustomModeSwitcher(host);
    two->setButtonTexts(QStringLiteral("50Hz"), QStringLiteral("60Hz"));
    layout->addWidget(three);
    layout->addWidget(two);
    host->show();
    save(host, QStringLiteral("custom_mode_switcher"));
    delete host;
}

void comboBox() {
    QWidget* host = page(QSize(260, 60));
    auto* layout = new QVBoxLayout(host);
    auto* combo = new CenterComboBox(host);
    combo->setStyleSheet(QString::fromLatin1(kComboStyle));
    combo->setFixedHeight(35);
    combo->addItems({QStringLiteral("2560x1440(30p)"), QStringLiteral("1920x1080(30p)"),
                     QStringLiteral("1280x720(30p)"), QStringLiteral("640x360(30p)")});
    layout->addWidget(combo);
    host->show();
    save(host, QStringLiteral("center_combo_box"));
    delete host;
}

void tabButtons() {
    QWidget* host = page(QSize(80, 200));
    host->setStyleSheet(QStringLiteral("background-color: rgb(34, 40, 48);"));
    auto* layout = new QVBoxLayout(host);
    layout->setSpacing(0);
    const char* names[] = {"setting", "mode", "info"};
    for (int i = 0; i < 3; ++i) {
        auto* button = new TabButton(host);
        button->setCheckable(true);
        button->setFixedSize(60, 60);
        button->setIconSize(QSize(32, 32));
        button->setStyleSheet(
            QStringLiteral("QPushButton { border: none; background: transparent; }"
                           "QPushButton:checked { background-color: rgb(62, 145, 255); }"));
        const QString base = QStringLiteral(":/icons/tab_icon_%1").arg(QLatin1String(names[i]));
        const QIcon normal(base + QStringLiteral(".png"));
        const QIcon highlighted(base + QStringLiteral("_h.png"));
        button->setIcons(normal, highlighted, highlighted);
        if (i == 0)
            button->select();
        layout->addWidget(button);
    }
    host->show();
    save(host, QStringLiteral("tab_button_setting_selected"));
    delete host;
}

void hintButtonAndPopup() {
    QWidget* host = page(QSize(120, 40));
    auto* button = new HoverHintBtn(host);
    button->setGeometry(50, 10, 20, 20);
    button->setIcon(QIcon(QStringLiteral(":/appicon/icon_hint.png")));
    button->setIconSize(QSize(20, 20));
    button->setStyleSheet(QStringLiteral("border: none; background: transparent;"));
    host->show();
    save(host, QStringLiteral("hover_hint_btn"));
    delete host;

    auto* popup = new PopupWindow();
    popup->setContents(QStringLiteral("Auto Zoom"),
                       QStringLiteral("The camera frames the people in the room automatically and follows "
                                      "them when they move."));
    popup->show();
    save(popup, QStringLiteral("popup_window"), QColor(20, 20, 20));
    delete popup;
}

void saveQuestion(const char* name, const char* title, const char* content, const char* left,
                  const char* right) {
    auto* dialog = new GeneralDialog();
    dialog->init(QString::fromUtf8(title), QString::fromUtf8(content), QString::fromUtf8(left),
                 QString::fromUtf8(right));
    dialog->show();
    save(dialog, QString::fromLatin1(name), QColor(20, 20, 20));
    delete dialog;
}

void generalDialogs() {
    saveQuestion("general_dialog_two_buttons", "Auto Zoom",
                 "Enabling Auto Zoom turns off Tracking Active Speakers.", "Cancel", "Enable");
    saveQuestion("general_dialog_one_button", "Reset Succesfully",
                 "All settings have been reset to default values.", "", "OK");
    setDialogScaleFactorSource(+[] { return 1.5; });
    saveQuestion("general_dialog_at_144dpi", "Reset",
                 "Reset all settings to default. \nAre you sure you want to reset ?", "Cancel", "Reset");
    setDialogScaleFactorSource(nullptr);
}

void progressDialogs() {
    auto* progress = new CustomProgressDialog();
    progress->show();
    progress->setProgress(40);
    save(progress, QStringLiteral("custom_progress_dialog"), QColor(20, 20, 20));
    delete progress;

    auto* busy = new BusyProgress();
    static_cast<QWidget*>(busy)->show();
    save(busy, QStringLiteral("busy_progress"), QColor(20, 20, 20));
    delete busy;

    auto* indicator = new QProgressIndicator();
    indicator->resize(48, 48);
    indicator->startAnimation();
    indicator->show();
    save(indicator, QStringLiteral("q_progress_indicator_48"), QColor(20, 20, 20));
    delete indicator;
}

void licenceViewer() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("notice.htm"));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(
            "<html><body><h2>OPEN SOURCE SOFTWARE NOTICE</h2><p>This product contains open source "
            "software. The licence texts follow.</p><h3>Qt</h3><p>GNU Lesser General Public License "
            "version 3. See <a href=\"https://www.gnu.org/licenses/lgpl-3.0.html\">the licence</a>.</p>"
            "</body></html>");
        file.close();
    }
    auto* viewer = new PopupLicenseLayout();
    viewer->showLicense(QStringLiteral("Open Source Licenses (PC Tool)"), path);
    save(viewer, QStringLiteral("popup_license_layout"), QColor(20, 20, 20));
    delete viewer;
}

void eptzController() {
    struct Case {
        const char* name;
        double zoom;
        int pan;
        int tilt;
    };
    const Case cases[] = {{"range_eptz_zoom100", 100, 0, 0},
                          {"range_eptz_zoom200_pan10_tilt5", 200, 10, 5},
                          {"range_eptz_zoom500_top_left", 500, -20, 15}};
    for (const Case& c : cases) {
        auto* controller = new RangeEptzController();
        controller->setFixedSize(265, 151);
        controller->show();
        settle();
        controller->setZoomPercentage(c.zoom);
        controller->calRectCenter(c.pan, c.tilt);
        save(controller, QString::fromLatin1(c.name));
        delete controller;
    }
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    setLogEcho(false);
    outputDir = QDir(QString::fromLocal8Bit(argv[1]));
    if (!outputDir.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }
    const std::function<void()> steps[] = {sliders,       switches,           modeSwitchers,  comboBox,
                                           tabButtons,    hintButtonAndPopup, generalDialogs, progressDialogs,
                                           licenceViewer, eptzController};
    for (const auto& step : steps)
        step();
    std::printf("%d pictures written\n", written);
    return written > 0 && failed == 0 ? 0 : 1;
}
