#include "widgets/window_cover.h"

#include <QApplication>
#include <QWidget>

WindowCover* windowCoverFor(const QWidget* dialog) {
    if (dialog != nullptr && dialog->parentWidget() != nullptr) {
        if (auto* cover = dynamic_cast<WindowCover*>(dialog->parentWidget()->window()))
            return cover;
    }
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* cover = dynamic_cast<WindowCover*>(widget))
            return cover;
    }
    return nullptr;
}

void uncoverWindowOf(const QWidget* dialog) {
    if (WindowCover* cover = windowCoverFor(dialog)) {
        cover->setDialogDarkening(nullptr);
        cover->enableWindow();
    }
}
