#include "widgets/protect_layout.h"

#include <QEvent>
#include <QGridLayout>
#include <QLabel>

#include "base/app_config.h"
#include "base/scale_size.h"
#include "widgets/dialog_style.h"

namespace {
// Size of the text box at a scale factor of 1.
const int kTextBoxWidth = 360;
const int kTextBoxHeight = 68;
}  // namespace

ProtectLayout::ProtectLayout(QWidget* parent) : QWidget(parent) {
    setupUi();
    const int width = static_cast<int>(textLabel_->width() / appConfig().scale * getScaleSize());
    textLabel_->setFixedSize(width, textLabel_->height());
    // Hidden until shown, so that its visibility always agrees with isOverlayShown().
    hide();
}

void ProtectLayout::setupUi() {
    setObjectName(QStringLiteral("ProtectLayout"));
    resize(400, 300);
    setStyleSheet(QStringLiteral("background-color: rgba(0, 0, 0, 0);"));

    auto* gridLayout = new QGridLayout(this);
    gridLayout->setObjectName(QStringLiteral("protectGridLayout"));

    textLabel_ = new QLabel(this);
    textLabel_->setObjectName(QStringLiteral("textLabel"));
    textLabel_->setFixedSize(kTextBoxWidth, kTextBoxHeight);
    textLabel_->setFont(calibriFont(18));
    textLabel_->setAlignment(Qt::AlignCenter);
    textLabel_->setStyleSheet(
        QStringLiteral("background-color: #323943;\n"
                       "border-radius: 34px;\n"
                       "border: 1px solid rgba(255, 255, 255, 0.15);\n"
                       "color: rgb(255, 255, 255);"));
    gridLayout->addWidget(textLabel_, 0, 0, Qt::AlignCenter);
}

void ProtectLayout::setText(const QString& text) {
    textLabel_->setText(text);
}

void ProtectLayout::showWithText(QWidget* host) {
    showOver(host, true);
}

void ProtectLayout::showWithoutText(QWidget* host) {
    showOver(host, false);
}

void ProtectLayout::showOver(QWidget* host, bool withText) {
    if (overlayShown_) {
        // The size is fixed, so following the host means fixing the new size.
        if (host)
            setFixedSize(host->size());
        return;
    }
    overlayShown_ = true;
    textLabel_->setVisible(withText);
    if (host)
        setFixedSize(host->size());
    move(0, 0);
    raise();
    show();
}

void ProtectLayout::showTextLabel() {
    textLabel_->show();
}

void ProtectLayout::hideOverlay() {
    hide();
    overlayShown_ = false;
}

bool ProtectLayout::event(QEvent* event) {
    if (event->type() == QEvent::Paint && parentWidget() && size() != parentWidget()->size())
        setFixedSize(parentWidget()->size());
    return QWidget::event(event);
}
