// Draws the program's pictures: the 400 x 300 background of the main window (256 colours) and the two
// window icons (32 x 32 in 16 colours, 48 x 48 in 256 colours): a stage under a lighting truss, beams
// from moving heads through haze, and the controller's desk. The same icon, in full colour at 48, 128
// and 256 pixels and as SVG, is the one the desktop shows in its menus. Run it to make the files again:
//   make_pictures PICTURES_DIR ICONS_DIR
#include <QColor>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QString>
#include <QSvgGenerator>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

namespace {

// A light beam from a fixture at `from`, spreading to `width` at `to`.
void Beam(QPainter& p, QPointF from, QPointF to, double width, QColor colour) {
  const QPointF dir = to - from;
  const double len = std::hypot(dir.x(), dir.y());
  const QPointF n(-dir.y() / len, dir.x() / len);
  QPainterPath cone;
  cone.moveTo(from + n * 2.0);
  cone.lineTo(to + n * (width / 2));
  cone.lineTo(to - n * (width / 2));
  cone.lineTo(from - n * 2.0);
  cone.closeSubpath();
  QLinearGradient g(from, to);
  QColor hot = colour;
  hot.setAlpha(170);
  QColor cold = colour;
  cold.setAlpha(18);
  g.setColorAt(0, hot);
  g.setColorAt(1, cold);
  p.setPen(Qt::NoPen);
  p.setBrush(g);
  p.drawPath(cone);
  // The pool of light where the beam meets the floor.
  QRadialGradient pool(to, width * 0.7);
  QColor poolColour = colour;
  poolColour.setAlpha(120);
  pool.setColorAt(0, poolColour);
  pool.setColorAt(1, QColor(0, 0, 0, 0));
  p.setBrush(pool);
  p.drawEllipse(to, width * 0.7, width * 0.22);
}

// A four-cornered shape shaded from `top` at its highest corner to `bottom` at its lowest.
void ShadedQuad(QPainter& p, std::array<QPointF, 4> corners, QColor top, QColor bottom, const QPen& pen) {
  QPainterPath path;
  path.moveTo(corners[0]);
  double high = corners[0].y(), low = corners[0].y();
  for (std::size_t i = 1; i < corners.size(); ++i) {
    path.lineTo(corners[i]);
    high = std::min(high, corners[i].y());
    low = std::max(low, corners[i].y());
  }
  path.closeSubpath();
  QLinearGradient shade(0, high, 0, low);
  shade.setColorAt(0, top);
  shade.setColorAt(1, bottom);
  p.setPen(pen);
  p.setBrush(shade);
  p.drawPath(path);
}

void MovingHead(QPainter& p, QPointF at, double scale) {
  p.setPen(QPen(QColor(20, 20, 26), 1));
  p.setBrush(QColor(58, 60, 70));
  p.drawRoundedRect(QRectF(at.x() - 6 * scale, at.y() - 2 * scale, 12 * scale, 5 * scale), 1.5, 1.5);
  p.setBrush(QColor(40, 42, 50));
  p.drawEllipse(at + QPointF(0, 6 * scale), 5 * scale, 5 * scale);
  p.setBrush(QColor(255, 250, 230));
  p.drawEllipse(at + QPointF(0, 8 * scale), 2.2 * scale, 2.2 * scale);
}

QImage Background() {
  QImage img(400, 300, QImage::Format_ARGB32_Premultiplied);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);

  QLinearGradient sky(0, 0, 0, 300);
  sky.setColorAt(0, QColor(8, 10, 28));
  sky.setColorAt(0.65, QColor(22, 18, 48));
  sky.setColorAt(1, QColor(6, 6, 12));
  p.fillRect(img.rect(), sky);

  // Back wall curtain folds.
  for (int x = 0; x < 400; x += 16) {
    QLinearGradient fold(x, 0, x + 16, 0);
    fold.setColorAt(0, QColor(40, 8, 22, 70));
    fold.setColorAt(0.5, QColor(80, 16, 40, 70));
    fold.setColorAt(1, QColor(40, 8, 22, 70));
    p.fillRect(QRectF(x, 40, 16, 170), fold);
  }

