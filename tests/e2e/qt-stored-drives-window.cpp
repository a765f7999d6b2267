// The Linux program's windows over stored drives (StoredDriveOperations.h), for the README's
// pictures; built for the picture run only, never part of the product.
// usage: qt-stored-drives-window BLOB...   (one skdump --save file per disk, disk 0 first)
#include "tests/e2e/StoredDriveOperations.h"

#include "app/qt/Fonts.h"
#include "app/qt/Form1View.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("qm-smart-test"));
    QApplication::setFont(WindowFont());
    StoredDriveOperations operations(std::vector<std::string>(argv + 1, argv + argc));
    Form1View window(operations.Operations(), QM_UPLOAD_URL);
    window.show();
    return application.exec();
}
