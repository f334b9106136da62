#include "widgets/center_combo_box.h"

#include <QAbstractItemView>
#include <QFrame>
#include <QStyleOptionComboBox>
#include <QStylePainter>

CenterComboBox::CenterComboBox(QWidget* parent) : QComboBox(parent) {
    QWidget* popup = view()->window();
    popup->setWindowFlags(Qt::Popup | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint);
    popup->setAttribute(Qt::WA_TranslucentBackground);
}

void CenterComboBox::showPopup() {
    for (int i = 0; i < count(); ++i) {
        setItemData(i, QSize(0, 40), Qt::SizeHintRole);
        setItemData(i, int(Qt::AlignCenter), Qt::TextAlignmentRole);
    }
    QComboBox::showPopup();
    if (auto* container = findChild<QFrame*>())
        container->move(container->x(), container->y() + 8);
    emit popupShowing(true);
}

void CenterComboBox::hidePopup() {
    QComboBox::hidePopup();
    emit popupShowing(false);
}

void CenterComboBox::paintEvent(QPaintEvent* event) {
    const QString text = itemText(currentIndex());
    if (currentIndex() < 0 || text.isEmpty()) {
        QComboBox::paintEvent(event);
        return;
    }
    QStylePainter painter(this);
    painter.setPen(palette().color(QPalette::Text));
    QStyleOptionComboBox option;
    initStyleOption(&option);
    option.currentText.clear();
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    painter.drawText(rect().adjusted(5, 0, -5, 0), Qt::AlignCenter, text);
}
