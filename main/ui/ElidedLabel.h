// A one-line label that cuts a text too long for it with an ellipsis.
#pragma once

#include <QWidget>

/// QLabel never elides; this one keeps its one line and shows "…" where the text is cut,
/// at the end or in the middle (a long path keeps its beginning and its end).
class ElidedLabel : public QWidget {
    Q_OBJECT
public:
    explicit ElidedLabel(Qt::TextElideMode mode, QWidget* parent = nullptr);

    void setText(const QString& text);
    QString text() const { return _text; }
    /// The text as it is drawn at the label's current width.
    QString shownText() const;
    void setAlignment(Qt::Alignment alignment);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString _text;
    Qt::TextElideMode mode;
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
};
