// Building the list of unreadable files.
#include "ui/UnreadableDialog.h"

#include "model/Model.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

UnreadableDialog::UnreadableDialog(Model& m, const QString& heading, const QStringList& names, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(tr("Files That Couldn't Be Read"));
    auto* stack = new QVBoxLayout(this);
    auto* label = new QLabel(heading, this);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    stack->addWidget(label);

    list = new QPlainTextEdit(this);
    list->setReadOnly(true);
    // A file's line holds its reason and its decoder's words: it wraps, so that both are seen
    // without scrolling sideways; a long name breaks anywhere rather than run out of view.
    list->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    list->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    list->setPlainText(names.join(QLatin1Char('\n')));
    list->setMinimumSize(440, 220);
    stack->addWidget(list);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    copy = buttons->addButton(tr("Copy List"), QDialogButtonBox::ActionRole);
    connect(copy, &QPushButton::clicked, this, [this, &m] {
        if (m.actions())
            m.actions()->copyText(listText() + QLatin1Char('\n'));
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    stack->addWidget(buttons);
}

QString UnreadableDialog::listText() const
{
    return list->toPlainText();
}
