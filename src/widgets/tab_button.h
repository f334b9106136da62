#pragma once
// A checkable tab button with three icons: normal, checked and hovered.
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
    // A click selects the tab; it never unchecks it (as in an exclusive group).
    void nextCheckState() override;

private:
    QIcon normalIcon;
    QIcon checkedIcon;
    QIcon hoverIcon;
};
