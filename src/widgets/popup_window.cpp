#include "widgets/popup_window.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QResizeEvent>
#include <QVBoxLayout>

#include "widgets/dialog_scale.h"
#include "widgets/dialog_style.h"

PopupWindow::PopupWindow(QWidget* parent) : QWidget(parent) {
    setupUi();
    setWindowFlags(windowFlags() | Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setAttribute(Qt::WA_TranslucentBackground);
    // A hint must not take the focus from the window under the pointer.
    setAttribute(Qt::WA_ShowWithoutActivating);
}

void PopupWindow::setupUi() {
    setObjectName(QStringLiteral("PopupWindow"));
    resize(365, 150);

    auto* outerLayout = new QVBoxLayout(this);
    outerLayout->setContentsMargins(0, 0, 0, 0);

    auto* frame = new QWidget(this);
    frame->setObjectName(QStringLiteral("verticalWidget"));
    frame->setAttribute(Qt::WA_StyledBackground);
    frame->setStyleSheet(
        QStringLiteral("#verticalWidget { background-color: #323943; border-radius: 4px;"
                       " border: 1px solid rgba(255, 255, 255, 0.15); }"));
    outerLayout->addWidget(frame);

    auto* frameLayout = new QVBoxLayout(frame);
    frameLayout->setContentsMargins(0, 0, 0, 10);
    frameLayout->setSpacing(0);

    auto* titleRow = new QWidget(frame);
    titleRow->setObjectName(QStringLiteral("horizontalWidget"));
    titleRow->setMinimumWidth(301);
    titleRow->setFixedHeight(51);
    auto* titleLayout = new QHBoxLayout(titleRow);
    titleLayout->setObjectName(QStringLiteral("horizontalLayout"));
    titleLayout->setContentsMargins(15, 0, 15, 0);
    titleLayout->setSpacing(10);

    auto* marker = new QWidget(titleRow);
    marker->setObjectName(QStringLiteral("marker"));
    marker->setAttribute(Qt::WA_StyledBackground);
    marker->setFixedSize(3, 20);
    marker->setStyleSheet(QStringLiteral("background-color: rgb(62, 145, 255); border: none;"));
    titleLayout->addWidget(marker);

    title = new QLabel(titleRow);
    title->setObjectName(QStringLiteral("title"));
    title->setFont(calibriFont(14, QFont::Bold));
    title->setStyleSheet(QLatin1String(kWhiteTextStyle));
    titleLayout->addWidget(title, 1);
    frameLayout->addWidget(titleRow);

    content = new QLabel(frame);
    content->setObjectName(QStringLiteral("content"));
    content->setFont(calibriFont(12));
    content->setMinimumWidth(265);
    content->setWordWrap(true);
    content->setAlignment(Qt::AlignLeading | Qt::AlignLeft | Qt::AlignVCenter);
    content->setContentsMargins(15, 0, 15, 0);
    content->setStyleSheet(QLatin1String(kWhiteTextStyle));
    frameLayout->addWidget(content, 1);
}

void PopupWindow::setContents(const QString& titleText, const QString& contentText) {
    title->setText(titleText);
    content->setText(contentText);
    double factor = dialogScaleFactor();
    if (factor > 1.0)
        factor /= 1.03;
    setFixedWidth(static_cast<int>(width() * factor));
    // Wrapped lines (a wider font than the texts were broken for) make the hint taller,
    // never cut.
    const int needed = layout()->totalHeightForWidth(width());
    if (needed > height())
        resize(width(), needed);
    updateGeometry();
}

QSize PopupWindow::sizeHint() const {
    return size();
}

void PopupWindow::resizeEvent(QResizeEvent* event) {
    if (QWidget* owner = parentWidget()) {
        const QPoint origin = owner->mapToGlobal(QPoint(0, 0));
        move(origin.x() - width() / 2, origin.y() - height());
    }
    QWidget::resizeEvent(event);
}
