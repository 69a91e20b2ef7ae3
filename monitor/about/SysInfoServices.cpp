#include "SysInfoServices.h"

#include "SystemRegistry.h"

#include <QFileInfo>
#include <QProcess>

SysInfoServices SysInfoServices::system()
{
    return SysInfoServices{
        &systemRegistry(),
        [](const QString &path) { return QFileInfo(path).isFile(); },
        [](const QString &program) { return QProcess::startDetached(program, {}); },
    };
}
