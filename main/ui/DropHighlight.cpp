// Stroking the drop frame.
#include "ui/DropHighlight.h"

#include <QPainter>
#include <QPen>

namespace DropHighlight {

void paint(QPainter& painter, const QRectF& bounds, const QColor& color)
{
    constexpr qreal width = 2;
    QPen pen(color, width, Qt::CustomDashLine, Qt::FlatCap, Qt::MiterJoin);
    pen.setMiterLimit(10);
    // Qt counts dashes in pen widths: 3 widths of 2 make 6 pixels on, 6 off.
    pen.setDashPattern({6 / width, 6 / width});
    pen.setDashOffset(0);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    // Centred on a line inside the bounds, so the whole stroke lies within them.
    painter.drawRoundedRect(bounds.adjusted(width / 2, width / 2, -width / 2, -width / 2), 14, 14);
    painter.restore();
}

} // namespace DropHighlight
