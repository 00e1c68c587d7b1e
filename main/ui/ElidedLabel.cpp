// Drawing one line of text, cut with an ellipsis where it does not fit.
#include "ui/ElidedLabel.h"

#include <QPainter>

ElidedLabel::ElidedLabel(Qt::TextElideMode mode, QWidget* parent) : QWidget(parent), mode(mode)
{
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void ElidedLabel::setText(const QString& text)
{
    if (_text == text)
        return;
    _text = text;
    updateGeometry();
    update();
}

void ElidedLabel::setAlignment(Qt::Alignment value)
{
    alignment = value;
    update();
}

QString ElidedLabel::shownText() const
{
    return fontMetrics().elidedText(_text, mode, width());
}

QSize ElidedLabel::sizeHint() const
{
    return {fontMetrics().horizontalAdvance(_text), fontMetrics().height()};
}

QSize ElidedLabel::minimumSizeHint() const
{
    // As narrow as an ellipsis: the layout decides how much of the text fits.
    return {fontMetrics().horizontalAdvance(QStringLiteral("…")), fontMetrics().height()};
}

void ElidedLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(rect(), static_cast<int>(alignment), shownText());
}
