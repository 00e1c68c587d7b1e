// The window's About text: the program's version and the credits of the data it ships with.
#pragma once

#include <QString>

class QWidget;

namespace AboutBox {

/// The text the box shows, in the user's language.
QString text();
/// Shows the box over `parent`; returns at once, the box closes itself.
void show(QWidget* parent);

} // namespace AboutBox
