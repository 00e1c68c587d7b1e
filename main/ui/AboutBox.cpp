// The About box: one message box, opened without blocking the window.
#include "ui/AboutBox.h"

#include "model/ProgramVersion.h"

#include <QCoreApplication>
#include <QMessageBox>

namespace AboutBox {

QString text()
{
    const QString version = ProgramVersion::line(QStringLiteral("Kestova"));
    // The gazetteer's licence asks for this credit wherever the place names are shown.
    const QString places = QCoreApplication::translate("AboutBox", "Place names: GeoNames (geonames.org), CC BY 4.0");
    return version + QStringLiteral("\n\n") +
           QCoreApplication::translate("AboutBox", "Turns every photo in a folder into one wall that opens in your web browser.") +
           QStringLiteral("\n\n") + places;
}

void show(QWidget* parent)
{
    auto* box = new QMessageBox(QMessageBox::Information, QCoreApplication::translate("AboutBox", "About Kestova"), text(),
                                QMessageBox::Close, parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

} // namespace AboutBox
