// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "StartSysInfo.h"

#include "GetKeyValue.h"
#include "Message.h"
#include "Registry.h"
#include "SysInfoServices.h"

#include <QStandardPaths>
#include <QStringList>

namespace {

const QString ToolKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
const QString ToolValue = QStringLiteral("PATH");
const QString FolderKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location");
const QString FolderValue = QStringLiteral("MSINFO");
const QString ToolFile = QStringLiteral("\\MSINFO32.EXE");

// Looked for on PATH, in this order, where the registry knows no tool: the dedicated
// system-information programs first (hardinfo2 succeeds hardinfo), then the desktops'
// information centres, a hardware lister, and last the GNOME monitor's system page.
QStringList pathTools()
{
#ifdef _WIN32
    return {};
#else
    return {QStringLiteral("hardinfo2"), QStringLiteral("hardinfo"), QStringLiteral("kinfocenter"),
            QStringLiteral("lshw-gtk"), QStringLiteral("gnome-system-monitor")};
#endif
}

enum class RegistryResult { Found, NotFound, FolderWithoutTool };

RegistryResult findInRegistry(const SysInfoServices &services, QString &tool)
{
    Registry &registry = *services.registry;
    if (GetKeyValue(registry, Registry::LocalMachine, ToolKey, ToolValue, tool))
        return RegistryResult::Found;

    QString folder;
    if (!GetKeyValue(registry, Registry::LocalMachine, FolderKey, FolderValue, folder))
        return RegistryResult::NotFound;
    tool = folder + ToolFile;
    return services.fileExists(tool) ? RegistryResult::Found : RegistryResult::FolderWithoutTool;
}

QString findOnPath()
{
    for (const QString &name : pathTools()) {
        const QString path = QStandardPaths::findExecutable(name);
        if (!path.isEmpty())
            return path;
    }
    return {};
}

} // namespace

void StartSysInfo(const SysInfoServices &services, QWidget *parent)
{
    QString tool;
    const RegistryResult found = findInRegistry(services, tool);
    if (found == RegistryResult::NotFound)
        tool = findOnPath();

    const bool started = found != RegistryResult::FolderWithoutTool && !tool.isEmpty() && services.startProgram(tool);
    if (!started)
        tovana::showMessage(parent, QStringLiteral("System Information Is Unavailable At This Time"));
}
