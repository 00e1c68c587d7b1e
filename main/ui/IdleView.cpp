// Building the start screen from the model's recent walls and its build settings.
#include "ui/IdleView.h"

#include "ui/AboutBox.h"
#include "ui/AppMark.h"
#include "ui/Feedback.h"
#include "ui/LinkButton.h"
#include "ui/Look.h"
#include "ui/RecentRow.h"
#include "ui/RoundedPanel.h"
#include "ui/ScreenKeys.h"

#include <QCheckBox>
#include <algorithm>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using Look::TextStyle;

namespace {

/// A build option's check box: it shows the model's value, sets it when clicked and follows it
/// when it changes elsewhere (the command line, another window).
QCheckBox* optionBox(QWidget* parent, const QString& text, const QString& tip, bool value, Model* model,
                     void (Model::*set)(bool), void (Model::*changed)(bool))
{
    auto* box = new QCheckBox(text, parent);
    box->setFont(Look::font(TextStyle::callout));
    box->setToolTip(tip);
    box->setChecked(value);
    QObject::connect(box, &QCheckBox::toggled, model, set);
    QObject::connect(model, changed, box, [box](bool now) {
        const QSignalBlocker blocker(box);
        box->setChecked(now);
    });
    return box;
}

} // namespace

IdleView::IdleView(Model& m, bool dropping, QWidget* parent) : QWidget(parent), m(m), stack(new QVBoxLayout(this))
{
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(18);

    stack->addWidget(new AppMark(this), 0, Qt::AlignHCenter);

    auto* heading = new QVBoxLayout;
    heading->setSpacing(6);
    auto* name = Look::label(QStringLiteral("Kestova"), TextStyle::body, this);
    name->setFont(Look::scaledFont(26, QFont::Bold));
    heading->addWidget(name, 0, Qt::AlignHCenter);
    auto* promise = Look::wrappedLabel(tr("See every photo on a drive or folder in one scrollable wall, sorted by "
                                                  "month. Nothing is uploaded, moved or changed."),
                                TextStyle::body, this);
    Look::setTextColor(promise, Look::secondary(palette()));
    heading->addWidget(promise);
    stack->addLayout(heading);

    choose = new QPushButton(tr("Choose a Folder or Drive…"), this);
    choose->setAutoDefault(false);
    Look::makeProminent(choose);
    Look::makeLarge(choose);
    choose->setMinimumWidth(std::max(choose->minimumWidth(), 220 + 2 * choose->fontMetrics().averageCharWidth() * 3));
    connect(choose, &QPushButton::clicked, &m, &Model::choose);
    stack->addWidget(choose, 0, Qt::AlignHCenter);

    hint = Look::label(QString(), TextStyle::callout, this);
    stack->addWidget(hint, 0, Qt::AlignHCenter);
    setDropping(dropping);

    dedupe = optionBox(this, tr("Show duplicate copies once"),
                       tr("The same photo saved in several backup folders gets one tile. Matched by file "
                          "name and size."),
                       m.dedupe(), &m, &Model::setDedupe, &Model::dedupeChanged);
    stack->addWidget(dedupe, 0, Qt::AlignHCenter);

    portable = optionBox(this, tr("Keep a screen-size copy of every photo"),
                         tr("The wall then shows every photo sharp on its own, copied to a stick, a NAS or another "
                            "computer without the photos. It takes more room. A wall made so keeps its copies and "
                            "adds those of new photos when it is updated."),
                         m.portable(), &m, &Model::setPortable, &Model::portableChanged);
    stack->addWidget(portable, 0, Qt::AlignHCenter);

    videoCopies = optionBox(this, tr("Make long videos playable too"),
                            tr("Videos the browser cannot play (an iPhone's HEVC, AVI, MTS) get a playable copy "
                               "in the wall. Live photos and videos under 30 seconds always do; with this, "
                               "longer ones do too, which can take as long as they play."),
                            m.videoCopies(), &m, &Model::setVideoCopies, &Model::videoCopiesChanged);
    stack->addWidget(videoCopies, 0, Qt::AlignHCenter);

    // The walls panel goes here, before the space that pushes the link to the bottom.
    stack->addStretch(1);

    feedback = new LinkButton(tr("Send feedback or request a feature"), this);
    feedback->setFont(Look::font(TextStyle::callout));
    connect(feedback, &LinkButton::clicked, this, [&m] {
        if (PlatformActions* desktop = m.actions())
            Feedback::send(*desktop);
    });
    about = new LinkButton(tr("About Kestova"), this);
    about->setFont(Look::font(TextStyle::callout));
    connect(about, &LinkButton::clicked, this, [this] { AboutBox::show(window()); });
    auto* links = new QHBoxLayout;
    links->setSpacing(24);
    links->addStretch(1);
    links->addWidget(feedback);
    links->addWidget(about);
    links->addStretch(1);
    stack->addLayout(links);

    connect(&m, &Model::recentsChanged, this, &IdleView::showWalls);
    showWalls();

    ScreenKeys::bind(this, choose, nullptr);
}

void IdleView::setDropping(bool dropping)
{
    if (dropping) {
        hint->setText(tr("Drop it here"));
        Look::setTextColor(hint, Look::accent(palette()));
    } else {
        hint->setText(tr("or drag a folder or drive onto this window"));
        Look::setTextColor(hint, Look::secondary(palette()));
    }
}

void IdleView::showWalls()
{
    if (walls) {
        // A row's own button may have led here (removing it from the list).
        stack->removeWidget(walls);
        walls->hide();
        walls->deleteLater();
    }
    const QList<Recent> recents = m.recents();
    if (recents.isEmpty())
        return;

    auto* panel = new RoundedPanel(this);
    auto* column = new QVBoxLayout(panel);
    column->setContentsMargins(14, 14, 14, 14);
    column->setSpacing(0);
    auto* heading = Look::label(tr("Your walls"), TextStyle::headline, panel);
    column->addWidget(heading);
    column->addSpacing(8);
    for (const Recent& recent : recents) {
        column->addWidget(new RecentRow(m, recent, panel));
        if (!(recent == recents.last())) {
            auto* divider = new QFrame(panel);
            divider->setObjectName(QStringLiteral("divider"));
            divider->setFixedHeight(1);
            divider->setAutoFillBackground(true);
            QPalette palette = divider->palette();
            palette.setColor(QPalette::Window, Look::separator(palette));
            divider->setPalette(palette);
            column->addWidget(divider);
        }
    }
    walls = panel;
    // After the check boxes: mark, heading, button, hint, check boxes, then the panel.
    stack->insertWidget(stack->indexOf(videoCopies) + 1, panel);
}
