#pragma once
// The settings page's column: which rows show (the manual rows of exposure and white
// balance, the Auto Zoom sliders, the rows this camera does not offer), and the contents
// widget fitted to the rows that show and to the screen's scale.
#include <QSize>
#include <initializer_list>

class QWidget;
class SettingTabForm;

class SettingColumn {
public:
    SettingColumn(QWidget* page, const SettingTabForm& form);

    // Show (enable) or hide the rows, then fit the column.
    void showExposureRows(bool show);
    void showWhiteBalanceRows(bool show);
    void showAutoFrameRows(bool show);
    void hideRows(std::initializer_list<QWidget*> rows);
    // Fits the contents widget to the rows that show.
    void fit();
    // Fits page and contents to a new screen scale.
    void scaleForDpi();

    // The contents widget's size right after the widget tree was built.
    static QSize builtSize();

private:
    QWidget* page_;
    const SettingTabForm& ui;
};
