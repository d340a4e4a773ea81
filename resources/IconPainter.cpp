// Draws PackShelf's icons: the four state pins of the content list, each
// with a light rim, at 16 and 32 pixels ("pin_green.png", "pin_green@2x.png", ...) and the
// application icon at the sizes a Linux desktop looks for ("packshelf-48.png", ...). Every size is
// drawn from the shapes themselves rather than scaled from another picture, so each one stays
// sharp.
//
//     packshelf-draw-icons resources/icons

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cstdio>

namespace {

struct PinColours {
    const char* name;
    QColor light;
    QColor base;
    QColor edge;
};

const PinColours Pins[] = {
    {"pin_grey", QColor(0xc4, 0xc8, 0xcd), QColor(0x8b, 0x92, 0x9a), QColor(0x55, 0x5c, 0x64)},
    {"pin_green", QColor(0x7d, 0xdc, 0x8c), QColor(0x2f, 0xa8, 0x4f), QColor(0x1a, 0x6b, 0x30)},
    {"pin_red", QColor(0xff, 0x8f, 0x8a), QColor(0xe0, 0x3e, 0x3e), QColor(0x98, 0x1f, 0x22)},
    {"pin_blue", QColor(0x8c, 0xb8, 0xff), QColor(0x35, 0x78, 0xe5), QColor(0x1b, 0x47, 0xa6)},
};

QImage transparentImage(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

// A map pin in a 16-unit square: a round head and a point at the bottom.
QPainterPath pinOutline() {
    QPainterPath path;
    const QPointF centre(8.0, 6.2);
    const double radius = 5.3;
    path.moveTo(8.0, 15.2);
    path.cubicTo(6.9, 12.6, 3.0, 10.4, 2.75, 6.6);
    path.arcTo(QRectF(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius), 184.0,
               -188.0);
    path.cubicTo(13.0, 10.4, 9.1, 12.6, 8.0, 15.2);
    path.closeSubpath();
    return path;
}

QImage drawPin(const PinColours& colours, int size) {
    QImage image = transparentImage(size);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 16.0, size / 16.0);

    // A light rim keeps the pin visible on a selected (highlighted) row.
    painter.setBrush(Qt::NoBrush);
    painter.setPen(
        QPen(QColor(255, 255, 255, 230), 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(pinOutline());

    QRadialGradient body(QPointF(6.2, 4.4), 7.5);
    body.setColorAt(0.0, colours.light);
    body.setColorAt(0.55, colours.base);
    body.setColorAt(1.0, colours.base.darker(115));
    painter.setBrush(body);
    painter.setPen(QPen(colours.edge, size >= 32 ? 0.55 : 0.8));
    painter.drawPath(pinOutline());

    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, 235));
    painter.drawEllipse(QPointF(8.0, 6.2), 1.9, 1.9);
    return image;
}

void drawBox(QPainter& painter, const QRectF& box, const QColor& colour) {
    QLinearGradient fill(box.topLeft(), box.bottomLeft());
    fill.setColorAt(0.0, colour.lighter(118));
    fill.setColorAt(1.0, colour.darker(108));
    painter.setBrush(fill);
    painter.setPen(QPen(colour.darker(150), 2.0));
    painter.drawRoundedRect(box, 5, 5);
    // the packing tape across the lid
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, 120));
    painter.drawRect(QRectF(box.center().x() - box.width() * 0.09, box.top() + 2,
                            box.width() * 0.18, box.height() * 0.45));
}

// The application icon in a 256-unit square: a rounded tile with a shelf
// holding three packages.
QImage drawApplicationIcon(int size) {
    QImage image = transparentImage(size);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 256.0, size / 256.0);

    const QRectF tile(12, 12, 232, 232);
    QLinearGradient background(tile.topLeft(), tile.bottomLeft());
    background.setColorAt(0.0, QColor(0x3d, 0x8b, 0xd9));
    background.setColorAt(1.0, QColor(0x1f, 0x4e, 0x9a));
    painter.setBrush(background);
    painter.setPen(QPen(QColor(0x17, 0x3d, 0x7a), 4));
    painter.drawRoundedRect(tile, 48, 48);

    drawBox(painter, QRectF(38, 118, 60, 60), QColor(0xe8, 0xb0, 0x5c));
    drawBox(painter, QRectF(104, 74, 78, 104), QColor(0xd9, 0x8c, 0x3f));
    drawBox(painter, QRectF(188, 130, 40, 48), QColor(0xf0, 0xc8, 0x7a));

    QLinearGradient plank(QPointF(0, 178), QPointF(0, 202));
    plank.setColorAt(0.0, QColor(0xf4, 0xf1, 0xea));
    plank.setColorAt(1.0, QColor(0xc9, 0xc2, 0xb4));
    painter.setBrush(plank);
    painter.setPen(QPen(QColor(0x6b, 0x64, 0x58), 3));
    painter.drawRoundedRect(QRectF(28, 178, 200, 22), 6, 6);
    painter.setBrush(QColor(0x9a, 0x92, 0x84));
    painter.setPen(Qt::NoPen);
    painter.drawRect(QRectF(52, 200, 14, 22));
    painter.drawRect(QRectF(190, 200, 14, 22));
    return image;
}

bool save(const QImage& image, const QDir& folder, const QString& name) {
    const QString path = folder.filePath(name);
    if (!image.save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fputs("Usage: packshelf-draw-icons FOLDER\n", stderr);
        return 2;
    }
    QDir folder(QString::fromLocal8Bit(argv[1]));
    folder.mkpath(QStringLiteral("."));
    bool ok = true;
    for (const PinColours& pin : Pins) {
        const QString name = QString::fromLatin1(pin.name);
        ok = save(drawPin(pin, 16), folder, name + QStringLiteral(".png")) && ok;
        ok = save(drawPin(pin, 32), folder, name + QStringLiteral("@2x.png")) && ok;
    }
    for (int size : {16, 32, 48, 64, 128, 256})
        ok =
            save(drawApplicationIcon(size), folder, QStringLiteral("packshelf-%1.png").arg(size)) &&
            ok;
    return ok ? 0 : 1;
}
