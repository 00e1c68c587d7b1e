// The result screen: what the run made, and the buttons to open or show the wall.
#pragma once

#include "model/Model.h"

#include <QWidget>

class QLabel;
class QPushButton;
class SymbolView;
class UnreadableDialog;

class DoneView : public QWidget {
    Q_OBJECT
public:
    explicit DoneView(Model& m, QWidget* parent = nullptr);

    /// Each is null when the run's result does not show it (or there is no result).
    SymbolView* symbol() const { return _symbol; }
    QLabel* headlineLabel() const { return headline; }
    QList<QLabel*> detailLabels() const { return details; }
    QPushButton* openButton() const { return open; }
    /// Offered when the wall is unfinished: runs again on its source.
    QPushButton* updateButton() const { return update; }
    QPushButton* showButton() const { return reveal; }
    QPushButton* doneButton() const { return done; }
    QLabel* savedAtLabel() const { return savedAt; }
    /// The detail line of the files that couldn't be read, a link to their names.
    QLabel* unreadableLabel() const { return unreadable; }
    /// The list of those names, once the user has opened it.
    UnreadableDialog* unreadableDialog() const { return unreadableList; }

private:
    void showUnreadable(Model& m, const JobSummary& s);

    SymbolView* _symbol = nullptr;
    QLabel* headline = nullptr;
    QList<QLabel*> details;
    QPushButton* update = nullptr;
    QPushButton* open = nullptr;
    QPushButton* reveal = nullptr;
    QPushButton* done = nullptr;
    QLabel* savedAt = nullptr;
    QLabel* unreadable = nullptr;
    UnreadableDialog* unreadableList = nullptr;
};
