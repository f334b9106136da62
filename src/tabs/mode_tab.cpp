#include "tabs/mode_tab.h"

#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>

#include "base/app_config.h"
#include "base/debug_log.h"
#include "base/scale_size.h"
#include "widgets/center_combo_box.h"
#include "widgets/custom_mode_switcher.h"

namespace {
constexpr int kModeH264 = 1;
constexpr int kModeMjpg = 2;
constexpr int kModeYuy2 = 3;

// The format a mode lists; null for a mode the page does not know.
const char* formatOfMode(int mode) {
    switch (mode) {
        case kModeH264:
            return "H264";
        case kModeMjpg:
            return "MJPG";
        case kModeYuy2:
            return "YUY2";
        default:
            return nullptr;
    }
}

int modeOfFormat(const std::string& format) {
    for (int mode = kModeH264; mode <= kModeYuy2; ++mode) {
        if (format == formatOfMode(mode))
            return mode;
    }
    return 0;
}

void logEntry(const char* prefix, const RESOLUTION_LIST& r) {
    debugLog("%s: %dx%d, fps:%d %s\n", prefix, r.width, r.height, r.fps, r.format.c_str());
}

bool sameEntry(const RESOLUTION_LIST& a, const RESOLUTION_LIST& b) {
    return a.index == b.index && a.width == b.width && a.height == b.height && a.fps == b.fps &&
           a.format == b.format;
}
}  // namespace

ModeTab::ModeTab(QWidget* parent) : BaseTab(parent) {
    ui.setupUi(this);
    scaleForDpi();
    ui.modeSwitcher->setButtonTexts(tr("H264"), tr("MJPG"), tr("YUY2"));
    setMJPGDefault();

    connect(ui.modeSwitcher, &CustomModeSwitcher::modeChanged, this, &ModeTab::modeSwitched);
    connect(ui.modifyButton, &QPushButton::released, this, &ModeTab::modifyReleased);
    connect(ui.comboBox, QOverload<int>::of(&QComboBox::activated), this, &ModeTab::comboBoxSelected);
    connect(ui.comboBox, &CenterComboBox::popupShowing, this,
            [this](bool showing) { ui.modifyButton->setVisible(!showing); });
}

QString ModeTab::entryLabel(const RESOLUTION_LIST& entry) {
    return QString::number(entry.width) + QStringLiteral("x") + QString::number(entry.height) +
           QStringLiteral("(") + QString::number(entry.fps) + QStringLiteral("p)");
}

void ModeTab::modifyComboBoxItem(int mode) {
    debugLog("modifyComboBoxItem mode: %d, count: %d\n", mode, ui.comboBox->count());
    const char* format = formatOfMode(mode);
    if (format == nullptr) {
        debugLog("unsupported mode: %d\n", mode);
        debugLog("comboBox count: %d\n", ui.comboBox->count());
        return;
    }
    ui.comboBox->clear();
    modeEntries.clear();
    listedMode_ = mode;
    const std::vector<RESOLUTION_LIST>& list = appConfig().resolutionList;
    // Inserted at the front: the list's last entry comes first, and the current item
    // stays the first one inserted.
    for (const RESOLUTION_LIST& entry : list) {
        if (entry.format != format)
            continue;
        ui.comboBox->insertItem(0, entryLabel(entry));
        modeEntries.insert(modeEntries.begin(), entry);
    }
    debugLog("comboBox count: %d\n", ui.comboBox->count());
}

void ModeTab::modeSwitched(int mode) {
    modifyComboBoxItem(mode);
    const QString current = ui.comboBox->currentText();
    debugLog("mode changed: %d, %s\n", mode, current.toUtf8().constData());
    // Nothing is chosen until the list offers something in this format.
    targetResolution = RESOLUTION_LIST();
    for (const RESOLUTION_LIST& entry : modeEntries) {
        logEntry("tmp", entry);
        if (entryLabel(entry) == current)
            targetResolution = entry;
    }
    updateModifyButton();
}

