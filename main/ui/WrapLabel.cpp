// Wrapped text measured at its known width.
#include "ui/WrapLabel.h"

WrapLabel::WrapLabel(const QString& text, int wrapWidth, QWidget* parent) : QLabel(text, parent), wrapWidth(wrapWidth)
{
    setWordWrap(true);
    setAlignment(Qt::AlignHCenter | Qt::AlignTop);
}

QSize WrapLabel::minimumSizeHint() const
{
    return {QLabel::minimumSizeHint().width(), heightForWidth(wrapWidth)};
}

QSize WrapLabel::sizeHint() const
{
    return {wrapWidth, heightForWidth(wrapWidth)};
}