  // Stage floor in perspective.
  ShadedQuad(p, {{{0, 300}, {60, 205}, {340, 205}, {400, 300}}}, QColor(52, 36, 30), QColor(24, 16, 14),
             Qt::NoPen);
  p.setPen(QPen(QColor(70, 50, 40, 140), 1));
  for (int i = 1; i < 8; ++i) {
    const double y = 205 + i * i * 1.6;
    p.drawLine(QPointF(60 - (y - 205) * 0.63, y), QPointF(340 + (y - 205) * 0.63, y));
  }

  // Beams crossing through the haze.
  const struct {
    double x;
    double tx;
    QColor colour;
  } beams[] = {
      {70, 170, QColor(255, 40, 200)}, {135, 60, QColor(40, 220, 255)},  {200, 250, QColor(255, 190, 40)},
      {265, 140, QColor(60, 90, 255)}, {330, 300, QColor(80, 255, 120)},
  };
  p.setCompositionMode(QPainter::CompositionMode_Plus);
  for (const auto& b : beams)
    Beam(p, QPointF(b.x, 36), QPointF(b.tx, 238), 46, b.colour);
  p.setCompositionMode(QPainter::CompositionMode_SourceOver);

  // The truss and its fixtures.
  p.setPen(QPen(QColor(150, 150, 160), 1.2));
  p.setBrush(Qt::NoBrush);
  p.drawLine(QPointF(20, 22), QPointF(380, 22));
  p.drawLine(QPointF(20, 30), QPointF(380, 30));
  for (int x = 20; x < 380; x += 8)
    p.drawLine(QPointF(x, 22), QPointF(x + 8, 30));
  for (const auto& b : beams)
    MovingHead(p, QPointF(b.x, 30), 1.0);

  // The controller's desk at the front of house.
  ShadedQuad(p, {{{232, 300}, {246, 252}, {392, 252}, {400, 300}}}, QColor(70, 74, 86), QColor(28, 30, 36),
             QPen(QColor(12, 12, 16), 1));
  // Faders, 16 channels.
  for (int i = 0; i < 16; ++i) {
    const double x = 254 + i * 8.3;
    p.setPen(QPen(QColor(15, 15, 18), 1.4));
    p.drawLine(QPointF(x, 262), QPointF(x - 1.5, 292));
    const double level = 0.5 + 0.45 * std::sin(i * 0.9);
    const double y = 262 + (1 - level) * 26;
    p.setPen(Qt::NoPen);
    p.setBrush(i % 4 == 0 ? QColor(255, 120, 40) : QColor(210, 214, 224));
    p.drawRect(QRectF(x - 2.8, y, 5, 3.2));
  }
  // Status LEDs.
  for (int i = 0; i < 6; ++i) {
    p.setBrush(i == 2 ? QColor(255, 60, 60) : QColor(60, 255, 110));
    p.drawEllipse(QPointF(252 + i * 6, 256), 1.4, 1.4);
  }

  QFont title("DejaVu Sans", 15, QFont::Bold);
  p.setFont(title);
  p.setPen(QColor(235, 240, 255, 230));
  p.drawText(QRectF(0, 222, 232, 30), Qt::AlignCenter, "Kavira Oxbrine");
  QFont sub("DejaVu Sans", 8);
  p.setFont(sub);
  p.setPen(QColor(170, 180, 210, 220));
  p.drawText(QRectF(0, 246, 232, 16), Qt::AlignCenter, "qz418  \u2022  sterownik o\u015bwietlenia");
  p.end();
  return img.convertToFormat(QImage::Format_Indexed8, Qt::DiffuseDither);
}

