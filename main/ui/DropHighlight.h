// The dashed frame that shows a folder may be dropped.
#pragma once

#include <QColor>
#include <QRectF>

class QPainter;

namespace DropHighlight {

/// Strokes the frame just inside `bounds`: a rounded rectangle of radius 14, 2 wide, dashed 6
/// on and 6 off.
void paint(QPainter& painter, const QRectF& bounds, const QColor& color);

} // namespace DropHighlight
