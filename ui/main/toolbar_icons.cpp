#include "toolbar_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

void Sheet(QPainter& P, QColor Fill) {
  QPainterPath Page;
  Page.moveTo(10, 4);
  Page.lineTo(30, 4);
  Page.lineTo(38, 12);
  Page.lineTo(38, 44);
  Page.lineTo(10, 44);
  Page.closeSubpath();
  P.setBrush(Fill);
  P.drawPath(Page);
  P.drawLine(30, 4, 30, 12);
  P.drawLine(30, 12, 38, 12);
}

}  // namespace

QIcon MakeToolIcon(TToolIcon Kind) {
  QPixmap Pix(48, 48);
  Pix.fill(Qt::transparent);
  QPainter P(&Pix);
  P.setRenderHint(QPainter::Antialiasing);
  const QColor Ink(40, 60, 90);
  P.setPen(QPen(Ink, 2));
  switch (Kind) {
    case TToolIcon::New:
      Sheet(P, Qt::white);
      P.setPen(QPen(QColor(220, 60, 80), 3));
      P.drawLine(24, 20, 24, 34);
      P.drawLine(17, 27, 31, 27);
      break;
    case TToolIcon::Open: {
      P.setBrush(QColor(240, 200, 90));
      P.drawRect(4, 12, 34, 28);
      P.setBrush(QColor(250, 220, 120));
      QPolygon Flap;
      Flap << QPoint(10, 20) << QPoint(44, 20) << QPoint(38, 40) << QPoint(4, 40);
      P.drawPolygon(Flap);
      break;
    }
    case TToolIcon::Save:
      P.setBrush(QColor(70, 110, 190));
      P.drawRoundedRect(6, 6, 36, 36, 3, 3);
      P.setBrush(Qt::white);
      P.drawRect(13, 6, 22, 13);
      P.setBrush(QColor(200, 210, 230));
      P.drawRect(12, 27, 24, 15);
      break;
    case TToolIcon::Print:
      P.setBrush(Qt::white);
      P.drawRect(14, 4, 20, 14);
      P.setBrush(QColor(150, 160, 175));
      P.drawRoundedRect(4, 17, 40, 18, 3, 3);
      P.setBrush(Qt::white);
      P.drawRect(14, 29, 20, 15);
      break;
    case TToolIcon::Copy:
      Sheet(P, QColor(235, 240, 250));
      P.translate(-6, -2);
      P.scale(0.8, 0.8);
      Sheet(P, Qt::white);
      break;
    case TToolIcon::Paste:
      P.setBrush(QColor(190, 140, 90));
      P.drawRoundedRect(8, 8, 32, 36, 3, 3);
      P.setBrush(QColor(210, 210, 215));
      P.drawRect(17, 4, 14, 8);
      P.setBrush(Qt::white);
      P.drawRect(16, 18, 22, 24);
      break;
    case TToolIcon::Preview:
      P.setBrush(Qt::white);
      P.drawEllipse(QPointF(24, 24), 20, 12);
      P.setBrush(QColor(70, 130, 200));
      P.drawEllipse(QPointF(24, 24), 8, 8);
      P.setBrush(Ink);
      P.drawEllipse(QPointF(24, 24), 3, 3);
      break;
    case TToolIcon::Site:
      P.setBrush(QColor(120, 190, 240));
      P.drawEllipse(QPointF(24, 24), 19, 19);
      P.setBrush(Qt::NoBrush);
      P.drawEllipse(QPointF(24, 24), 8, 19);
      P.drawLine(5, 24, 43, 24);
      P.drawLine(9, 14, 39, 14);
      P.drawLine(9, 34, 39, 34);
      break;
    case TToolIcon::Help: {
      P.setBrush(QColor(90, 170, 90));
      P.drawEllipse(QPointF(24, 24), 19, 19);
      QFont F = P.font();
      F.setPixelSize(28);
      F.setBold(true);
      P.setFont(F);
      P.setPen(Qt::white);
      P.drawText(QRect(4, 4, 40, 40), Qt::AlignCenter, QStringLiteral("?"));
      break;
    }
  }
  return QIcon(Pix);
}
