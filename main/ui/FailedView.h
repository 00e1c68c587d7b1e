// The failure screen: what went wrong, and OK.
#pragma once

#include "model/Model.h"

#include <QWidget>

class QLabel;
class QPushButton;

class FailedView : public QWidget {
    Q_OBJECT
public:
    explicit FailedView(Model& m, QWidget* parent = nullptr);

    QLabel* messageLabel() const { return message; }
    QPushButton* okButton() const { return ok; }

private:
    QLabel* message;
    QPushButton* ok;
};
