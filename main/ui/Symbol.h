// The window's few symbols: a check, a pause sign, a warning triangle and a cross.
#pragma once

#include <QColor>
#include <QLabel>
#include <QPixmap>

enum class SymbolName { checkmark, pause, warning, xmark };

/// The symbol's artwork in one colour, `size` device-independent pixels square.
QPixmap symbolPixmap(SymbolName name, int size, const QColor& tint, qreal devicePixelRatio);

/// A symbol drawn on its own, as a label.
class SymbolView : public QLabel {
    Q_OBJECT
public:
    SymbolView(SymbolName name, int size, const QColor& tint, QWidget* parent = nullptr);

    SymbolName name() const { return _name; }
    QColor tint() const { return _tint; }

private:
    SymbolName _name;
    QColor _tint;
};
