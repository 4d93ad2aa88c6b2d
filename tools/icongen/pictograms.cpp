#include "tools/icongen/pictograms.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QtMath>
#include <array>

namespace vk47::icongen {
namespace {

// Colours: strong, and never pure white, which is the transparent colour.
const QColor kInk(40, 40, 40);
const QColor kOffWhite(250, 250, 250);
const QColor kWheel(45, 45, 45);
const QColor kBody(90, 160, 235);
const QColor kBodyEdge(20, 60, 130);
const QColor kForward(20, 170, 60);    // green: go ahead
const QColor kBackward(225, 55, 30);   // red: back up
const QColor kRepeat(130, 50, 170);
const QColor kExtended(0, 130, 140);
const QColor kBumpFill(255, 215, 0);
const QColor kBumpEdge(225, 100, 0);
const QColor kStopRed(210, 25, 25);
const QColor kInput(215, 110, 0);
const QColor kJump(0, 135, 60);

const QColor kBandBasic(25, 60, 150);
const QColor kBandWait(110, 110, 110);
const QColor kBandRepeat(110, 40, 150);
const QColor kBandExtended(0, 105, 115);
const QColor kBandInput(160, 80, 0);
const QColor kBandJump(0, 115, 45);
const QColor kBandEnd(190, 20, 20);

QPointF Unit(QPointF v) {
  const qreal length = std::hypot(v.x(), v.y());
  return length > 0 ? v / length : QPointF(0, 0);
}

// Filled triangle whose tip lies `length` ahead of `base` in direction `dir`.
void ArrowHead(QPainter& p, QPointF base, QPointF dir, qreal length, qreal half_width,
               const QColor& fill) {
  const QPointF d = Unit(dir);
  const QPointF n(-d.y(), d.x());
  p.setPen(QPen(fill.darker(140), 1));
  p.setBrush(fill);
  p.drawPolygon(QPolygonF({base + d * length, base + n * half_width, base - n * half_width}));
}

// A straight block arrow from `from` to the tip `to`, with a dark rim.
void BlockArrow(QPainter& p, QPointF from, QPointF to, qreal shaft, qreal head_width,
                qreal head_length, const QColor& fill) {
  const QPointF d = Unit(to - from);
  const QPointF n(-d.y(), d.x());
  const QPointF base = to - d * head_length;
  const QPolygonF outline({from + n * shaft / 2, base + n * shaft / 2, base + n * head_width / 2,
                           to, base - n * head_width / 2, base - n * shaft / 2,
                           from - n * shaft / 2});
  p.setPen(QPen(fill.darker(170), 1.2));
  p.setBrush(fill);
  p.drawPolygon(outline);
}

// A thick elliptic arc (angles in degrees, counter-clockwise from three
// o'clock, Qt's convention) that ends in an arrow head pointing along it.
void ArcArrow(QPainter& p, QRectF ellipse, qreal start_deg, qreal span_deg, qreal width,
              const QColor& colour) {
  p.setPen(QPen(colour, width, Qt::SolidLine, Qt::FlatCap));
  p.setBrush(Qt::NoBrush);
  p.drawArc(ellipse, qRound(start_deg * 16), qRound(span_deg * 16));
  const qreal end = qDegreesToRadians(start_deg + span_deg);
  const QPointF c = ellipse.center();
  const qreal rx = ellipse.width() / 2, ry = ellipse.height() / 2;
  const QPointF at(c.x() + rx * std::cos(end), c.y() - ry * std::sin(end));
  // Derivative of the screen position by the angle; a negative span runs clockwise.
  QPointF dir(-rx * std::sin(end), -ry * std::cos(end));
  if (span_deg < 0) dir = -dir;
  ArrowHead(p, at, dir, width * 1.7, width * 1.35, colour);
}

// A spiky star: the bump that the robot's sensor feels.
void BumpStar(QPainter& p, QPointF centre, qreal outer, qreal inner) {
  QPolygonF star;
  for (int i = 0; i < 16; ++i) {
    const qreal r = i % 2 == 0 ? outer : inner;
    const qreal a = qDegreesToRadians(90.0 + i * 22.5);
    star << QPointF(centre.x() + r * std::cos(a), centre.y() - r * std::sin(a));
  }
  p.setPen(QPen(kBumpEdge, 1.2));
  p.setBrush(kBumpFill);
  p.drawPolygon(star);
}

// The robot seen from above, front at the top: two wheels and a body with eyes.
struct RobotLook {
  QColor body, edge, wheel, eye;
};

void Robot(QPainter& p, const RobotLook& look) {
  p.setPen(QPen(look.wheel.darker(130), 1));
  p.setBrush(look.wheel);
  p.drawRoundedRect(QRectF(5, 16, 9, 25), 2, 2);
  p.drawRoundedRect(QRectF(36, 16, 9, 25), 2, 2);
  p.setPen(QPen(look.edge, 1.5));
  p.setBrush(look.body);
  p.drawRoundedRect(QRectF(13, 9, 24, 38), 6, 6);
  p.setPen(Qt::NoPen);
  p.setBrush(look.eye);
  p.drawEllipse(QPointF(20, 16), 3, 3);
  p.drawEllipse(QPointF(30, 16), 3, 3);
}

const RobotLook kActiveRobot{kBody, kBodyEdge, kWheel, kInk};

enum Wheels { kLeft = 1, kRight = 2, kBoth = 3 };

// Arrows over the wheels that turn: up for forward, down for backward.
void Drive(QPainter& p, int wheels, bool forward) {
  Robot(p, kActiveRobot);
  const QColor colour = forward ? kForward : kBackward;
  const qreal top = 2, bottom = 54;
  for (const qreal x : {9.5, 40.5}) {
    const bool turns = (x < 25 && (wheels & kLeft)) || (x > 25 && (wheels & kRight));
    if (!turns) continue;
    const QPointF from(x, forward ? bottom : top), to(x, forward ? top : bottom);
    BlockArrow(p, from, to, 6, 15, 12, colour);
  }
}

void LeftForward(QPainter& p) { Drive(p, kLeft, true); }
void BothForward(QPainter& p) { Drive(p, kBoth, true); }
void RightForward(QPainter& p) { Drive(p, kRight, true); }
void LeftBackward(QPainter& p) { Drive(p, kLeft, false); }
void BothBackward(QPainter& p) { Drive(p, kBoth, false); }
void RightBackward(QPainter& p) { Drive(p, kRight, false); }

// Standing still; also the picture of an empty slot, so it stays quiet and grey.
void Wait(QPainter& p) {
  Robot(p, RobotLook{QColor(236, 236, 236), QColor(120, 120, 120), QColor(150, 150, 150),
                     QColor(150, 150, 150)});
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(95, 95, 95));
  p.drawRect(QRectF(19, 24, 4, 14));
  p.drawRect(QRectF(27, 24, 4, 14));
}

void Text(QPainter& p, QRectF box, int pixel_size, const QColor& colour, const QString& text) {
  QFont font("IPAPGothic");
  font.setPixelSize(pixel_size);
  font.setBold(true);
  p.setFont(font);
  p.setPen(colour);
  p.drawText(box, Qt::AlignCenter, text);
}

// A closed circle of arrows with "xN": repeat N times.
void RepeatCount(QPainter& p) {
  ArcArrow(p, QRectF(6, 9, 38, 38), 60, -295, 5, kRepeat);
  Text(p, QRectF(10, 17, 30, 22), 14, kRepeat.darker(130), QStringLiteral("×N"));
}

// A flag that an arrow comes back to: the repeat starts here.
void RepeatStart(QPainter& p) {
  p.setPen(Qt::NoPen);
  p.setBrush(kInk);
  p.drawRect(QRectF(8, 5, 3, 47));
  p.setPen(QPen(kRepeat.darker(140), 1));
  p.setBrush(kRepeat);
  p.drawPolygon(QPolygonF({QPointF(11, 5), QPointF(38, 13), QPointF(11, 21)}));
  ArcArrow(p, QRectF(18, 26, 24, 24), -80, 230, 4.5, kRepeat);
}

// Forward until the sensor feels a bump, then turn (dx = -1 left, +1 right).
void TurnOnBump(QPainter& p, int dx) {
  BumpStar(p, QPointF(25, 9), 9, 4);
  const QPointF corner(25, 28);
  QPainterPath path(QPointF(25, 55));
  path.lineTo(corner);
  path.lineTo(corner + QPointF(dx * 12, 0));
  p.setPen(QPen(kExtended, 7, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
  p.setBrush(Qt::NoBrush);
  p.drawPath(path);
  ArrowHead(p, corner + QPointF(dx * 12, 0), QPointF(dx, 0), 11, 9, kExtended);
}

void TurnLeftOnBump(QPainter& p) { TurnOnBump(p, -1); }
void TurnRightOnBump(QPainter& p) { TurnOnBump(p, +1); }

void StopOnBump(QPainter& p) {
  BumpStar(p, QPointF(25, 9), 9, 4);
  p.setPen(QPen(kExtended, 7, Qt::SolidLine, Qt::FlatCap));
  p.drawLine(QPointF(25, 55), QPointF(25, 30));
  p.setPen(QPen(kStopRed.darker(140), 1));
  p.setBrush(kStopRed);
  p.drawRect(QRectF(10, 22, 30, 7));
}

// A micro switch with its lever, and an arrow pressing it: wait for the press.
void WaitForSwitch(QPainter& p) {
  p.setPen(QPen(kInk, 1));
  p.setBrush(QColor(70, 70, 70));
  p.drawRect(QRectF(7, 37, 36, 13));
  p.setBrush(QColor(200, 170, 60));
  p.drawRect(QRectF(12, 50, 4, 5));
  p.drawRect(QRectF(24, 50, 4, 5));
  p.drawRect(QRectF(35, 50, 4, 5));
  p.setBrush(kStopRed);
  p.drawRect(QRectF(30, 32, 6, 5));  // the plunger under the lever
  p.setPen(QPen(QColor(150, 150, 150), 3, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(10, 34), QPointF(42, 25));
  p.setPen(QPen(kInk, 1));
  p.setBrush(QColor(180, 180, 180));
  p.drawEllipse(QPointF(42, 25), 3.5, 3.5);
  BlockArrow(p, QPointF(26, 1), QPointF(26, 25), 7, 17, 10, kInput);
}

// An arrow that leaps over to a target.
void Jump(QPainter& p) {
  p.setPen(QPen(kJump.darker(150), 1));
  p.setBrush(kJump);
  p.drawEllipse(QPointF(8, 46), 4, 4);
  p.setPen(QPen(kStopRed, 2.5));
  p.setBrush(kOffWhite);
  p.drawEllipse(QPointF(40, 47), 8, 7);
  p.setBrush(kStopRed);
  p.setPen(Qt::NoPen);
  p.drawEllipse(QPointF(40, 47), 3, 3);
  ArcArrow(p, QRectF(8, 6, 32, 52), 180, -168, 5, kJump);
}

// A red octagon: the program ends here.
void End(QPainter& p) {
  QPolygonF octagon;
  for (int i = 0; i < 8; ++i) {
    const qreal a = qDegreesToRadians(22.5 + i * 45.0);
    octagon << QPointF(25 + 23 * std::cos(a), 28 - 23 * std::sin(a));
  }
  p.setPen(QPen(kStopRed.darker(150), 1.5));
  p.setBrush(kStopRed);
  p.drawPolygon(octagon);
  Text(p, QRectF(3, 16, 44, 24), 12, kOffWhite, QStringLiteral("おわり"));
}

const std::array<Pictogram, 15> kPictograms{{
    {"1", "左前", "ひだりまえ", kBandBasic, LeftForward},
    {"2", "前進", "ぜんしん", kBandBasic, BothForward},
    {"3", "右前", "みぎまえ", kBandBasic, RightForward},
    {"4", "待つ", "まつ", kBandWait, Wait},
    {"5", "左後", "ひだりうしろ", kBandBasic, LeftBackward},
    {"6", "後退", "こうたい", kBandBasic, BothBackward},
    {"7", "右後", "みぎうしろ", kBandBasic, RightBackward},
    {"24", "回数", "かいすう", kBandRepeat, RepeatCount},
    {"25", "ここから", "ここから", kBandRepeat, RepeatStart},
    {"26", "左折", "させつ", kBandExtended, TurnLeftOnBump},
    {"27", "停止", "ていし", kBandExtended, StopOnBump},
    {"28", "右折", "うせつ", kBandExtended, TurnRightOnBump},
    {"29", "入力", "にゅうりょく", kBandInput, WaitForSwitch},
    {"30", "飛ぶ", "とぶ", kBandJump, Jump},
    {"31", "終了", "おわり", kBandEnd, End},
}};

}  // namespace

const Pictogram* FindPictogram(std::string_view number) {
  for (const Pictogram& pictogram : kPictograms) {
    if (pictogram.number == number) return &pictogram;
  }
  return nullptr;
}

}  // namespace vk47::icongen
