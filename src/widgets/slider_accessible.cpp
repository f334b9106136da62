#include "widgets/slider_accessible.h"

#include <QAccessibleWidget>
#include <cmath>

#include "widgets/custom_slider.h"

namespace {

class SliderAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit SliderAccessible(CustomSlider* slider) : QAccessibleWidget(slider, QAccessible::Slider) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QString text(QAccessible::Text kind) const override {
        if (kind == QAccessible::Value)
            return QString::number(slider()->shownValue());
        return QAccessibleWidget::text(kind);
    }

    QVariant currentValue() const override { return slider()->shownValue(); }
    QVariant maximumValue() const override { return slider()->maximum() * slider()->shownScale(); }
    QVariant minimumValue() const override { return slider()->minimum() * slider()->shownScale(); }
    QVariant minimumStepSize() const override { return slider()->singleStep() * slider()->shownScale(); }

    void setCurrentValue(const QVariant& value) override {
        const double shown = value.toDouble();
        slider()->moveByUser(static_cast<int>(std::lround(shown / slider()->shownScale())));
    }

private:
    CustomSlider* slider() const { return static_cast<CustomSlider*>(widget()); }
};

QAccessibleInterface* sliderFactory(const QString& className, QObject* object) {
    if (className == QLatin1String("CustomSlider") && object != nullptr && object->isWidgetType())
        return new SliderAccessible(static_cast<CustomSlider*>(object));
    return nullptr;
}

}  // namespace

void installSliderAccessible() {
    static const bool installed = [] {
        QAccessible::installFactory(sliderFactory);
        return true;
    }();
    (void)installed;
}
