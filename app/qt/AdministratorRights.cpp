#include "app/qt/AdministratorRights.h"

#include <unistd.h>

bool RunsAsAdministrator()
{
    return ::geteuid() == 0;
}

void WarnUnlessAdministrator(bool administrator, const QString& programPath, const MessageBoxFunction& showBox)
{
    if (administrator)
        return;
    showBox(nullptr, BoxKind::Warning,
            QStringLiteral("QM Smart Test is running without administrator rights, so it cannot read the "
                           "SMART data of your disks: the report will only say, for each disk, that it "
                           "could not be opened.\n\n"
                           "Start it from the desktop menu, which asks for the administrator password, "
                           "or from a terminal with:\n    pkexec %1")
                .arg(programPath));
}
