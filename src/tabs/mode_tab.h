#pragma once
// The stream mode page (reachable in debug mode only): a three-way switcher picks the
// stream format (1 H264, 2 MJPG, 3 YUY2), a combo box lists the camera's sizes and rates
// in that format, and "Modify" applies the choice through onResolutionChanged. After each
// connection the page lists the MJPG formats and selects the default one (the size and
// rate APSet.ini names, else 3520 x 1104 at 30 fps).
#include <vector>

#include "base/resolution_list.h"
#include "tabs/base_tab.h"
#include "tabs/mode_tab_ui.h"

class ModeTab : public BaseTab {
    Q_OBJECT

public:
    explicit ModeTab(QWidget* parent = nullptr);

    // Lists the entries of AppConfig's resolutionList in the mode's format (1 H264,
    // 2 MJPG, 3 YUY2), last list entry first. Another mode changes nothing.
    void modifyComboBoxItem(int mode);
    // Select the default entry of that format, make it the applied one and return it (the
    // empty record when the list has none).
    RESOLUTION_LIST setMJPGDefault();
    RESOLUTION_LIST setH264Default();
    // Shows r as the applied format: its mode, its entry selected (when listed).
    void showAppliedResolution(const RESOLUTION_LIST& r);

    void updateFromState() override;
    void scaleForDpi() override;

    // The combo box item's text for an entry, e.g. "1920x1080(30p)".
    static QString entryLabel(const RESOLUTION_LIST& entry);

    const std::vector<RESOLUTION_LIST>& entries() const { return modeEntries; }
    const RESOLUTION_LIST& appliedResolution() const { return currentResolution; }
    const RESOLUTION_LIST& chosenResolution() const { return targetResolution; }

signals:
    void onModeSwitched(int mode);
    void onResolutionChanged(RESOLUTION_LIST resolution);

public slots:
    void comboBoxSelected(int index);

private:
    void modeSwitched(int mode);
    void updateModifyButton();
    void modifyReleased();
    // The default entry of a format: selects it and makes it the applied one.
    RESOLUTION_LIST selectDefault(int mode, bool logEntries);

    ModeTabForm ui;

    // Backs the combo box: item i shows modeEntries[i].
    std::vector<RESOLUTION_LIST> modeEntries;
    // The format last applied (Modify or a default selection) and the one chosen in the
    // combo box but not yet applied.
    RESOLUTION_LIST currentResolution;
    RESOLUTION_LIST targetResolution;
    // The mode whose entries the combo box lists; 0 while it shows its placeholders.
    int listedMode_ = 0;
};
