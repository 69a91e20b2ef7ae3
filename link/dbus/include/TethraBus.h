// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The link server's published names on the D-Bus session bus: what the server exports and
// what every client (the monitor, tethra-cli, the radio bridge) calls. Header only, so a
// client depends on the published interface and on nothing of the server's code.
#pragma once

namespace tethra::bus {

inline constexpr char serviceName[] = "org.tethra.Tethra";
inline constexpr char rootPath[] = "/org/tethra/Tethra";
inline constexpr char factoryInterface[] = "org.tethra.Tethra.ClassFactory";
inline constexpr char connectorInterface[] = "org.tethra.Tethra._VarnexConnector";
inline constexpr char varnexInterface[] = "org.tethra.Tethra._Varnex";
inline constexpr char eventInterface[] = "org.tethra.Tethra.__Varnex";
inline constexpr char errorName[] = "org.tethra.Tethra.Error";
inline constexpr char propertiesInterface[] = "org.freedesktop.DBus.Properties";
// The class identifier that CreateObject turns into a connector.
inline constexpr char connectorClassId[] = "{AD389A93-FD1A-11D1-9FFC-8703DD3BB166}";

} // namespace tethra::bus
