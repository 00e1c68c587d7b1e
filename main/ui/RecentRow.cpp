// A row of the walls list: title, count and age, Open, Update and remove.
#include "ui/RecentRow.h"

#include "model/TextFormat.h"
#include "ui/ElidedLabel.h"
#include "ui/Look.h"
#include "ui/Symbol.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

using Look::TextStyle;

QString RecentRow::caption(const Recent& r, const QDateTime& now)
{
    return wallContents(r.photos, r.videos) + QStringLiteral(" · updated ") +
           TextFormat::relativeDate(r.updated, now);
}

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
    counts = Look::label(caption(r, QDateTime::currentDateTimeUtc()), TextStyle::caption, this);
    Look::setTextColor(counts, Look::secondary(palette()));
    text->addWidget(counts);
    row->addLayout(text, 1);

    open = new QPushButton(QStringLiteral("Open"), this);
    open->setAutoDefault(false);
    connect(open, &QPushButton::clicked, &m, [&m, r] { m.open(r); });
    row->addWidget(open);

    update = new QPushButton(QStringLiteral("Update"), this);
    update->setAutoDefault(false);
    update->setToolTip(QStringLiteral("Add photos that are new since last time. Only new photos are processed."));
    connect(update, &QPushButton::clicked, &m, [&m, r] { m.update(r); });
    row->addWidget(update);

    remove = new QToolButton(this);
    remove->setAutoRaise(true);
    remove->setIcon(QIcon(symbolPixmap(SymbolName::xmark, 12, Look::secondary(palette()), devicePixelRatioF())));
    remove->setIconSize(QSize(12, 12));
    remove->setToolTip(QStringLiteral("Remove from this list. The gallery files stay where they are."));
    remove->setAccessibleName(QStringLiteral("Remove"));
    connect(remove, &QToolButton::clicked, &m, [&m, r] { m.forget(r); });
    row->addWidget(remove);
}
