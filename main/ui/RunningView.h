// The progress screen: the wall's title, a progress bar, the model's texts and Stop.
#pragma once

#include "model/Model.h"

#include <QWidget>

class ElidedLabel;
class QLabel;
class QProgressBar;
class QPushButton;

class RunningView : public QWidget {
    Q_OBJECT
public:
    explicit RunningView(Model& m, QWidget* parent = nullptr);

    ElidedLabel* titleLabel() const { return title; }
    QProgressBar* progressBar() const { return bar; }
    QLabel* statusLabel() const { return status; }
    ElidedLabel* detailLabel() const { return detail; }
    QPushButton* stopButton() const { return stop; }

    /// Steps of the determinate bar: fine enough for one pixel in 340.
    static constexpr int barSteps = 1000;

private:
    void refresh();

    Model& m;
    ElidedLabel* title;
    QProgressBar* bar;
    QLabel* status;
    ElidedLabel* detail;
    QPushButton* stop;
};