// The icon drawn on a `size` square: a moving head's beam and three faders on a dark tile.
void DrawIcon(QPainter& p, int size) {
  p.setRenderHint(QPainter::Antialiasing);
  const double s = size / 32.0;
  // Rounded dark tile.
  p.setPen(QPen(QColor(10, 10, 20), 1));
  p.setBrush(QColor(24, 22, 52));
  p.drawRoundedRect(QRectF(0.5, 0.5, size - 1, size - 1), 5 * s, 5 * s);
  // Beam from a fixture top left down to the floor.
  QPainterPath cone;
  cone.moveTo(9 * s, 7 * s);
  cone.lineTo(26 * s, 24 * s);
  cone.lineTo(13 * s, 28 * s);
  cone.lineTo(7 * s, 9 * s);
  cone.closeSubpath();
  QLinearGradient g(8 * s, 8 * s, 20 * s, 26 * s);
  g.setColorAt(0, QColor(255, 230, 120));
  g.setColorAt(1, QColor(255, 60, 180));
  p.setPen(Qt::NoPen);
  p.setBrush(g);
  p.drawPath(cone);
  p.setBrush(QColor(200, 204, 214));
  p.drawEllipse(QPointF(7.5 * s, 7.5 * s), 4 * s, 4 * s);
  p.setBrush(QColor(255, 250, 220));
  p.drawEllipse(QPointF(8.5 * s, 8.5 * s), 1.8 * s, 1.8 * s);
  // Three faders along the bottom.
  for (int i = 0; i < 3; ++i) {
    const double x = (17 + i * 5) * s;
    p.setPen(QPen(QColor(230, 230, 240), 1.2 * s));
    p.drawLine(QPointF(x, 6 * s), QPointF(x, 17 * s));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 220, 255));
    p.drawRect(QRectF(x - 2 * s, (8 + i * 3) * s, 4 * s, 2.4 * s));
  }
}

QImage Icon(int size) {
  QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::transparent);
  QPainter p(&img);
  DrawIcon(p, size);
  p.end();
  return img;
}

// The icon as drawing commands, for any size the desktop asks for.
bool SaveIconSvg(const QString& path) {
  constexpr int kSize = 256;
  QSvgGenerator svg;
  svg.setFileName(path);
  svg.setSize(QSize(kSize, kSize));
  svg.setViewBox(QRect(0, 0, kSize, kSize));
  svg.setTitle(QStringLiteral("KaviraOB"));
  svg.setDescription(QStringLiteral("KaviraOB icon"));
  QPainter p;
  if (!p.begin(&svg)) return false;
  DrawIcon(p, kSize);
  return p.end();
}

// At most `colours` colours, transparency kept as one of them.
QImage Reduce(const QImage& img, int colours) {
  QImage indexed = img.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither | Qt::AvoidDither);
  if (indexed.colorCount() <= colours) return indexed;
  // Quantise each channel harder until the palette fits.
  for (int levels = 6; levels >= 2; --levels) {
    QImage q = img.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < q.height(); ++y) {
      for (int x = 0; x < q.width(); ++x) {
        const QColor c = q.pixelColor(x, y);
        auto step = [&](int v) { return (v * (levels - 1) + 127) / 255 * 255 / (levels - 1); };
        q.setPixelColor(x, y,
                        QColor(step(c.red()), step(c.green()), step(c.blue()), c.alpha() < 128 ? 0 : 255));
      }
    }
    indexed = q.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither | Qt::AvoidDither);
    if (indexed.colorCount() <= colours) return indexed;
  }
  return indexed;
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_pictures PICTURES_DIR ICONS_DIR\n");
    return 2;
  }
  const QString pictures = QString::fromLocal8Bit(argv[1]);
  const QString icons = QString::fromLocal8Bit(argv[2]);
  const bool ok = Background().save(pictures + "/background.png") &&
                  Reduce(Icon(32), 16).save(pictures + "/icon32.png") &&
                  Reduce(Icon(48), 256).save(pictures + "/icon48.png");
  if (!ok) {
    std::fprintf(stderr, "make_pictures: cannot write into %s\n", argv[1]);
    return 1;
  }
  // The desktop's icons, in full colour.
  bool iconsOk = SaveIconSvg(icons + "/kaviraob.svg");
  for (const int size : {48, 128, 256})
    iconsOk = iconsOk && Icon(size).save(icons + QStringLiteral("/kaviraob-%1.png").arg(size));
  if (!iconsOk) std::fprintf(stderr, "make_pictures: cannot write into %s\n", argv[2]);
  return iconsOk ? 0 : 1;
}
