#pragma once
// Graphics effect that draws its widget at half brightness: the widget over opaque black at
// opacity 0.5. Installed with QWidget::setGraphicsEffect (the widget then owns it) and
// removed by installing none.
#include <QGraphicsEffect>

class DarkenEffect : public QGraphicsEffect {
    Q_OBJECT
public:
    explicit DarkenEffect(QObject* parent = nullptr);

protected:
    void draw(QPainter* painter) override;
};
