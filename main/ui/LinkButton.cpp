// Drawing a button as a hyperlink.
#include "ui/LinkButton.h"

#include "ui/Look.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

LinkButton::LinkButton(const QString& text, QWidget* parent) : QAbstractButton(parent)
{
    setText(text);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize LinkButton::sizeHint() const
{
    return fontMetrics().size(Qt::TextSingleLine, text()) + QSize(4, 4);
}

void LinkButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QFont font = this->font();
    font.setUnderline(hovered);
    painter.setFont(font);
    QColor color = Look::accent(palette());
    if (isDown())
        color = color.darker(130);
    painter.setPen(color);
    painter.drawText(rect(), Qt::AlignCenter, text());
    if (hasFocus()) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
}

void LinkButton::enterEvent(QEnterEvent* event)
{
    hovered = true;
    update();
    QAbstractButton::enterEvent(event);
}

void LinkButton::leaveEvent(QEvent* event)
{
    hovered = false;
    update();
    QAbstractButton::leaveEvent(event);
}