void ModeTab::comboBoxSelected(int index) {
    debugLog("comboBoxSelected changed: %d, %s\n", index, ui.comboBox->currentText().toUtf8().constData());
    if (index < 0 || index >= static_cast<int>(modeEntries.size()))
        return;  // a placeholder item: no camera format behind it yet
    targetResolution = modeEntries[static_cast<size_t>(index)];
    updateModifyButton();
}

void ModeTab::updateModifyButton() {
    logEntry("targetResolution", targetResolution);
    debugLog("currentResolution.index: %d, targetResolution.index: %d\n", currentResolution.index,
             targetResolution.index);
    logEntry("currentResolution", currentResolution);
    // An entry is a change when it is another entry of the list, or when no format has
    // been applied yet (the empty record's index 0 names no entry).
    const bool chosen = !targetResolution.format.empty();
    const bool nothingApplied = currentResolution.format.empty();
    ui.modifyButton->setEnabled(chosen &&
                                (nothingApplied || currentResolution.index != targetResolution.index));
}

void ModeTab::modifyReleased() {
    debugLog("modifyButton released \n");
    currentResolution = targetResolution;
    ui.modifyButton->setEnabled(false);
    emit onResolutionChanged(targetResolution);
}

RESOLUTION_LIST ModeTab::setMJPGDefault() {
    debugLog("setMJPGDefault\n");
    return selectDefault(kModeMjpg, true);
}

RESOLUTION_LIST ModeTab::setH264Default() {
    debugLog("setH264Default\n");
    return selectDefault(kModeH264, false);
}

RESOLUTION_LIST ModeTab::selectDefault(int mode, bool logEntries) {
    RESOLUTION_LIST result;
    ui.modeSwitcher->setMode(mode);
    // The switcher now shows this mode: the list must too, or the search below would look
    // at another format's entries.
    if (listedMode_ != mode && listedMode_ != 0)
        modifyComboBoxItem(mode);
    const AppConfig& config = appConfig();
    if (logEntries)
        debugLog("--------HostDefine --------: %dx%d\n", config.defaultWidth, config.defaultHeight);
    const bool hostDefined = config.defaultWidth != 0 && config.defaultHeight != 0 && config.defaultFps != 0;
    const int width = hostDefined ? config.defaultWidth : 3520;
    const int height = hostDefined ? config.defaultHeight : 1104;
    const int fps = hostDefined ? config.defaultFps : 30;
    const std::string format = formatOfMode(mode);
    int found = 0;
    for (size_t i = 0; i < modeEntries.size(); ++i) {
        const RESOLUTION_LIST& entry = modeEntries[i];
        if (logEntries)
            logEntry("tmp", entry);
        if (entry.format == format && entry.width == width && entry.height == height && entry.fps == fps) {
            result = entry;
            found = static_cast<int>(i);
        }
    }
    debugLog("found index: %d\n", found);
    ui.comboBox->setCurrentIndex(found);
    currentResolution = result;
    // A choice made before is void now that the list shows the default again.
    targetResolution = result;
    ui.modifyButton->setEnabled(false);
    return result;
}

void ModeTab::showAppliedResolution(const RESOLUTION_LIST& r) {
    const int mode = modeOfFormat(r.format);
    if (mode == 0)
        return;
    ui.modeSwitcher->setMode(mode);
    modifyComboBoxItem(mode);
    for (size_t i = 0; i < modeEntries.size(); ++i) {
        if (sameEntry(modeEntries[i], r))
            ui.comboBox->setCurrentIndex(static_cast<int>(i));
    }
    currentResolution = r;
    targetResolution = r;
    ui.modifyButton->setEnabled(false);
}

void ModeTab::updateFromState() {
    ui.scrollArea->verticalScrollBar()->setValue(0);
    modifyComboBoxItem(kModeMjpg);
    setMJPGDefault();
}

void ModeTab::scaleForDpi() {
    const double scale = getScaleSize();
    const double fittedFrom = appConfig().scale;
    setFixedWidth(static_cast<int>(width() / fittedFrom * scale));
    ui.scrollAreaWidgetContents->setFixedSize(
        static_cast<int>(ui.scrollAreaWidgetContents->width() / fittedFrom * scale),
        ui.scrollAreaWidgetContents->height());
    update();
}
