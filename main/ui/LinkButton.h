// A button drawn as a hyperlink.
#pragma once

#include <QAbstractButton>

/// Text in the accent colour with no frame; underlined while the pointer is over it.
class LinkButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit LinkButton(const QString& text, QWidget* parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    bool hovered = false;
};
