#pragma once
// The information page's modal questions and messages (translation context "InfoTab").
#include <QCoreApplication>
#include <QString>

class QWidget;

class PageDialogs {
    Q_DECLARE_TR_FUNCTIONS(InfoTab)

public:
    // A question with "Cancel" and another button; true when the other one was pressed.
    static bool ask(QWidget* parent, const QString& title, const QString& content, const QString& rightText);
    // A message with only "OK".
    static void tell(QWidget* parent, const QString& title, const QString& content);
};
