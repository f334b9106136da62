#pragma once
// Qt's own command-line options (-platform, -style, -reverse and the others that
// QApplication reads from argc and argv). The program's parser must not see them as its
// own: they stay in argv for the application object.
#include <QStringList>

// arguments (the program's name first) without Qt's standard options and their values.
// Each option is recognised with one or two leading dashes and, where it takes a value,
// with the value as the next argument or after '='.
QStringList withoutQtOptions(const QStringList& arguments);
