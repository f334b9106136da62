#pragma once
// The hover hint: a small frameless window with a title and a text that sits above the
// widget it belongs to (its parent), centred on the parent's left edge.
#include <QWidget>

class QLabel;
class QResizeEvent;

class PopupWindow : public QWidget {
    Q_OBJECT

public:
    explicit PopupWindow(QWidget* parent = nullptr);

    // Sets the texts and fits the width to the screen.
    void setContents(const QString& title, const QString& content);

    QSize sizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void setupUi();

    QLabel* title = nullptr;
    QLabel* content = nullptr;
};
