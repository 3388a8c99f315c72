// Paints the program's icon set: one 48x48 PNG per icon code, each a simple silhouette seen from
// above with its front pointing north, so that the heading Google Earth applies turns it to the
// station's course. Usage: vireo-icon-painter OUTPUT_FOLDER
#include <QColor>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QString>
#include <cstdio>
#include <functional>
#include <map>
#include <string>

#include "earth/IconSet.h"

namespace {

constexpr int kSize = 48;
const QColor kOutline(20, 20, 20);
const QColor kGlass(170, 215, 240);

void Pen(QPainter& p, qreal width = 1.5) {
    p.setPen(QPen(kOutline, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
}

// A road vehicle seen from above: body, windscreen at the front, rear window behind.
void Vehicle(QPainter& p, QRectF body, QColor paint, bool rearWindow = true) {
    Pen(p);
    p.setBrush(paint);
    p.drawRoundedRect(body, 4, 4);
    p.setBrush(kGlass);
    const qreal inset = body.width() * 0.15;
    p.drawRoundedRect(QRectF(body.left() + inset, body.top() + 5, body.width() - 2 * inset, 6), 2,
                      2);
    if (rearWindow) {
        p.drawRoundedRect(
            QRectF(body.left() + inset, body.bottom() - 8, body.width() - 2 * inset, 4), 1, 1);
    }
}

void Car(QPainter& p) {
    Vehicle(p, QRectF(14, 5, 20, 38), QColor(40, 90, 200));
}

void Police(QPainter& p) {
    Vehicle(p, QRectF(14, 5, 20, 38), QColor(245, 245, 245));
    p.setBrush(QColor(30, 80, 230));
    p.drawRect(QRectF(15, 22, 9, 4));
    p.setBrush(QColor(230, 30, 30));
    p.drawRect(QRectF(24, 22, 9, 4));
}

void Van(QPainter& p) {
    Vehicle(p, QRectF(13, 3, 22, 42), QColor(120, 150, 120), false);
}

void Ambulance(QPainter& p) {
    Vehicle(p, QRectF(13, 3, 22, 42), QColor(250, 250, 250), false);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(220, 20, 20));
    p.drawRect(QRectF(21, 20, 6, 18));
    p.drawRect(QRectF(15, 26, 18, 6));
}

void Jeep(QPainter& p) {
    Vehicle(p, QRectF(14, 6, 20, 34), QColor(100, 110, 50), false);
    Pen(p);
    p.setBrush(QColor(40, 40, 40));
    p.drawEllipse(QRectF(18, 37, 12, 9));
}

void Truck(QPainter& p) {
    Vehicle(p, QRectF(15, 2, 18, 12), QColor(210, 40, 40), false);
    Pen(p);
    p.setBrush(QColor(180, 180, 180));
    p.drawRect(QRectF(13, 16, 22, 30));
}

void FireTruck(QPainter& p) {
    Vehicle(p, QRectF(13, 2, 22, 44), QColor(220, 30, 30), false);
    Pen(p, 1.2);
    p.setBrush(QColor(220, 220, 220));
    p.drawRect(QRectF(20, 14, 8, 30));
    for (int y = 18; y < 44; y += 5) p.drawLine(QPointF(20, y), QPointF(28, y));
}

void Camper(QPainter& p) {
    Vehicle(p, QRectF(12, 2, 24, 44), QColor(235, 225, 190), false);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(160, 90, 40));
    p.drawRect(QRectF(13, 24, 22, 3));
    p.drawRect(QRectF(13, 30, 22, 3));
}

void Train(QPainter& p) {
    Pen(p);
    p.setBrush(QColor(60, 60, 70));
    QPainterPath nose;
    nose.moveTo(16, 12);
    nose.quadTo(16, 2, 24, 2);
    nose.quadTo(32, 2, 32, 12);
    nose.lineTo(32, 24);
    nose.lineTo(16, 24);
    nose.closeSubpath();
    p.drawPath(nose);
    p.drawRect(QRectF(16, 26, 16, 20));
    p.setBrush(QColor(240, 200, 40));
    p.drawRect(QRectF(19, 8, 10, 4));
}

void Motorcycle(QPainter& p) {
    Pen(p);
    p.setBrush(QColor(30, 30, 30));
    p.drawRoundedRect(QRectF(21, 4, 6, 40), 3, 3);
    Pen(p, 3);
    p.drawLine(QPointF(13, 14), QPointF(35, 14));
    Pen(p);
    p.setBrush(QColor(220, 120, 20));
    p.drawEllipse(QRectF(17, 18, 14, 12));
    p.setBrush(QColor(250, 250, 250));
    p.drawEllipse(QRectF(20, 19, 8, 8));
}

void Bicycle(QPainter& p) {
    Pen(p, 3);
    p.drawLine(QPointF(24, 3), QPointF(24, 45));
    p.drawLine(QPointF(14, 12), QPointF(34, 12));
    Pen(p);
    p.setBrush(QColor(40, 160, 60));
    p.drawEllipse(QRectF(16, 20, 16, 11));
    p.setBrush(QColor(240, 200, 160));
    p.drawEllipse(QRectF(20, 18, 8, 8));
}

void Aircraft(QPainter& p) {
    Pen(p);
    p.setBrush(QColor(240, 240, 250));
    QPolygonF shape;
    shape << QPointF(24, 2) << QPointF(27, 8) << QPointF(27, 18) << QPointF(45, 28)
          << QPointF(45, 31) << QPointF(27, 26) << QPointF(26, 38) << QPointF(33, 43)
          << QPointF(33, 46) << QPointF(24, 44) << QPointF(15, 46) << QPointF(15, 43)
          << QPointF(22, 38) << QPointF(21, 26) << QPointF(3, 31) << QPointF(3, 28)
          << QPointF(21, 18) << QPointF(21, 8);
    p.drawPolygon(shape);
}

void Helicopter(QPainter& p) {
    Pen(p);
    p.setBrush(QColor(200, 60, 60));
    p.drawRect(QRectF(23, 24, 3, 20));
    p.drawRect(QRectF(18, 41, 13, 3));
    p.drawEllipse(QRectF(16, 6, 16, 22));
    p.setBrush(kGlass);
    p.drawEllipse(QRectF(19, 7, 10, 7));
    Pen(p, 2.5);
    p.drawLine(QPointF(6, 6), QPointF(42, 28));
    p.drawLine(QPointF(42, 6), QPointF(6, 28));
}

void Boat(QPainter& p) {
    Pen(p);
    p.setBrush(QColor(250, 250, 250));
    QPainterPath hull;
    hull.moveTo(24, 2);
    hull.cubicTo(34, 12, 35, 20, 35, 30);
    hull.lineTo(34, 46);
    hull.lineTo(14, 46);
    hull.lineTo(13, 30);
    hull.cubicTo(13, 20, 14, 12, 24, 2);
    p.drawPath(hull);
    p.setBrush(QColor(40, 90, 170));
    p.drawRoundedRect(QRectF(18, 24, 12, 14), 2, 2);
}

void Jogger(QPainter& p) {
    Pen(p);
    p.setBrush(QColor(230, 110, 30));
    p.drawEllipse(QRectF(10, 18, 28, 12));
    p.drawEllipse(QRectF(13, 8, 7, 12));
    p.drawEllipse(QRectF(28, 28, 7, 12));
    p.setBrush(QColor(120, 70, 30));
    p.drawEllipse(QRectF(18, 16, 12, 12));
    // Front is north: a small nose mark.
    p.setBrush(QColor(240, 200, 160));
    p.drawEllipse(QRectF(22, 13, 4, 4));
}

void Balloon(QPainter& p) {
    Pen(p);
    p.setBrush(QColor(240, 70, 70));
    p.drawEllipse(QRectF(6, 6, 36, 36));
    p.setBrush(QColor(250, 210, 40));
    for (int angle = 0; angle < 360; angle += 60)
        p.drawPie(QRectF(6, 6, 36, 36), angle * 16, 30 * 16);
    p.setBrush(QColor(140, 90, 40));
    p.drawRect(QRectF(20, 20, 8, 8));
}

void Handheld(QPainter& p) {
    Pen(p, 3);
    p.drawLine(QPointF(20, 4), QPointF(20, 16));
    Pen(p);
    p.setBrush(QColor(50, 50, 60));
    p.drawRoundedRect(QRectF(15, 15, 18, 30), 3, 3);
    p.setBrush(QColor(150, 220, 150));
    p.drawRect(QRectF(18, 19, 12, 7));
    p.setBrush(QColor(200, 200, 200));
    for (int y = 30; y <= 38; y += 4) p.drawRect(QRectF(18, y, 12, 2));
}

void Station(QPainter& p) {
    Pen(p);
    p.setBrush(QColor(250, 200, 30));
    QPolygonF arrow;
    arrow << QPointF(24, 3) << QPointF(40, 43) << QPointF(24, 34) << QPointF(8, 43);
    p.drawPolygon(arrow);
}

const std::map<std::string, std::function<void(QPainter&)>>& Painters() {
    static const std::map<std::string, std::function<void(QPainter&)>> painters = {
        {"CA", Car},        {"TN", Train},     {"MO", Motorcycle}, {"AI", Aircraft},
        {"KE", Handheld},   {"BA", Balloon},   {"PO", Police},     {"RE", Camper},
        {"HE", Helicopter}, {"BO", Boat},      {"JO", Jogger},     {"AM", Ambulance},
        {"CY", Bicycle},    {"FT", FireTruck}, {"JE", Jeep},       {"TR", Truck},
        {"VA", Van},        {"00", Station},
    };
    return painters;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.exists() && !QDir().mkpath(folder.path())) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }
    for (const vireo::IconFile& icon : vireo::kIconFiles) {
        const auto painter = Painters().find(std::string(icon.code));
        if (painter == Painters().end()) {
            std::fprintf(stderr, "no drawing for icon code %.*s\n",
                         static_cast<int>(icon.code.size()), icon.code.data());
            return 1;
        }
        QImage image(kSize, kSize, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        {
            QPainter p(&image);
            p.setRenderHint(QPainter::Antialiasing);
            painter->second(p);
        }
        const QString path = folder.filePath(
            QString::fromLatin1(icon.file.data(), static_cast<qsizetype>(icon.file.size())));
        if (!image.save(path, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", path.toLocal8Bit().constData());
            return 1;
        }
    }
    return 0;
}
