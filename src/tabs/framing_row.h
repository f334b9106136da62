#pragma once
// The settings page's row of named framings: a combo box with the camera's framings (the
// user may type a new name into it), "Apply", "Save", and a menu button with "Rename..."
// and "Delete...", and a line that says what the last action did. Saving over an existing
// name, renaming onto one, and deleting are asked first ("Cancel" / the action). The row
// keeps no framings: it asks for each action with a signal and is told the names.
//
// By keyboard: Tab reaches the combo box and each button; the menu button opens its menu
// with Space or Enter.
#include <QCoreApplication>
#include <QStringList>
#include <QWidget>
#include <functional>

class QComboBox;
class QLabel;
class QPushButton;
class QToolButton;

class FramingRow : public QWidget {
    Q_OBJECT

public:
    explicit FramingRow(QWidget* parent = nullptr);

    // The camera's framings, with shown as the combo box's text (selected when among them).
    void setNames(const QStringList& names, const QString& shown);
    QString shownName() const;
    QStringList names() const { return names_; }
    // The result of the last action, or empty.
    void showStatus(const QString& text);
    QString status() const;

    void retranslateUi();

    QComboBox* combo = nullptr;
    QPushButton* applyButton = nullptr;
    QPushButton* saveButton = nullptr;
    QToolButton* moreButton = nullptr;
    QLabel* statusLabel = nullptr;

signals:
    void saveRequested(const QString& name);
    void applyRequested(const QString& name);
    void renameRequested(const QString& from, const QString& to);
    void deleteRequested(const QString& name);

private:
    void save();
    // Apply, rename and delete need a saved name, save any name.
    void updateButtons();
    void apply();
    void askNewName();
    void renameTo(const QString& from, const QString& to);
    void askDelete();
    // Asks with the page's confirmation dialog; then runs yes.
    void confirm(const QString& title, const QString& text, const QString& action, std::function<void()> yes);

    QStringList names_;
};
