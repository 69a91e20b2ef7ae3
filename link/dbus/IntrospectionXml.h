// Introspection XML of the link server's objects, derived from the member catalogue: each
// member carries its DISPID, byte offset(s) and help text as annotations, the interfaces
// their identifiers, and `_Varnex` the type library and the enumerations.
#pragma once

#include <QString>
#include <QStringList>

namespace tethra::dbus {

inline constexpr char serviceName[] = "org.tethra.Tethra";
inline constexpr char rootPath[] = "/org/tethra/Tethra";
inline constexpr char factoryInterface[] = "org.tethra.Tethra.ClassFactory";
inline constexpr char connectorInterface[] = "org.tethra.Tethra._VarnexConnector";
inline constexpr char varnexInterface[] = "org.tethra.Tethra._Varnex";
inline constexpr char eventInterface[] = "org.tethra.Tethra.__Varnex";
inline constexpr char errorName[] = "org.tethra.Tethra.Error";

QString factoryXml(const QStringList &children);
QString connectorXml();
QString varnexXml();
// A node with only children (the containers of connectors and shared objects).
QString containerXml(const QStringList &children);

} // namespace tethra::dbus
