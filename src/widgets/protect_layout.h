#pragma once
// The cover laid over the main window's central widget while no camera is usable: a
// transparent widget that takes the mouse away from what lies below and can show a rounded
// text box such as "Camera is Not Connected". It follows its parent's size at every paint.
#include <QWidget>

class QLabel;

class ProtectLayout : public QWidget {
    Q_OBJECT
public:
    explicit ProtectLayout(QWidget* parent = nullptr);

    void setText(const QString& text);
    // Shows the cover with its text box over host's size. While the cover is shown already
    // it only follows host's size (the text box keeps its visibility).
    void showWithText(QWidget* host);
    // The same without the text box.
    void showWithoutText(QWidget* host);
    // Shows the text box only; the cover's own visibility is not touched.
    void showTextLabel();
    void hideOverlay();

    // True between a show and the next hideOverlay().
    bool isOverlayShown() const { return overlayShown_; }
    QLabel* textLabel() const { return textLabel_; }

protected:
    bool event(QEvent* event) override;

private:
    void setupUi();
    void showOver(QWidget* host, bool withText);

    QLabel* textLabel_ = nullptr;
    bool overlayShown_ = false;
};
