// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// Introspection XML of the link server's objects, derived from the member catalogue: each
// member carries its DISPID, byte offset(s) and help text as annotations, the interfaces
// their identifiers, and `_Varnex` the type library and the enumerations.
#pragma once

#include "TethraBus.h"

#include <QString>
#include <QStringList>

namespace tethra::dbus {

using tethra::bus::connectorInterface;
using tethra::bus::errorName;
using tethra::bus::eventInterface;
using tethra::bus::factoryInterface;
using tethra::bus::rootPath;
using tethra::bus::serviceName;
using tethra::bus::varnexInterface;

QString factoryXml(const QStringList &children);
QString connectorXml();
QString varnexXml();
// A node with only children (the containers of connectors and shared objects).
QString containerXml(const QStringList &children);

} // namespace tethra::dbus
