// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// A registry held in memory: the store on platforms without the Windows registry (where
// it stays empty) and the stand-in the tests fill. Key paths and value names compare
// without regard to case, as on Windows. A standard user is refused any access beyond
// reading, like a user without administrative rights under HKEY_LOCAL_MACHINE.
#pragma once

#include "Registry.h"

#include <QHash>
#include <QSet>

class MemoryRegistry : public Registry {
public:
    enum class User { Administrator, Standard };

    explicit MemoryRegistry(User user = User::Administrator);

    void setValue(quint32 root, const QByteArray &path, const QByteArray &name, quint32 type, const QByteArray &data);
    void setString(quint32 root, const QByteArray &path, const QByteArray &name, const QByteArray &text);
    void setDword(quint32 root, const QByteArray &path, const QByteArray &name, quint32 value);

    // Keys opened and not yet closed.
    int openKeyCount() const;

    long openKey(quint32 root, const QByteArray &path, quint32 access, Handle &key) override;
    long queryValue(Handle key, const QByteArray &name, quint32 &type, std::span<char> buffer,
                    quint32 &length) override;
    void closeKey(Handle key) override;

private:
    struct Value {
        quint32 type;
        QByteArray data;
    };
    using Values = QHash<QByteArray, Value>;

    static QByteArray keyId(quint32 root, const QByteArray &path);

    User m_user;
    QHash<QByteArray, Values> m_keys;
    QHash<Handle, QByteArray> m_open;
    Handle m_nextHandle = 1;
};
