// Drawing a run's progress from the model's texts and fraction.
#include "ui/RunningView.h"

#include "ui/AppMark.h"
#include "ui/ElidedLabel.h"
#include "ui/Look.h"
#include "ui/ScreenKeys.h"

#include <QLabel>

#include <algorithm>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

using Look::TextStyle;

RunningView::RunningView(Model& m, QWidget* parent) : QWidget(parent), m(m)
{
    auto* stack = new QVBoxLayout(this);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(18);
    stack->addStretch(1);
    stack->addWidget(new AppMark(this), 0, Qt::AlignHCenter);

    title = new ElidedLabel(Qt::ElideRight, this);
    title->setFont(Look::scaledFont(17, QFont::Bold));
    title->setAlignment(Qt::AlignCenter);
    stack->addWidget(title);

    auto* progress = new QVBoxLayout;
    progress->setSpacing(8);
    bar = new QProgressBar(this);
    bar->setFixedWidth(340);
    bar->setTextVisible(false);
    progress->addWidget(bar, 0, Qt::AlignHCenter);
    status = Look::wrappedLabel(QString(), TextStyle::headline, this);
    progress->addWidget(status);
    detail = new ElidedLabel(Qt::ElideMiddle, this);
    detail->setFont(Look::font(TextStyle::callout));
    detail->setAlignment(Qt::AlignCenter);
    Look::setTextColor(detail, Look::secondary(palette()));
    progress->addWidget(detail);
    stack->addLayout(progress);

    auto* note = Look::wrappedLabel(tr("The first run on a big drive can take a while. You can stop at any time, "
                                               "and the next run picks up where this one left off."),
                             TextStyle::caption, this, 380);
    Look::setTextColor(note, Look::secondary(palette()));
    note->setFixedWidth(380);
    stack->addWidget(note, 0, Qt::AlignHCenter);

    stop = new QPushButton(tr("Stop"), this);
    stop->setAutoDefault(false);
    connect(stop, &QPushButton::clicked, &m, &Model::cancel);
    stack->addWidget(stop, 0, Qt::AlignHCenter);
    stack->addStretch(1);

    ScreenKeys::bind(this, nullptr, stop);

    connect(&m, &Model::currentTitleChanged, this, &RunningView::refresh);
    connect(&m, &Model::progressChanged, this, &RunningView::refresh);
    refresh();
}

void RunningView::refresh()
{
    title->setText(m.currentTitle());
    const RunProgress progress = m.progress();
    status->setText(progress.status);
    detail->setText(progress.detail);
    if (const auto fraction = progress.fraction) {
        bar->setRange(0, barSteps);
        bar->setValue(qRound(std::clamp(*fraction, 0.0, 1.0) * barSteps));
    } else {
        // A range of nothing is Qt's moving, indeterminate bar.
        bar->setRange(0, 0);
        bar->setValue(0);
    }
}
