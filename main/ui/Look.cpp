// Text styles and colours from the running style's font and palette.
#include "ui/Look.h"

#include "ui/WrapLabel.h"

#include <QApplication>
#include <QLabel>
#include <QPalette>
#include <QPushButton>

namespace Look {
namespace {

constexpr double bodySize = 13.0;

} // namespace

QFont scaledFont(double size, QFont::Weight weight)
{
    QFont font = QApplication::font();
    const double ratio = size / bodySize;
    if (font.pointSizeF() > 0)
        font.setPointSizeF(font.pointSizeF() * ratio);
    else
        font.setPixelSize(qRound(font.pixelSize() * ratio));
    font.setWeight(weight);
    return font;
}

QFont font(TextStyle style)
{
    switch (style) {
    case TextStyle::body:
        return scaledFont(13);
    case TextStyle::callout:
        return scaledFont(12);
    case TextStyle::caption:
        return scaledFont(10.5);
    case TextStyle::headline:
        return scaledFont(13, QFont::DemiBold);
    case TextStyle::title2:
        return scaledFont(17);
    }
    return scaledFont(13);
}

QColor primary(const QPalette& palette)
{
    return palette.color(QPalette::WindowText);
}

QColor secondary(const QPalette& palette)
{
    QColor color = palette.color(QPalette::WindowText);
    color.setAlphaF(0.6);
    return color;
}

QColor accent(const QPalette& palette)
{
    return palette.color(QPalette::Highlight);
}

QColor separator(const QPalette& palette)
{
    QColor color = palette.color(QPalette::WindowText);
    color.setAlphaF(0.15);
    return color;
}

QColor controlBackground(const QPalette& palette)
{
    return palette.color(QPalette::Base);
}

QColor green()
{
    return QColor(0x2f, 0xa8, 0x4f);
}

QColor orange()
{
    return QColor(0xf0, 0x8c, 0x00);
}

void setTextColor(QWidget* widget, const QColor& color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::Text, color);
    widget->setPalette(palette);
}

QLabel* label(const QString& text, TextStyle style, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    // Texts from data (titles, paths, messages) are shown as they are, never as markup.
    label->setTextFormat(Qt::PlainText);
    label->setFont(font(style));
    return label;
}

QLabel* wrappedLabel(const QString& text, TextStyle style, QWidget* parent, int width)
{
    auto* label = new WrapLabel(text, width, parent);
    label->setTextFormat(Qt::PlainText);
    label->setFont(font(style));
    return label;
}

void makeProminent(QPushButton* button)
{
    QPalette palette = button->palette();
    palette.setColor(QPalette::Button, palette.color(QPalette::Highlight));
    palette.setColor(QPalette::ButtonText, palette.color(QPalette::HighlightedText));
    button->setPalette(palette);
}

void makeLarge(QPushButton* button)
{
    button->setMinimumHeight(32);
    const int padding = button->fontMetrics().averageCharWidth() * 3;
    button->setMinimumWidth(button->fontMetrics().horizontalAdvance(button->text()) + 2 * padding);
}

} // namespace Look
