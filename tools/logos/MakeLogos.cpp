// Draws the program's images: the maker logo "Orvane_Logo_RGB.png" (with transparency),
// the sponsor logo "Quindle_logo.png" and the application icon "marevert.png".
//   make_logos OUTPUT_FOLDER
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cstdio>

namespace {

const QColor kDeepBlue(0x0b, 0x3c, 0x5d);
const QColor kSea(0x1d, 0x7f, 0xa8);
const QColor kFoam(0x7f, 0xd1, 0xe6);
const QColor kSand(0xe8, 0xb9, 0x4a);

// A band of waves between y0 and y1 across [x0, x1].
QPainterPath WaveBand(double x0, double x1, double y, double amplitude, double period, double depth) {
  QPainterPath path;
  path.moveTo(x0, y);
  for (double x = x0; x < x1; x += period) {
    path.cubicTo(x + period * 0.25, y - amplitude, x + period * 0.75, y + amplitude, x + period, y);
  }
  path.lineTo(x1, y + depth);
  path.lineTo(x0, y + depth);
  path.closeSubpath();
  return path;
}

// Maker logo: a round badge with a tide line and waves, and the word mark, on a
// transparent background.
QImage MakerLogo() {
  QImage image(1200, 400, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);

  const QRectF badge(30, 30, 340, 340);
  QPainterPath circle;
  circle.addEllipse(badge);
  p.setClipPath(circle);
  QLinearGradient sky(0, 30, 0, 370);
  sky.setColorAt(0, QColor(0xf4, 0xf8, 0xfb));
  sky.setColorAt(1, QColor(0xd6, 0xe9, 0xf2));
  p.fillPath(circle, sky);
  p.fillPath(WaveBand(0, 420, 190, 22, 120, 200), kFoam);
  p.fillPath(WaveBand(-40, 420, 230, 20, 110, 200), kSea);
  p.fillPath(WaveBand(-20, 420, 280, 16, 100, 200), kDeepBlue);
  // The tide staff: a vertical scale across the surfaces.
  p.setPen(QPen(kSand, 10, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(200, 70), QPointF(200, 340));
  p.setPen(QPen(kSand, 6, Qt::SolidLine, Qt::RoundCap));
  for (int i = 0; i < 9; ++i) {
    const double y = 90 + i * 28;
    p.drawLine(QPointF(200, y), QPointF(i % 2 ? 222 : 236, y));
  }
  p.setClipping(false);
  p.setPen(QPen(kDeepBlue, 12));
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(badge);

  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(160);
  font.setBold(true);
  p.setFont(font);
  p.setPen(kDeepBlue);
  p.drawText(QRectF(400, 40, 790, 240), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("ORVANE"));
  QFont small(QStringLiteral("DejaVu Sans"));
  small.setPixelSize(56);
  p.setFont(small);
  p.setPen(kSea);
  p.drawText(QRectF(408, 270, 790, 90), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("hydrographic tools"));
  return image;
}

// Sponsor logo: an opaque card with a stylised "Q" made of a ring and a chevron.
QImage SponsorLogo() {
  QImage image(960, 300, QImage::Format_RGB32);
  image.fill(QColor(0xfa, 0xfa, 0xf7));
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(0x2e, 0x6b, 0x3a), 34));
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(QRectF(45, 45, 210, 210));
  p.setPen(QPen(kSand, 34, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(175, 175), QPointF(265, 265));
  QFont font(QStringLiteral("DejaVu Serif"));
  font.setPixelSize(150);
  p.setFont(font);
  p.setPen(QColor(0x2e, 0x6b, 0x3a));
  p.drawText(QRectF(300, 20, 640, 260), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Quindle"));
  return image;
}

// Application icon: the tide staff over waves in a rounded square.
QImage Icon() {
  QImage image(256, 256, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  QPainterPath frame;
  frame.addRoundedRect(QRectF(8, 8, 240, 240), 44, 44);
  p.setClipPath(frame);
  p.fillPath(frame, QColor(0xf4, 0xf8, 0xfb));
  p.fillPath(WaveBand(0, 300, 120, 16, 86, 200), kFoam);
  p.fillPath(WaveBand(-30, 300, 150, 14, 80, 200), kSea);
  p.fillPath(WaveBand(-10, 300, 186, 12, 72, 200), kDeepBlue);
  p.setPen(QPen(kSand, 12, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(128, 40), QPointF(128, 224));
  p.setPen(QPen(kSand, 8, Qt::SolidLine, Qt::RoundCap));
  for (int i = 0; i < 6; ++i) p.drawLine(QPointF(128, 56 + i * 30), QPointF(i % 2 ? 146 : 160, 56 + i * 30));
  p.setClipping(false);
  p.setPen(QPen(kDeepBlue, 10));
  p.setBrush(Qt::NoBrush);
  p.drawPath(frame);
  return image;
}

bool Save(const QImage& image, const QDir& folder, const char* name) {
  const QString path = folder.filePath(QString::fromUtf8(name));
  if (!image.save(path, "PNG")) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
  }
  std::printf("wrote %s\n", qPrintable(path));
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_logos OUTPUT_FOLDER\n");
    return 2;
  }
  const QDir folder(QString::fromLocal8Bit(argv[1]));
  const bool ok = Save(MakerLogo().convertToFormat(QImage::Format_ARGB32), folder, "Orvane_Logo_RGB.png") &&
                  Save(SponsorLogo(), folder, "Quindle_logo.png") &&
                  Save(Icon().convertToFormat(QImage::Format_ARGB32), folder, "marevert.png");
  return ok ? 0 : 1;
}
