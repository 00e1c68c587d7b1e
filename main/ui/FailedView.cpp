// Showing the model's error.
#include "ui/FailedView.h"

#include "ui/Look.h"
#include "ui/ScreenKeys.h"
#include "ui/Symbol.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using Look::TextStyle;

FailedView::FailedView(Model& m, QWidget* parent) : QWidget(parent)
{
    auto* stack = new QVBoxLayout(this);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(16);
    stack->addStretch(1);
    stack->addWidget(new SymbolView(SymbolName::warning, 48, Look::orange(), this), 0, Qt::AlignHCenter);

    auto* heading = Look::wrappedLabel(tr("Something went wrong"), TextStyle::title2, this);
    heading->setFont(Look::scaledFont(17, QFont::Bold));
    stack->addWidget(heading);

    message = Look::wrappedLabel(m.error(), TextStyle::body, this, 420);
    Look::setTextColor(message, Look::secondary(palette()));
    message->setTextInteractionFlags(Qt::TextSelectableByMouse);
    message->setFixedWidth(420);
    stack->addWidget(message, 0, Qt::AlignHCenter);

    ok = new QPushButton(tr("OK"), this);
    ok->setAutoDefault(false);
    Look::makeLarge(ok);
    connect(ok, &QPushButton::clicked, &m, [&m] { m.setStage(Model::Stage::idle); });
    stack->addWidget(ok, 0, Qt::AlignHCenter);
    stack->addStretch(1);

    ScreenKeys::bind(this, ok, nullptr);
}
