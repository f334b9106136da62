#include "widgets/dialog_style.h"

#include <QDialog>
#include <QVBoxLayout>

QFont calibriFont(int pointSize, int weight) {
    QFont font;
    font.setFamily(QStringLiteral("Calibri"));
    font.setPointSize(pointSize);
    font.setWeight(weight);
    return font;
}

const char* const kDialogFrameStyle =
    "background-color: rgb(50, 57, 67);"
    "border-radius: 5px;"
    "border: 1px solid rgba(255, 255, 255, 0.85);";

const char* const kWhiteTextStyle = "color: rgb(255, 255, 255); background: transparent; border: none;";

const char* const kPlainButtonStyle =
    "QPushButton { background-color: rgba(255, 255, 255, 0.15); color: rgb(255, 255, 255);"
    " border: 1px solid rgba(255, 255, 255, 0.85); border-radius: 5px; }"
    "QPushButton:hover { border: 1px solid rgb(255, 255, 255); }"
    "QPushButton:pressed { background-color: rgba(255, 255, 255, 0.25); }";

const char* const kAccentButtonStyle =
    "QPushButton { background-color: rgba(62, 145, 255, 0.85); color: rgb(255, 255, 255);"
    " border: none; border-radius: 5px; }"
    "QPushButton:hover { background-color: rgb(62, 145, 255); }"
    "QPushButton:pressed { background-color: rgb(52, 117, 204); }";

QWidget* addDialogFrame(QDialog* dialog) {
    auto* dialogLayout = new QVBoxLayout(dialog);
    dialogLayout->setContentsMargins(0, 0, 0, 0);
    dialogLayout->setSpacing(0);
    auto* frame = new QWidget(dialog);
    frame->setObjectName(QStringLiteral("verticalWidget"));
    frame->setAttribute(Qt::WA_StyledBackground);
    frame->setStyleSheet(QStringLiteral("#verticalWidget { %1 }").arg(QLatin1String(kDialogFrameStyle)));
    dialogLayout->addWidget(frame);
    return frame;
}
