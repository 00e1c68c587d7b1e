// Drawing the symbols from their SVG artwork in one colour.
#include "ui/Symbol.h"

#include "ui/UiResources.h"

#include <QPainter>
#include <QSvgRenderer>

namespace {

QString resourceFor(SymbolName name)
{
    switch (name) {
    case SymbolName::checkmark:
        return QStringLiteral(":/icons/checkmark.svg");
    case SymbolName::pause:
        return QStringLiteral(":/icons/pause.svg");
    case SymbolName::warning:
        return QStringLiteral(":/icons/warning.svg");
    case SymbolName::xmark:
        return QStringLiteral(":/icons/xmark.svg");
    }
    return {};
}

} // namespace

QPixmap symbolPixmap(SymbolName name, int size, const QColor& tint, qreal devicePixelRatio)
{
    ensureUiResources();
    const int pixels = qRound(size * devicePixelRatio);
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    QSvgRenderer(resourceFor(name)).render(&painter, QRectF(0, 0, pixels, pixels));
    // The artwork is black on transparent; keeping its coverage and replacing the colour tints it.
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(image.rect(), tint);
    painter.end();
    QPixmap pixmap = QPixmap::fromImage(image);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    return pixmap;
}

SymbolView::SymbolView(SymbolName name, int size, const QColor& tint, QWidget* parent)
    : QLabel(parent), _name(name), _tint(tint)
{
    setPixmap(symbolPixmap(name, size, tint, devicePixelRatioF()));
    setFixedSize(size, size);
    setAlignment(Qt::AlignCenter);
}
