// A label that wraps its text at a known width and asks for the height that needs.
#pragma once

#include <QLabel>

/// A layout asks a wrapping QLabel for its minimum height without telling it the width, so the
/// label answers for one line and a screen with several of them comes out too short. Every
/// wrapping text on these screens has a known width, the screen's or its own fixed one; this
/// label answers for it.
class WrapLabel : public QLabel {
    Q_OBJECT
public:
    WrapLabel(const QString& text, int wrapWidth, QWidget* parent = nullptr);

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;
    /// A layout offers its own width, which may be more than this label takes.
    int heightForWidth(int width) const override;

private:
    int wrapWidth;
};
