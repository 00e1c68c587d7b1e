// Drawing the application's icon as its mark.
#include "ui/AppMark.h"

#include "ui/UiResources.h"

#include <QIcon>
#include <QPainter>

QIcon appIcon()
{
    ensureUiResources();
    return QIcon::fromTheme(QStringLiteral("kestova"), QIcon(QStringLiteral(":/icons/kestova.svg")));
}

AppMark::AppMark(QWidget* parent) : QWidget(parent)
{
    setFixedSize(88, 88);
}

void AppMark::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QIcon icon = appIcon();
    painter.drawPixmap(rect(), icon.pixmap(size(), devicePixelRatioF()));
}
