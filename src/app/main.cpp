#include <QApplication>
#include <QMainWindow>

#include "app/read_config.h"

int main(int argc, char* argv[]) {
    readConfig();
    QApplication app(argc, argv);
    QMainWindow window;
    window.show();
    return app.exec();
}
