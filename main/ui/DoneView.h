// The result screen: what the run made, and the buttons to open or show the wall.
#pragma once

#include "model/Model.h"

#include <QWidget>

class QLabel;
class QPushButton;
class SymbolView;

class DoneView : public QWidget {
    Q_OBJECT
public:
    explicit DoneView(Model& m, QWidget* parent = nullptr);

    /// Each is null when the run's result does not show it (or there is no result).
    SymbolView* symbol() const { return _symbol; }
    QLabel* headlineLabel() const { return headline; }
    QList<QLabel*> detailLabels() const { return details; }
    QPushButton* openButton() const { return open; }
    QPushButton* showButton() const { return reveal; }
    QPushButton* doneButton() const { return done; }
    QLabel* savedAtLabel() const { return savedAt; }

private:
    SymbolView* _symbol = nullptr;
    QLabel* headline = nullptr;
    QList<QLabel*> details;
    QPushButton* open = nullptr;
    QPushButton* reveal = nullptr;
    QPushButton* done = nullptr;
    QLabel* savedAt = nullptr;
};
