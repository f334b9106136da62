#pragma once
// Answers the program's modal dialogs in tests: every few milliseconds (also inside their
// modal loops) it finds the question and message dialogs that are showing, records their
// title and text, and presses the button its policy names, unless its hold says to leave
// the dialog open for now (the user has not answered yet). Progress dialogs are left alone.
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
    // policy: true to press the right button (else the left one, or the only one); hold:
    // true while a dialog is to stay open unanswered.
    using Answer = std::function<bool(const ShownDialog&)>;

    explicit DialogDriver(Answer policy, Answer hold = nullptr)
        : policy_(std::move(policy)), hold_(std::move(hold)) {
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
                const ShownDialog seen{dialog->findChild<QLabel*>(QStringLiteral("headerLabel"))->text(),
                                       dialog->findChild<QLabel*>(QStringLiteral("contentLabel"))->text()};
                if (!recorded_.contains(widget)) {
                    recorded_.append(dialog);
                    shown.append(seen);
                }
                if (hold_ && hold_(seen))
                    continue;
                handled_.append(dialog);
                auto* left = dialog->findChild<QPushButton*>(QStringLiteral("leftBtn"));
                auto* right = dialog->findChild<QPushButton*>(QStringLiteral("rightBtn"));
                const bool pressRight = left->isHidden() || policy_(seen);
                (pressRight ? right : left)->click();
            }
        }
        // Forget dialogs that are gone (their addresses may be reused).
        handled_.removeAll(QPointer<QWidget>());
        recorded_.removeAll(QPointer<QWidget>());
    }

    Answer policy_;
    Answer hold_;
    QList<QPointer<QWidget>> recorded_;
    QTimer timer_;
    QList<QPointer<QWidget>> handled_;
};

}  // namespace fwtest
