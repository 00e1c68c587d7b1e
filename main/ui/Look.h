// The window's text styles, colours and button looks, taken from the running style.
#pragma once

#include <QColor>
#include <QFont>
#include <QString>

class QLabel;
class QPalette;
class QPushButton;
class QWidget;

/// A desktop's body text is about 13 pixels, so every other size is a fixed ratio of the
/// running style's own font: the window follows the user's font size and choice.
namespace Look {

enum class TextStyle { body, callout, caption, headline, title2 };

QFont font(TextStyle style);
/// The system font at a size given for a 13-pixel body text, scaled like the styles above.
QFont scaledFont(double size, QFont::Weight weight = QFont::Normal);

QColor primary(const QPalette& palette);
/// Text that is there to explain rather than to be read first.
QColor secondary(const QPalette& palette);
QColor accent(const QPalette& palette);
QColor separator(const QPalette& palette);
/// The background of a control's content area, such as a list.
QColor controlBackground(const QPalette& palette);
QColor green();
QColor orange();

/// Sets the colour the widget draws its text in.
void setTextColor(QWidget* widget, const QColor& color);

/// A one-line label in a text style.
QLabel* label(const QString& text, TextStyle style, QWidget* parent = nullptr);
/// A label in a text style, its lines centred and wrapped at `width` (a screen's content is 484
/// wide).
QLabel* wrappedLabel(const QString& text, TextStyle style, QWidget* parent = nullptr, int width = 484);

/// Filled with the accent colour: the one button the screen wants pressed.
void makeProminent(QPushButton* button);
/// A taller button with more room around its label, for a screen's main actions.
void makeLarge(QPushButton* button);

} // namespace Look
