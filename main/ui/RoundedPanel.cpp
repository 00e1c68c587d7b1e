// Drawing the rounded panel.
#include "ui/RoundedPanel.h"

#include "ui/Look.h"

#include <QPainter>

RoundedPanel::RoundedPanel(QWidget* parent) : QWidget(parent) {}

void RoundedPanel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(QPen(Look::separator(palette()), 1));
    painter.setBrush(Look::controlBackground(palette()));
    painter.drawRoundedRect(bounds, 10, 10);
}
