// The yardstick of bench_startup: a bare Qt Widgets program showing one label, at its own
// size or, given "WxH", in a window of that size (the pixels a big window costs to set up
// and paint, without anything in it).
#include <QApplication>
#include <QLabel>
#include <QSize>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QLabel label(QStringLiteral("Lumora X8 Setting Software"));
    const QStringList size = argc > 1 ? QString::fromLatin1(argv[1]).split(QLatin1Char('x')) : QStringList();
    if (size.size() == 2)
        label.resize(size[0].toInt(), size[1].toInt());
    label.show();
    return app.exec();
}
