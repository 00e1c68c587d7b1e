// Building the result screen from the model's summary.
#include "ui/DoneView.h"

#include "model/PathText.h"
#include "ui/Look.h"
#include "model/ResultText.h"
#include "ui/ScreenKeys.h"
#include "ui/Symbol.h"
#include "ui/UnreadableDialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using Look::TextStyle;

DoneView::DoneView(Model& m, QWidget* parent) : QWidget(parent)
{
    auto* stack = new QVBoxLayout(this);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(16);
    stack->addStretch(1);
    const std::optional<JobSummary> summary = m.summary();
    if (!summary) {
        stack->addStretch(1);
        return;
    }
    const ResultText text = ResultText::of(*summary, m.currentTitle());
    const QString gallery = PathText::fromPath(summary->gallery);

    _symbol = text.paused ? new SymbolView(SymbolName::pause, 54, Look::orange(), this)
                          : new SymbolView(SymbolName::checkmark, 54, Look::green(), this);
    stack->addWidget(_symbol, 0, Qt::AlignHCenter);

    headline = Look::wrappedLabel(text.headline, TextStyle::title2, this);
    headline->setFont(Look::scaledFont(17, QFont::Bold));
    stack->addWidget(headline);

    if (!text.details.isEmpty()) {
        auto* lines = new QVBoxLayout;
        lines->setSpacing(4);
        for (const QString& line : text.details) {
            auto* label = Look::wrappedLabel(line, TextStyle::callout, this);
            Look::setTextColor(label, Look::secondary(palette()));
            if (details.size() == text.unreadableDetail) {
                // The same words, as a link to the names of those files.
                label->setTextFormat(Qt::RichText);
                // In the accent colour of the window's other links, not the browser blue.
                label->setText(QStringLiteral("<a href=\"unreadable\" style=\"color: %1\">%2</a>")
                                   .arg(Look::accent(palette()).name(), line.toHtmlEscaped()));
                label->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
                label->setToolTip(tr("Show which files"));
                const JobSummary s = *summary;
                connect(label, &QLabel::linkActivated, this, [this, &m, s] { showUnreadable(m, s); });
                unreadable = label;
            }
            lines->addWidget(label);
            details << label;
        }
        stack->addLayout(lines);
    }

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(10);
    buttons->addStretch(1);
    if (text.offersUpdate) {
        // The words above name this button: the wall is finished from here, not from Your walls.
        update = new QPushButton(tr("Update"), this);
        update->setToolTip(tr("Do the photos that are still to do. The photos done so far are kept."));
        Look::makeProminent(update);
        connect(update, &QPushButton::clicked, &m, &Model::updateFinished);
        buttons->addWidget(update);
    }
    if (text.hasWall) {
        open = new QPushButton(tr("Open Kestova"), this);
        if (!update)
            Look::makeProminent(open);
        connect(open, &QPushButton::clicked, &m, [&m, gallery] {
            if (m.actions())
                m.actions()->openFile(gallery);
        });
        reveal = new QPushButton(tr("Show in Folder"), this);
        connect(reveal, &QPushButton::clicked, &m, [&m, gallery] {
            if (m.actions())
                m.actions()->revealFile(gallery);
        });
        buttons->addWidget(open);
        buttons->addWidget(reveal);
    }
    done = new QPushButton(tr("Done"), this);
    connect(done, &QPushButton::clicked, &m, [&m] { m.setStage(Model::Stage::idle); });
    buttons->addWidget(done);
    buttons->addStretch(1);
    for (QPushButton* button : {update, open, reveal, done}) {
        if (!button)
            continue;
        button->setAutoDefault(false);
        Look::makeLarge(button);
    }
    stack->addSpacing(6);
    stack->addLayout(buttons);

    if (text.hasWall) {
        savedAt = Look::wrappedLabel(text.savedAt, TextStyle::caption, this, 420);
        Look::setTextColor(savedAt, Look::secondary(palette()));
        savedAt->setTextInteractionFlags(Qt::TextSelectableByMouse);
        savedAt->setFixedWidth(420);
        stack->addWidget(savedAt, 0, Qt::AlignHCenter);
    }
    stack->addStretch(1);

    ScreenKeys::bind(this, update ? update : open, done);
}

void DoneView::showUnreadable(Model& m, const JobSummary& s)
{
    if (!unreadableList) {
        unreadableList = new UnreadableDialog(m, ResultText::unreadableHeading(s), ResultText::unreadableNames(s), this);
        unreadableList->setWindowModality(Qt::WindowModal);
    }
    unreadableList->open();
}
