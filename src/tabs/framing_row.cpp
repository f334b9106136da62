#include "tabs/framing_row.h"

#include <QAction>
#include <QComboBox>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "base/debug_log.h"
#include "widgets/dialog_style.h"
#include "widgets/general_dialog.h"

namespace {
const char* const kButtonStyle =
    "QPushButton, QToolButton { background-color: rgba(255, 255, 255, 0.15); color: rgb(255, 255, 255);"
    " border: 1px solid rgba(255, 255, 255, 0.85); border-radius: 5px; padding: 0px 6px; }"
    "QPushButton:disabled { color: rgba(255, 255, 255, 0.35); border: 1px solid rgba(255, 255, 255, 0.25); }"
    "QToolButton::menu-indicator { image: none; }";
const char* const kComboStyle =
    "QComboBox { background-color: rgb(34, 40, 48); color: rgb(255, 255, 255);"
    " border: 1px solid rgba(255, 255, 255, 0.5); border-radius: 3px; padding: 0px 4px; }"
    "QComboBox QAbstractItemView { background-color: rgb(34, 40, 48); color: rgb(255, 255, 255);"
    " selection-background-color: rgb(62, 145, 255); }";
}  // namespace

FramingRow::FramingRow(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("framingRow"));
    auto* rows = new QVBoxLayout(this);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(4);
    auto* line = new QHBoxLayout();
    line->setSpacing(6);
    rows->addLayout(line);

    combo = new QComboBox(this);
    combo->setObjectName(QStringLiteral("framingCombo"));
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setFixedHeight(26);
    combo->setStyleSheet(QLatin1String(kComboStyle));
    line->addWidget(combo, 1);
    const auto button = [this, line](QPushButton* b, const char* name) {
        b->setObjectName(QString::fromLatin1(name));
        b->setFixedHeight(26);
        b->setFont(calibriFont(11));
        b->setStyleSheet(QLatin1String(kButtonStyle));
        line->addWidget(b);
    };
    applyButton = new QPushButton(this);
    button(applyButton, "framingApplyBtn");
    saveButton = new QPushButton(this);
    button(saveButton, "framingSaveBtn");
    moreButton = new QToolButton(this);
    moreButton->setObjectName(QStringLiteral("framingMoreBtn"));
    moreButton->setFixedSize(26, 26);
    moreButton->setStyleSheet(QLatin1String(kButtonStyle));
    moreButton->setPopupMode(QToolButton::InstantPopup);
    moreButton->setFocusPolicy(Qt::StrongFocus);
    auto* menu = new QMenu(moreButton);
    menu->setObjectName(QStringLiteral("framingMenu"));
    menu->addAction(QString(), this, &FramingRow::askNewName)->setObjectName(QStringLiteral("framingRename"));
    menu->addAction(QString(), this, &FramingRow::askDelete)->setObjectName(QStringLiteral("framingDelete"));
    moreButton->setMenu(menu);
    line->addWidget(moreButton);

    statusLabel = new QLabel(this);
    statusLabel->setObjectName(QStringLiteral("framingStatus"));
    statusLabel->setFont(calibriFont(10));
    statusLabel->setStyleSheet(QStringLiteral("color: rgba(255, 255, 255, 0.75);"));
    statusLabel->setTextFormat(Qt::PlainText);
    statusLabel->setWordWrap(true);
    rows->addWidget(statusLabel);

    connect(applyButton, &QPushButton::clicked, this, &FramingRow::apply);
    connect(saveButton, &QPushButton::clicked, this, &FramingRow::save);
    connect(combo, &QComboBox::currentTextChanged, this, &FramingRow::updateButtons);
    retranslateUi();
    updateButtons();
}

void FramingRow::updateButtons() {
    const bool known = names_.contains(shownName());
    applyButton->setEnabled(known);
    saveButton->setEnabled(!shownName().isEmpty());
    moreButton->setEnabled(known);
}

void FramingRow::retranslateUi() {
    applyButton->setText(tr("Apply"));
    saveButton->setText(tr("Save"));
    moreButton->setText(QStringLiteral("\u2026"));
    const QList<QAction*> actions = moreButton->menu()->actions();
    actions[0]->setText(tr("Rename..."));
    actions[1]->setText(tr("Delete..."));
    combo->lineEdit()->setPlaceholderText(tr("Framing name"));
    combo->setAccessibleName(tr("Named framing"));
    combo->setAccessibleDescription(tr("Zoom, pan and tilt saved under a name; type a new name to save one"));
    applyButton->setAccessibleDescription(tr("Sets the camera to the chosen framing"));
    saveButton->setAccessibleDescription(tr("Saves the current zoom, pan and tilt under the name"));
    moreButton->setAccessibleName(tr("More framing actions"));
}

void FramingRow::setNames(const QStringList& names, const QString& shown) {
    names_ = names;
    {
        const QSignalBlocker quiet(combo);
        combo->clear();
        combo->addItems(names);
        combo->setCurrentIndex(names.indexOf(shown));
        combo->setEditText(shown);
    }
    updateButtons();
}

void FramingRow::showStatus(const QString& text) {
    statusLabel->setText(text);
    statusLabel->setAccessibleName(text);
}

QString FramingRow::status() const {
    return statusLabel->text();
}

QString FramingRow::shownName() const {
    return combo->currentText().trimmed();
}

void FramingRow::confirm(const QString& title, const QString& text, const QString& action,
                         std::function<void()> yes) {
    auto* dialog = new GeneralDialog();
    dialog->init(title, text, tr("Cancel"), action);
    connect(dialog, &GeneralDialog::rightBtnClicked, this, std::move(yes));
    dialog->show();
}

void FramingRow::save() {
    const QString name = shownName();
    if (name.isEmpty())
        return;
    debugLog("framingSave\n");
    if (!names_.contains(name)) {
        emit saveRequested(name);
        return;
    }
    confirm(tr("Replace Framing"), tr("A framing named \"%1\" exists. Replace it?").arg(name), tr("Replace"),
            [this, name] { emit saveRequested(name); });
}

void FramingRow::apply() {
    const QString name = shownName();
    if (names_.contains(name)) {
        debugLog("framingApply\n");
        emit applyRequested(name);
    }
}

void FramingRow::askNewName() {
    const QString from = shownName();
    if (!names_.contains(from))
        return;
    auto* dialog = new QInputDialog(this);
    dialog->setObjectName(QStringLiteral("framingNameDialog"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(tr("Rename Framing"));
    dialog->setLabelText(tr("New name:"));
    dialog->setTextValue(from);
    connect(dialog, &QInputDialog::textValueSelected, this,
            [this, from](const QString& text) { renameTo(from, text.trimmed()); });
    dialog->open();
}

void FramingRow::renameTo(const QString& from, const QString& to) {
    if (to.isEmpty() || to == from)
        return;
    if (!names_.contains(to)) {
        emit renameRequested(from, to);
        return;
    }
    confirm(tr("Replace Framing"), tr("A framing named \"%1\" exists. Replace it?").arg(to), tr("Replace"),
            [this, from, to] { emit renameRequested(from, to); });
}

void FramingRow::askDelete() {
    const QString name = shownName();
    if (!names_.contains(name))
        return;
    confirm(tr("Delete Framing"), tr("Delete the framing \"%1\"?").arg(name), tr("Delete"),
            [this, name] { emit deleteRequested(name); });
}
