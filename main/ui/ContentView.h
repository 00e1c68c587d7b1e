// The window's whole content: the screen for the model's stage, and folders dropped on it.
#pragma once

#include "model/Model.h"

#include <QPointer>
#include <QWidget>

class QVBoxLayout;

/// Shows exactly one screen, chosen by the model's stage, inside the same 28-pixel margins and
/// 540-pixel width, at least 460 tall. A folder dropped anywhere on it starts a run.
class ContentView : public QWidget {
    Q_OBJECT
public:
    explicit ContentView(Model& m, QWidget* parent = nullptr);

    /// Whether a drag that carries files is over the window.
    bool dropping() const { return _dropping; }
    /// The screen shown now.
    QWidget* screen() const { return _screen; }

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

    static constexpr int fixedWidth = 540;
    static constexpr int leastHeight = 460;
    static constexpr int margin = 28;

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void showScreen();
    void setDropping(bool dropping);

    Model& m;
    bool _dropping = false;
    QPointer<QWidget> _screen;
    QVBoxLayout* frame;
};
