#include "tabs/setting_column.h"

#include <QWidget>
#include <algorithm>

#include "base/app_config.h"
#include "base/debug_log.h"
#include "base/scale_size.h"
#include "tabs/setting_tab_ui.h"

namespace {
QSize builtContentsSize;

void setRowsShown(std::initializer_list<QWidget*> rows, bool shown) {
    for (QWidget* row : rows)
        row->setVisible(shown);
}
}  // namespace

SettingColumn::SettingColumn(QWidget* page, const SettingTabForm& form) : page_(page), ui(form) {
    builtContentsSize = ui.scrollAreaWidgetContents->size();
}

QSize SettingColumn::builtSize() {
    return builtContentsSize;
}

void SettingColumn::showExposureRows(bool show) {
    debugLog("enableExposureControl %d \n", show);
    setRowsShown({ui.gainWidget, ui.gainWidget_2, ui.expWidget, ui.expWidget_2}, show);
    fit();
}

void SettingColumn::showWhiteBalanceRows(bool show) {
    debugLog("enableWBControl %d \n", show);
    setRowsShown({ui.wbWidget, ui.wbWidget_2}, show);
    fit();
}

void SettingColumn::showAutoFrameRows(bool show) {
    setRowsShown({ui.sensitivityWidget, ui.sensitivityWidget_2, ui.zoomLevelWidget, ui.zoomLevelWidget_2},
                 show);
    fit();
}

void SettingColumn::hideRows(std::initializer_list<QWidget*> rows) {
    setRowsShown(rows, false);
    fit();
}

void SettingColumn::fit() {
    const int maxHeight = builtSize().height();
    debugLog("maxScrollAreaSize.height %d \n", maxHeight);
    int h = maxHeight;
    // A row counts by its own shown state, so the fit is the same whether or not the page
    // itself is on screen (a refresh while another page or no panel shows).
    for (const QWidget* row :
         {ui.gainWidget, ui.gainWidget_2, ui.expWidget, ui.expWidget_2, ui.wbWidget, ui.wbWidget_2,
          ui.sensitivityWidget, ui.sensitivityWidget_2, ui.zoomLevelWidget, ui.zoomLevelWidget_2,
          ui.gammaWidget, ui.gammaWidget_2, ui.BCWidget, ui.LCDWidget, ui.HRWidget}) {
        if (row->isHidden())
            h -= row->height();
    }
    debugLog("checkScrollAreaSize %d \n", h);
    h = std::min(h, maxHeight);
    ui.scrollAreaWidgetContents->setFixedSize(ui.scrollAreaWidgetContents->width(), h);
    page_->repaint();
}

void SettingColumn::scaleForDpi() {
    const double scale = getScaleSize();
    const double laidOutFor = appConfig().scale;
    page_->setFixedWidth(static_cast<int>(page_->width() / laidOutFor * scale));
    QWidget* contents = ui.scrollAreaWidgetContents;
    contents->setFixedSize(static_cast<int>(contents->width() / laidOutFor * scale),
                           std::min(contents->height(), builtSize().height()));
    page_->repaint();
}
