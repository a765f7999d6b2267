#include "app/SystemOperations.h"
#include "app/qt/AdministratorRights.h"
#include "app/qt/Fonts.h"
#include "app/qt/Form1View.h"
#include "app/qt/MessageBoxes.h"
#include "app/qt/QtText.h"
#include "base/ErrorBox.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("qm-smart-test"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/qm-smart-test.png")));
    QApplication::setFont(WindowFont());
    try {
        // The back ends outlive the window that works with them.
        SystemOperations system;
        Form1View window(system.Operations(), QM_UPLOAD_URL);
        system.Loaded();
        WarnUnlessAdministrator(RunsAsAdministrator(), QApplication::applicationFilePath(), ShowMessageBox);
        window.show();
        return application.exec();
    } catch (const std::exception& e) {
        ShowMessageBox(nullptr, BoxKind::Error, ShownText(ErrorBoxMessage(e.what())));
        return 1;
    }
}
