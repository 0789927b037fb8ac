// Draws the program's icon: the PNG sizes of the hicolor theme and a scalable SVG, all from the
// one set of shapes below so that every size shows the same picture.
// Usage: make_icons OUTDIR NAME   (writes OUTDIR/hicolor/<size>/apps/NAME.png and .svg)
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

namespace {

// On a 256-unit square: a blue tile, a white sheet with three lines, and a green tick.
constexpr QRectF kTile(8, 8, 240, 240);
constexpr QRectF kSheet(60, 36, 136, 184);
constexpr QLineF kLines[] = {{84, 76, 172, 76}, {84, 108, 172, 108}, {84, 140, 140, 140}};
constexpr QPointF kTick[] = {{96, 176}, {124, 200}, {204, 116}};
constexpr const char* kBlue = "#1e5aa8";
constexpr const char* kGreen = "#2e9e3e";
constexpr const char* kGrey = "#8a94a6";

void Draw(QPainter& p) {
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(kBlue));
  p.drawRoundedRect(kTile, 40, 40);
  p.setBrush(Qt::white);
  p.drawRoundedRect(kSheet, 10, 10);
  p.setPen(QPen(QColor(kGrey), 12, Qt::SolidLine, Qt::RoundCap));
  for (const auto& line : kLines) p.drawLine(line);
  p.setPen(QPen(QColor(kGreen), 24, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.drawPolyline(kTick, 3);
}

QString Svg() {
  QString lines;
  for (const auto& l : kLines) {
    lines += QStringLiteral("  <line x1=\"%1\" y1=\"%2\" x2=\"%3\" y2=\"%4\"/>\n")
                 .arg(l.x1())
                 .arg(l.y1())
                 .arg(l.x2())
                 .arg(l.y2());
  }
  return QStringLiteral(
             "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" "
             "viewBox=\"0 0 256 256\">\n"
             "  <rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\" rx=\"40\" fill=\"%5\"/>\n"
             "  <rect x=\"%6\" y=\"%7\" width=\"%8\" height=\"%9\" rx=\"10\" fill=\"#ffffff\"/>\n"
             "  <g stroke=\"%10\" stroke-width=\"12\" stroke-linecap=\"round\">\n%11  </g>\n")
             .arg(kTile.x())
             .arg(kTile.y())
             .arg(kTile.width())
             .arg(kTile.height())
             .arg(QLatin1String(kBlue))
             .arg(kSheet.x())
             .arg(kSheet.y())
             .arg(kSheet.width())
             .arg(kSheet.height())
             .arg(QLatin1String(kGrey), lines) +
         QStringLiteral(
             "  <polyline points=\"%1,%2 %3,%4 %5,%6\" fill=\"none\" stroke=\"%7\" "
             "stroke-width=\"24\" stroke-linecap=\"round\" stroke-linejoin=\"round\"/>\n</svg>\n")
             .arg(kTick[0].x())
             .arg(kTick[0].y())
             .arg(kTick[1].x())
             .arg(kTick[1].y())
             .arg(kTick[2].x())
             .arg(kTick[2].y())
             .arg(QLatin1String(kGreen));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  const QString out = QString::fromLocal8Bit(argv[1]) + QStringLiteral("/hicolor/");
  const QString name = QString::fromLocal8Bit(argv[2]);
  for (int size : {16, 24, 32, 48, 64, 128, 256}) {
    const QString dir = out + QStringLiteral("%1x%1/apps/").arg(size);
    QDir().mkpath(dir);
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.scale(size / 256.0, size / 256.0);
    Draw(painter);
    painter.end();
    if (!image.save(dir + name + QStringLiteral(".png"))) return 1;
  }
  QDir().mkpath(out + QStringLiteral("scalable/apps"));
  QFile svg(out + QStringLiteral("scalable/apps/") + name + QStringLiteral(".svg"));
  if (!svg.open(QIODevice::WriteOnly)) return 1;
  svg.write(Svg().toUtf8());
  return 0;
}
