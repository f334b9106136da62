#pragma once
// A row of up to three exclusive mode buttons (ids 1, 2, 3). A click on a button reports
// its id through modeChanged; setMode() checks a button silently.
#include <QWidget>

class QButtonGroup;
class QPushButton;

class CustomModeSwitcher : public QWidget {
    Q_OBJECT

public:
    explicit CustomModeSwitcher(QWidget* parent = nullptr);

    void setButtonTexts(const QString& text1, const QString& text2, const QString& text3);
    // Two modes only: the third button is hidden.
    void setButtonTexts(const QString& text1, const QString& text2);

    // Checks button m (1 to 3) without a signal; any other value changes nothing.
    void setMode(int m);

    // The mode last clicked on any switcher of the program, -1 before the first click.
    static int currentMode();

    // The id of the checked button (1 to 3).
    int checkedMode() const;

signals:
    void modeChanged(int mode);

public slots:
    void buttonJudge(int id);

private:
    void setupUi();
    void retranslateUi();

    QPushButton* Mode1 = nullptr;
    QPushButton* Mode2 = nullptr;
    QPushButton* Mode3 = nullptr;
    QButtonGroup* buttonGroup = nullptr;
};
