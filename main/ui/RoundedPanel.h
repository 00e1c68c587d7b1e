// A rounded panel behind a group of rows.
#pragma once

#include <QWidget>

/// Filled with the control background colour and outlined with the separator colour, corner
/// radius 10.
class RoundedPanel : public QWidget {
    Q_OBJECT
public:
    explicit RoundedPanel(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};
