// The application's mark as the start and progress screens show it.
#pragma once

#include <QWidget>

/// The application's icon, 88 pixels square.
class AppMark : public QWidget {
    Q_OBJECT
public:
    explicit AppMark(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

/// The application's icon: the installed theme's, else the one built into the program.
QIcon appIcon();
