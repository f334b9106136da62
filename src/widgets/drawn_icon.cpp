#include "widgets/drawn_icon.h"

#include <QImageReader>

QIcon drawnIcon(const char* group, const char* name) {
    static const bool svgReadable = QImageReader::supportedImageFormats().contains("svg");
    const QString stem = QString::fromLatin1(group) + QLatin1Char('/') + QString::fromLatin1(name);
    if (svgReadable)
        return QIcon(QStringLiteral(":/drawings/") + stem + QStringLiteral(".svg"));
    return QIcon(QStringLiteral(":/") + stem + QStringLiteral(".png"));
}
