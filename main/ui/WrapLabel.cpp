// Wrapped text measured at its known width.
#include "ui/WrapLabel.h"

#include <algorithm>

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

int WrapLabel::heightForWidth(int width) const
{
    return QLabel::heightForWidth(std::min(width, wrapWidth));
}
