#include "tabs/page_dialogs.h"

#include "widgets/general_dialog.h"

bool PageDialogs::ask(QWidget* parent, const QString& title, const QString& content,
                      const QString& rightText) {
    auto* dialog = new GeneralDialog(parent);
    dialog->init(title, content, tr("Cancel"), rightText);
    bool right = false;
    QObject::connect(dialog, &GeneralDialog::rightBtnClicked, dialog, [&right] { right = true; });
    dialog->exec();
    return right;
}

void PageDialogs::tell(QWidget* parent, const QString& title, const QString& content) {
    auto* dialog = new GeneralDialog(parent);
    dialog->init(title, content, QString(), tr("OK"));
    dialog->exec();
}
