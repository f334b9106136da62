#include "widgets/base_dialog.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QPointer>

#include "base/debug_log.h"
#include "widgets/darken_effect.h"
#include "widgets/window_cover.h"

BaseDialog::BaseDialog(QWidget* parent) : QDialog(parent) {
    setAttribute(Qt::WA_TranslucentBackground);
}

int BaseDialog::exec() {
    debugLog("BaseDialog exec \n");
    isShowing_ = true;
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    if (WindowCover* cover = windowCoverFor(this))
        cover->setDialogDarkening(new DarkenEffect());

    QPointer<BaseDialog> self(this);
    inModalLoop_ = true;
    const int result = QDialog::exec();
    if (!self)
        return result;
    inModalLoop_ = false;
    // A per-use dialog closed inside the loop is deleted only now, so that the caller
    // can still read it right after exec() returns.
    if (deleteWhenClosed_ && !isVisible())
        deleteLater();
    return result;
}

void BaseDialog::show() {
    debugLog("BaseDialog show \n");
    isShowing_ = true;
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    if (WindowCover* cover = windowCoverFor(this))
        cover->disableWindowWithoutText();
    QDialog::show();
}

bool BaseDialog::closeDialog() {
    if (!isShowing_)
        return false;
    debugLog("BaseDialog close \n");
    isShowing_ = false;
    uncoverWindowOf(this);
    return close();
}

void BaseDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        QAbstractButton* cancel = cancellingButton();
        if (cancel != nullptr && cancel->isVisible() && cancel->isEnabled())
            cancel->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void BaseDialog::closeEvent(QCloseEvent* event) {
    QDialog::closeEvent(event);
    if (!event->isAccepted())
        return;
    isShowing_ = false;
    if (deleteWhenClosed_ && !inModalLoop_)
        deleteLater();
}
