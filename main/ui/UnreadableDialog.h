// The names of the files a run could not read, opened from the result screen.
#pragma once

#include <QDialog>

class QPlainTextEdit;
class QPushButton;
class Model;

/// A heading, the names one per line (selectable), "Copy List" and "Close". The names are the
/// paths inside the source, so the user can find each file.
class UnreadableDialog : public QDialog {
    Q_OBJECT
public:
    UnreadableDialog(Model& m, const QString& heading, const QStringList& names, QWidget* parent);

    QString listText() const;
    QPushButton* copyButton() const { return copy; }

private:
    QPlainTextEdit* list = nullptr;
    QPushButton* copy = nullptr;
};
