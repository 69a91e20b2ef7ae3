// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "IntrospectionXml.h"

#include "DBusValue.h"
#include "MemberCatalogue.h"

namespace tethra::dbus {
namespace {

using namespace tethra::catalogue;

// Attribute text: line breaks must survive XML attribute normalisation, so they become
// character references like everything else that is not plain text.
QString escaped(std::string_view text)
{
    QString out;
    for (char c : text) {
        switch (c) {
        case '&': out += QLatin1String("&amp;"); break;
        case '<': out += QLatin1String("&lt;"); break;
        case '>': out += QLatin1String("&gt;"); break;
        case '"': out += QLatin1String("&quot;"); break;
        case '\r': out += QLatin1String("&#13;"); break;
        case '\n': out += QLatin1String("&#10;"); break;
        default: out += QLatin1Char(c);
        }
    }
    return out;
}

QString annotation(const char *name, std::string_view value, const char *indent)
{
    return QStringLiteral("%1<annotation name=\"%2\" value=\"%3\"/>\n")
        .arg(QLatin1String(indent), QLatin1String(name), escaped(value));
}

QString annotation(const char *name, const QString &value, const char *indent)
{
    return annotation(name, std::string_view(value.toStdString()), indent);
}

QString hex(std::uint32_t n)
{
    return QStringLiteral("0x") + QString::number(n, 16).toUpper().rightJustified(8, QLatin1Char('0'));
}

QString memberAnnotations(const Member &m, const char *indent)
{
    QString offsets;
    if (m.kind == Kind::Method)
        offsets = QString::number(m.offset);
    else if (m.letOffset == 0)
        offsets = QStringLiteral("get %1").arg(m.getOffset);
    else
        offsets = QStringLiteral("let %1, get %2").arg(m.letOffset).arg(m.getOffset);
    return annotation("org.tethra.DispId", hex(m.dispid), indent) +
           annotation("org.tethra.VtableOffset", offsets, indent) + annotation("org.tethra.HelpString", m.help, indent);
}

QString memberXml(const Member &m)
{
    QString xml;
    if (m.kind == Kind::Property) {
        xml += QStringLiteral("    <property name=\"%1\" type=\"%2\" access=\"%3\">\n")
                   .arg(QLatin1String(m.name.data(), qsizetype(m.name.size())), QLatin1String(signature(m.type)),
                        m.letOffset == 0 ? QLatin1String("read") : QLatin1String("readwrite"));
        if (m.textWidth > 0)
            xml += annotation("org.tethra.TextWidth", QString::number(m.textWidth), "      ");
        xml += memberAnnotations(m, "      ");
        return xml + QLatin1String("    </property>\n");
    }
    xml += QStringLiteral("    <method name=\"%1\">\n").arg(QLatin1String(m.name.data(), qsizetype(m.name.size())));
    xml += memberAnnotations(m, "      ");
    xml += annotation("org.tethra.Event", m.event, "      ");
    for (const Argument &a : m.arguments) {
        xml += QStringLiteral("      <arg name=\"%1\" type=\"%2\" direction=\"in\"")
                   .arg(QLatin1String(a.name.data(), qsizetype(a.name.size())), QLatin1String(signature(a.type)));
        if (a.enumName.empty() && !a.byReference) {
            xml += QLatin1String("/>\n");
            continue;
        }
        xml += QLatin1String(">\n");
        if (!a.enumName.empty())
            xml += annotation("org.tethra.Enumeration", a.enumName, "        ");
        if (a.byReference)
            xml += annotation("org.tethra.ByReference", std::string_view("true"), "        ");
        xml += QLatin1String("      </arg>\n");
    }
    return xml + QLatin1String("    </method>\n");
}

QString releaseXml()
{
    return QStringLiteral("    <method name=\"Release\"/>\n");
}

QString joined(std::span<const std::string_view> ids)
{
    QStringList list;
    for (std::string_view id : ids)
        list << QString::fromLatin1(id.data(), qsizetype(id.size()));
    return list.join(QLatin1Char(' '));
}

QString enumerationAnnotations()
{
    QString xml;
    for (const Enumeration &e : enumerations()) {
        QStringList members;
        for (const EnumMember &m : e.members)
            members << QStringLiteral("%1=%2").arg(QLatin1String(m.name.data(), qsizetype(m.name.size()))).arg(m.value);
        const QString name =
            QStringLiteral("org.tethra.Enumeration.") + QLatin1String(e.name.data(), qsizetype(e.name.size()));
        const QString value =
            QLatin1String(e.guid.data(), qsizetype(e.guid.size())) + QLatin1Char(' ') + members.join(QLatin1Char(' '));
        xml += QStringLiteral("    <annotation name=\"%1\" value=\"%2\"/>\n").arg(name, value);
    }
    return xml;
}

QString standardInterfaces()
{
    return QStringLiteral(
        "  <interface name=\"org.freedesktop.DBus.Introspectable\">\n"
        "    <method name=\"Introspect\"><arg name=\"xml_data\" type=\"s\" direction=\"out\"/></method>\n"
        "  </interface>\n"
        "  <interface name=\"org.freedesktop.DBus.Properties\">\n"
        "    <method name=\"Get\"><arg name=\"interface_name\" type=\"s\" direction=\"in\"/>"
        "<arg name=\"property_name\" type=\"s\" direction=\"in\"/><arg name=\"value\" type=\"v\" "
        "direction=\"out\"/></method>\n"
        "    <method name=\"Set\"><arg name=\"interface_name\" type=\"s\" direction=\"in\"/>"
        "<arg name=\"property_name\" type=\"s\" direction=\"in\"/><arg name=\"value\" type=\"v\" "
        "direction=\"in\"/></method>\n"
        "    <method name=\"GetAll\"><arg name=\"interface_name\" type=\"s\" direction=\"in\"/>"
        "<arg name=\"values\" type=\"a{sv}\" direction=\"out\"/></method>\n"
        "    <signal name=\"PropertiesChanged\"><arg name=\"interface_name\" type=\"s\"/>"
        "<arg name=\"changed_properties\" type=\"a{sv}\"/><arg name=\"invalidated_properties\" type=\"as\"/></signal>\n"
        "  </interface>\n");
}

QString document(const QString &body, const QStringList &children = {})
{
    QString xml = QStringLiteral("<!DOCTYPE node PUBLIC \"-//freedesktop//DTD D-BUS Object Introspection 1.0//EN\"\n"
                                 " \"http://www.freedesktop.org/standards/dbus/1.0/introspect.dtd\">\n<node>\n");
    xml += body;
    for (const QString &child : children)
        xml += QStringLiteral("  <node name=\"%1\"/>\n").arg(child);
    return xml + QLatin1String("</node>\n");
}

} // namespace

QString factoryXml(const QStringList &children)
{
    return document(standardInterfaces() + QStringLiteral("  <interface name=\"%1\">\n"
                                                          "    <method name=\"CreateObject\">\n"
                                                          "      <arg name=\"clsid\" type=\"s\" direction=\"in\"/>\n"
                                                          "      <arg name=\"object\" type=\"o\" direction=\"out\"/>\n"
                                                          "    </method>\n"
                                                          "  </interface>\n")
                                               .arg(QLatin1String(factoryInterface)),
                    children);
}

QString connectorXml()
{
    static const QString xml = [] {
        QString body =
            standardInterfaces() + QStringLiteral("  <interface name=\"%1\">\n").arg(QLatin1String(connectorInterface));
        body += annotation("org.tethra.InterfaceId", connectorInterfaceId, "    ");
        body += annotation("org.tethra.ClassId", connectorClassId, "    ");
        // A connector hands out the same object for as long as it lives.
        body += annotation("org.freedesktop.DBus.Property.EmitsChangedSignal", std::string_view("const"), "    ");
        for (const Member &m : connectorMembers())
            body += memberXml(m);
        body += releaseXml() + QLatin1String("  </interface>\n");
        return document(body);
    }();
    return xml;
}

QString varnexXml()
{
    static const QString xml = [] {
        const TypeLibrary &lib = typeLibrary();
        QString body =
            standardInterfaces() + QStringLiteral("  <interface name=\"%1\">\n").arg(QLatin1String(varnexInterface));
        body += annotation("org.tethra.InterfaceId", varnexInterfaceIds()[0], "    ");
        body += annotation("org.tethra.EarlierInterfaceIds", joined(varnexInterfaceIds().subspan(1)), "    ");
        body += annotation("org.freedesktop.DBus.Property.EmitsChangedSignal", std::string_view("true"), "    ");
        for (const Alias &alias : varnexAliases())
            body += annotation("org.tethra.Alias",
                               QString::fromLatin1(alias.name.data(), qsizetype(alias.name.size())) + QLatin1Char(' ') +
                                   QString::fromLatin1(alias.guid.data(), qsizetype(alias.guid.size())),
                               "    ");
        body += annotation("org.tethra.ClassId", varnexClassId, "    ");
        body += annotation("org.tethra.TypeLibrary",
                           QStringLiteral("%1 %2 %3.%4")
                               .arg(QLatin1String(lib.name.data(), qsizetype(lib.name.size())),
                                    QLatin1String(lib.guid.data(), qsizetype(lib.guid.size())))
                               .arg(lib.majorVersion)
                               .arg(lib.minorVersion),
                           "    ");
        body += annotation("org.tethra.TypeLibraryHelpString", lib.help, "    ");
        body += enumerationAnnotations();
        for (const Member &m : varnexMembers())
            body += memberXml(m);
        body += releaseXml() + QLatin1String("  </interface>\n");

        body += QStringLiteral("  <interface name=\"%1\">\n").arg(QLatin1String(eventInterface));
        body += annotation("org.tethra.InterfaceId", eventInterfaceIds()[0], "    ");
        body += annotation("org.tethra.EarlierInterfaceIds", joined(eventInterfaceIds().subspan(1)), "    ");
        for (const Event &e : events())
            body += QStringLiteral("    <signal name=\"%1\">\n")
                        .arg(QLatin1String(e.name.data(), qsizetype(e.name.size()))) +
                    annotation("org.tethra.DispId", QString::number(e.dispid), "      ") +
                    QLatin1String("    </signal>\n");
        body += QLatin1String("  </interface>\n");
        return document(body);
    }();
    return xml;
}

QString containerXml(const QStringList &children)
{
    return document(standardInterfaces(), children);
}

} // namespace tethra::dbus
