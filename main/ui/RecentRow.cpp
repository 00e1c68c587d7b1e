// A row of the walls list: title, count and age, Open, Update and remove.
#include "ui/RecentRow.h"

#include "ui/ElidedLabel.h"
#include "ui/Look.h"
#include "ui/Symbol.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

using Look::TextStyle;

RecentRow::RecentRow(Model& m, Recent r, QWidget* parent) : QWidget(parent)
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 7, 0, 7);
    row->setSpacing(10);

    auto* text = new QVBoxLayout;
    text->setSpacing(2);
    title = new ElidedLabel(Qt::ElideRight, this);
    title->setFont(Look::font(TextStyle::body));
    QFont medium = title->font();
    medium.setWeight(QFont::Medium);
    title->setFont(medium);
    title->setText(r.title);
    text->addWidget(title);
    counts = Look::label(RecentText::caption(r, QDateTime::currentDateTimeUtc()), TextStyle::caption, this);
    Look::setTextColor(counts, Look::secondary(palette()));
    text->addWidget(counts);
    if (const QString mark = RecentText::unfinished(r); !mark.isEmpty()) {
        // A wall that a stop left unfinished says so until a run finishes it; its Update does.
        auto* line = new QHBoxLayout;
        line->setSpacing(4);
        unfinishedSymbol = new SymbolView(SymbolName::pause, 11, Look::orange(), this);
        line->addWidget(unfinishedSymbol);
        unfinished = Look::label(mark, TextStyle::caption, this);
        Look::setTextColor(unfinished, Look::orange());
        line->addWidget(unfinished, 1);
        text->addLayout(line);
    }
    row->addLayout(text, 1);

    open = new QPushButton(tr("Open"), this);
    open->setAutoDefault(false);
    connect(open, &QPushButton::clicked, &m, [&m, r] { m.open(r); });
    row->addWidget(open);

    update = new QPushButton(tr("Update"), this);
    update->setAutoDefault(false);
    update->setToolTip(tr("Add photos that are new since last time. Only new photos are processed."));
    connect(update, &QPushButton::clicked, &m, [&m, r] { m.update(r); });
    row->addWidget(update);

    remove = new QToolButton(this);
    remove->setAutoRaise(true);
    remove->setIcon(QIcon(symbolPixmap(SymbolName::xmark, 12, Look::secondary(palette()), devicePixelRatioF())));
    remove->setIconSize(QSize(12, 12));
    remove->setToolTip(tr("Remove from this list. The gallery files stay where they are."));
    remove->setAccessibleName(tr("Remove"));
    connect(remove, &QToolButton::clicked, &m, [&m, r] { m.forget(r); });
    row->addWidget(remove);
}
