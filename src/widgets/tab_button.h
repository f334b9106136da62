#pragma once
// A checkable tab button with three icons: normal, checked and hovered. A click, Space
// while it has the keyboard focus, or an assistive tool's press selects it and shows the
// checked icon.
#include <QIcon>
#include <QPushButton>

class TabButton : public QPushButton {
    Q_OBJECT

public:
    explicit TabButton(QWidget* parent = nullptr);

    void setIcons(const QIcon& normal, const QIcon& checked, const QIcon& hover);
    // Shows the checked icon and checks the button.
    void select();
    // Shows the normal icon; the checked state stays.
    void showNormalIcon();

protected:
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    // A click selects the tab and never unchecks it; only the exclusive group unchecks the
    // tab that was selected before, through this same call.
    void nextCheckState() override;

private:
    QIcon normalIcon;
    QIcon checkedIcon;
    QIcon hoverIcon;
};
