// Return and Escape for a screen's default and cancel buttons.
#pragma once

class QAbstractButton;
class QWidget;

namespace ScreenKeys {

/// While `screen` is shown in the active window, Return (and the keypad's Enter) presses
/// `defaultButton` and Escape presses `cancelButton`, wherever the focus is; either may be
/// null. A plain widget has no default button of its own as a dialog has.
void bind(QWidget* screen, QAbstractButton* defaultButton, QAbstractButton* cancelButton);

} // namespace ScreenKeys
