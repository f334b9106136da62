// The yardstick of bench_startup: a bare Qt Widgets program showing one label.
#include <QApplication>
#include <QLabel>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QLabel label(QStringLiteral("Lumora X8 Setting Software"));
    label.show();
    return app.exec();
}
