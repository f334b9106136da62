#pragma once
// The licence viewer: a title, a close button and a read-only browser showing an HTML
// notice. Not modal. A new one is created for every notice opened; it deletes itself
// once closed (see BaseDialog).
#include "widgets/base_dialog.h"

class QLabel;
class QPushButton;
class QTextBrowser;

class PopupLicenseLayout : public BaseDialog {
    Q_OBJECT

public:
    explicit PopupLicenseLayout(QWidget* parent = nullptr);

    // Shows the HTML file at path under the given title; for a file that cannot be opened
    // it says that the notice is not installed (and logs "open failed").
    void showLicense(const QString& title, const QString& path);

protected:
    // Escape closes the viewer as its close button does.
    QAbstractButton* cancellingButton() const override;

private:
    void setupUi();

    QLabel* titleLabel = nullptr;
    QPushButton* closeButton = nullptr;
    QTextBrowser* textBrowser = nullptr;
};
