// The start screen: the mark, the folder button, the drop hint, the build settings (duplicates,
// portable walls) and the walls built before.
#pragma once

#include "model/Model.h"

#include <QPointer>
#include <QWidget>

class QCheckBox;
class QLabel;
class QPushButton;
class QVBoxLayout;
class LinkButton;

class IdleView : public QWidget {
    Q_OBJECT
public:
    IdleView(Model& m, bool dropping, QWidget* parent = nullptr);

    /// Says "Drop it here" while a drag hovers over the window.
    void setDropping(bool dropping);

    QPushButton* chooseButton() const { return choose; }
    QLabel* dropHint() const { return hint; }
    QCheckBox* dedupeBox() const { return dedupe; }
    QCheckBox* portableBox() const { return portable; }
    QCheckBox* videoCopiesBox() const { return videoCopies; }
    /// The "Your walls" panel; null when no wall is remembered.
    QWidget* wallsPanel() const { return walls; }
    LinkButton* feedbackLink() const { return feedback; }
    LinkButton* aboutLink() const { return about; }

private:
    void showWalls();

    Model& m;
    QVBoxLayout* stack;
    QPushButton* choose;
    QLabel* hint;
    QCheckBox* dedupe;
    QCheckBox* portable;
    QCheckBox* videoCopies;
    QPointer<QWidget> walls;
    LinkButton* feedback;
    LinkButton* about;
};
