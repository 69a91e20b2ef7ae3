// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "MemoryRegistry.h"

#include <QtEndian>

#include <algorithm>

MemoryRegistry::MemoryRegistry(User user) : m_user(user) {}

QByteArray MemoryRegistry::keyId(quint32 root, const QByteArray &path)
{
    return QByteArray::number(root) + '\\' + path.toLower();
}

void MemoryRegistry::setValue(quint32 root, const QByteArray &path, const QByteArray &name, quint32 type,
                              const QByteArray &data)
{
    m_keys[keyId(root, path)].insert(name.toLower(), Value{type, data});
}

void MemoryRegistry::setString(quint32 root, const QByteArray &path, const QByteArray &name, const QByteArray &text)
{
    // Stored as Windows stores a string value: with its terminating zero.
    setValue(root, path, name, StringType, text + '\0');
}

void MemoryRegistry::setDword(quint32 root, const QByteArray &path, const QByteArray &name, quint32 value)
{
    QByteArray data(sizeof value, '\0');
    qToLittleEndian(value, data.data());
    setValue(root, path, name, DwordType, data);
}

int MemoryRegistry::openKeyCount() const
{
    return int(m_open.size());
}

long MemoryRegistry::openKey(quint32 root, const QByteArray &path, quint32 access, Handle &key)
{
    const QByteArray id = keyId(root, path);
    if (!m_keys.contains(id))
        return FileNotFound;
    if (m_user == User::Standard && (access & ~ReadAccess) != 0)
        return AccessDenied;
    key = m_nextHandle++;
    m_open.insert(key, id);
    return NoError;
}

long MemoryRegistry::queryValue(Handle key, const QByteArray &name, quint32 &type, std::span<char> buffer,
                                quint32 &length)
{
    if (!m_open.contains(key))
        return InvalidHandle;
    const Values &values = m_keys.value(m_open.value(key));
    const auto found = values.constFind(name.toLower());
    if (found == values.constEnd())
        return FileNotFound;
    const QByteArray &data = found->data;
    length = quint32(data.size());
    if (std::size_t(data.size()) > buffer.size())
        return MoreData;
    type = found->type;
    std::copy(data.cbegin(), data.cend(), buffer.begin());
    return NoError;
}

void MemoryRegistry::closeKey(Handle key)
{
    m_open.remove(key);
}
