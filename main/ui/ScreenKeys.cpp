// Shortcuts that press a screen's default and cancel buttons.
#include "ui/ScreenKeys.h"

#include <QAbstractButton>
#include <QPushButton>
#include <QShortcut>

namespace ScreenKeys {
namespace {

void pressOn(QWidget* screen, Qt::Key key, QAbstractButton* button)
{
    auto* shortcut = new QShortcut(QKeySequence(key), screen);
    shortcut->setContext(Qt::WindowShortcut);
    QObject::connect(shortcut, &QShortcut::activated, button, [button] {
        if (button->isVisible() && button->isEnabled())
            button->click();
    });
}

} // namespace

void bind(QWidget* screen, QAbstractButton* defaultButton, QAbstractButton* cancelButton)
{
    if (defaultButton) {
        pressOn(screen, Qt::Key_Return, defaultButton);
        pressOn(screen, Qt::Key_Enter, defaultButton);
        if (auto* push = qobject_cast<QPushButton*>(defaultButton))
            push->setDefault(true);
    }
    if (cancelButton)
        pressOn(screen, Qt::Key_Escape, cancelButton);
}

} // namespace ScreenKeys
