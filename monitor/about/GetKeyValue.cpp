// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "GetKeyValue.h"

#include "Registry.h"

#include <algorithm>
#include <array>

namespace {

constexpr std::size_t BufferSize = 1024;

QString dwordText(const char *data, quint32 length)
{
    // Little-endian bytes; a dropped trailing zero byte does not change the value.
    quint32 value = 0;
    for (quint32 i = 0; i < std::min<quint32>(length, 4); ++i)
        value |= quint32(static_cast<unsigned char>(data[i])) << (8 * i);
    return QStringLiteral("&h") + QString::number(value, 16).toUpper();
}

} // namespace

bool GetKeyValue(Registry &registry, quint32 KeyRoot, const QString &KeyName, const QString &SubKeyRef, QString &KeyVal)
{
    Registry::Handle key = 0;
    if (registry.openKey(KeyRoot, KeyName.toLocal8Bit(), Registry::ReadAccess, key) != Registry::NoError) {
        KeyVal.clear();
        return false;
    }

    std::array<char, BufferSize> buffer{};
    quint32 type = 0;
    quint32 length = 0;
    if (registry.queryValue(key, SubKeyRef.toLocal8Bit(), type, buffer, length) != Registry::NoError) {
        KeyVal.clear();
        registry.closeKey(key);
        return false;
    }

    length = std::min<quint32>(length, BufferSize);
    if (length > 0 && buffer[length - 1] == '\0')
        --length;

    if (type == Registry::StringType)
        KeyVal = QString::fromLocal8Bit(buffer.data(), qsizetype(length));
    else if (type == Registry::DwordType)
        KeyVal = dwordText(buffer.data(), length);

    registry.closeKey(key);
    return true;
}
