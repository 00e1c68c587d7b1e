// One wall of the "Your walls" list, with its three actions.
#pragma once

#include "model/Model.h"

#include <QWidget>

class ElidedLabel;
class QLabel;
class QPushButton;
class QToolButton;
class SymbolView;

class RecentRow : public QWidget {
    Q_OBJECT
public:
    RecentRow(Model& m, Recent r, QWidget* parent = nullptr);

    ElidedLabel* titleLabel() const { return title; }
    QLabel* captionLabel() const { return counts; }
    /// The mark of an unfinished wall; null for a finished one.
    QLabel* unfinishedLabel() const { return unfinished; }
    QPushButton* openButton() const { return open; }
    QPushButton* updateButton() const { return update; }
    QToolButton* removeButton() const { return remove; }

private:
    ElidedLabel* title;
    QLabel* counts;
    QLabel* unfinished = nullptr;
    SymbolView* unfinishedSymbol = nullptr;
    QPushButton* open;
    QPushButton* update;
    QToolButton* remove;
};
