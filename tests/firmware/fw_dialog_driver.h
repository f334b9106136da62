#pragma once
// Answers the program's modal dialogs in tests: every few milliseconds (also inside their
// modal loops) it finds the question and message dialogs that are showing, records their
// title and text, and presses the button its policy names. Progress dialogs are left alone.
#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <functional>

#include "widgets/general_dialog.h"

namespace fwtest {

struct ShownDialog {
    QString title;
    QString content;
};

class DialogDriver : public QObject {
public:
    // Answers true to press the right button (else the left one, or the only one).
    using Policy = std::function<bool(const ShownDialog&)>;

    explicit DialogDriver(Policy policy) : policy_(std::move(policy)) {
        connect(&timer_, &QTimer::timeout, this, &DialogDriver::poll);
        timer_.start(5);
    }

    QList<ShownDialog> shown;

    QStringList titles() const {
        QStringList list;
        for (const ShownDialog& d : shown)
            list << d.title;
        return list;
    }

private:
    void poll() {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (!widget->isVisible() || handled_.contains(widget))
                continue;
            if (auto* dialog = qobject_cast<GeneralDialog*>(widget)) {
                handled_.append(dialog);
                const ShownDialog seen{dialog->findChild<QLabel*>(QStringLiteral("headerLabel"))->text(),
                                       dialog->findChild<QLabel*>(QStringLiteral("contentLabel"))->text()};
                shown.append(seen);
                auto* left = dialog->findChild<QPushButton*>(QStringLiteral("leftBtn"));
                auto* right = dialog->findChild<QPushButton*>(QStringLiteral("rightBtn"));
                const bool pressRight = left->isHidden() || policy_(seen);
                (pressRight ? right : left)->click();
            }
        }
        // Forget dialogs that are gone (their addresses may be reused).
        handled_.removeAll(QPointer<QWidget>());
    }

    Policy policy_;
    QTimer timer_;
    QList<QPointer<QWidget>> handled_;
};

}  // namespace fwtest
