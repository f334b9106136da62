#include "widgets/general_dialog.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/debug_log.h"
#include "widgets/dialog_scale.h"
#include "widgets/dialog_style.h"
#include "widgets/window_cover.h"

GeneralDialog::GeneralDialog(QWidget* parent) : BaseDialog(parent) {
    setDeleteWhenClosed(true);
    setupUi();
    buttonHandled = false;
    scaleForScreen();
}

void GeneralDialog::setupUi() {
    setObjectName(QStringLiteral("GeneralDialog"));
    resize(340, 180);
    setFont(calibriFont(11));

    verticalWidget = addDialogFrame(this);
    verticalWidget->resize(340, 180);

    auto* frameLayout = new QVBoxLayout(verticalWidget);
    frameLayout->setContentsMargins(0, 0, 0, 0);
    frameLayout->setSpacing(0);

    headerLabel = new QLabel(verticalWidget);
    headerLabel->setObjectName(QStringLiteral("headerLabel"));
    headerLabel->setFont(calibriFont(14));
    headerLabel->setAlignment(Qt::AlignCenter);
    headerLabel->setStyleSheet(QLatin1String(kWhiteTextStyle));
    headerLabel->resize(340, 30);
    headerLabel->setFixedHeight(30);
    frameLayout->addWidget(headerLabel);

    contentLabel = new QLabel(verticalWidget);
    contentLabel->setObjectName(QStringLiteral("contentLabel"));
    contentLabel->setFont(calibriFont(11));
    contentLabel->setAlignment(Qt::AlignCenter);
    contentLabel->setWordWrap(true);
    contentLabel->setContentsMargins(15, 0, 15, 0);
    contentLabel->setStyleSheet(QLatin1String(kWhiteTextStyle));
    contentLabel->resize(340, 100);
    contentLabel->setFixedHeight(100);
    frameLayout->addWidget(contentLabel);

    auto* buttonRow = new QWidget(verticalWidget);
    buttonRow->setObjectName(QStringLiteral("horizontalWidget"));
    buttonRow->setFixedHeight(50);
    buttonRow->setStyleSheet(QStringLiteral("background: transparent;"));
    auto* buttonLayout = new QHBoxLayout(buttonRow);
    buttonLayout->setObjectName(QStringLiteral("horizontalLayout"));
    buttonLayout->setContentsMargins(20, 0, 20, 10);
    buttonLayout->setSpacing(20);

    leftBtn = new QPushButton(buttonRow);
    leftBtn->setObjectName(QStringLiteral("leftBtn"));
    leftBtn->setFixedSize(120, 30);
    leftBtn->setFont(calibriFont(11));
    leftBtn->setStyleSheet(QString::fromLatin1(kPlainButtonStyle));
    leftBtn->setAutoDefault(true);

    rightBtn = new QPushButton(buttonRow);
    rightBtn->setObjectName(QStringLiteral("rightBtn"));
    rightBtn->setFixedSize(120, 30);
    rightBtn->setFont(calibriFont(11));
    rightBtn->setStyleSheet(QString::fromLatin1(kAccentButtonStyle));
    rightBtn->setAutoDefault(true);
    rightBtn->setDefault(true);

    buttonLayout->addStretch();
    buttonLayout->addWidget(leftBtn);
    buttonLayout->addWidget(rightBtn);
    buttonLayout->addStretch();
    frameLayout->addWidget(buttonRow);

    retranslateUi();
}

void GeneralDialog::retranslateUi() {
    leftBtn->setText(tr("Cancel"));
    rightBtn->setText(tr("OK"));
}

// Wider screens get a dialog that grows a little less than the screen factor, the
// height less than the width.
void GeneralDialog::scaleForScreen() {
    const double factor = dialogScaleFactor();
    double widthFactor = factor;
    double heightFactor = factor;
    if (factor > 1.0) {
        widthFactor = factor / 1.03;
        heightFactor = factor / 1.15;
    }
    const int width = static_cast<int>(verticalWidget->width() * widthFactor);
    setMinimumSize(width, static_cast<int>(height() * heightFactor));
    headerLabel->setFixedSize(width, headerLabel->height());
    contentLabel->setFixedSize(width, static_cast<int>(contentLabel->height() * heightFactor));
    verticalWidget->setFixedSize(width, static_cast<int>(verticalWidget->height() * heightFactor));
    updateGeometry();
}

// A title wider than the dialog (a long translation, a wider substitute font) is drawn a
// little smaller rather than cut.
void GeneralDialog::fitHeaderFont() {
    constexpr int kSmallestPointSize = 9;
    QFont font = headerLabel->font();
    const int room = headerLabel->width() - 10;
    while (font.pointSize() > kSmallestPointSize &&
           QFontMetrics(font).horizontalAdvance(headerLabel->text()) > room)
        font.setPointSize(font.pointSize() - 1);
    headerLabel->setFont(font);
}

void GeneralDialog::init(QString title, QString content, QString leftText, QString rightText) {
    debugLog("GeneralDialog init\n");
    headerLabel->setText(title);
    fitHeaderFont();
    contentLabel->setText(content);
    setWindowTitle(title);
    setAccessibleName(title);
    setAccessibleDescription(content.simplified());
    if (!leftText.isEmpty()) {
        leftBtn->setText(leftText);
        connect(leftBtn, &QPushButton::released, this, &GeneralDialog::handleLeftBtn, Qt::UniqueConnection);
    } else {
        leftBtn->hide();
    }
    if (!rightText.isEmpty()) {
        rightBtn->setText(rightText);
        connect(rightBtn, &QPushButton::released, this, &GeneralDialog::handleRightBtn, Qt::UniqueConnection);
    } else {
        rightBtn->hide();
        rightBtn->setDefault(false);
        leftBtn->setDefault(true);
    }
    // The keyboard starts on the default answer.
    (rightText.isEmpty() ? leftBtn : rightBtn)->setFocus();
}

QAbstractButton* GeneralDialog::cancellingButton() const {
    return leftBtn->isHidden() ? rightBtn : leftBtn;
}

void GeneralDialog::handleLeftBtn() {
    buttonHandled = true;
    closeDialog();
    emit leftBtnClicked();
}

void GeneralDialog::handleRightBtn() {
    buttonHandled = true;
    closeDialog();
    emit rightBtnClicked();
}

void GeneralDialog::closeEvent(QCloseEvent* event) {
    debugLog("closeEvent:%d \n", buttonHandled ? 1 : 0);
    // Only an open dialog can be cancelled: closing one that is already closed (the main
    // window closes every dialog it finds) reports nothing twice.
    if (!buttonHandled && isVisible()) {
        uncoverWindowOf(this);
        emit canceled();
    }
    BaseDialog::closeEvent(event);
}
