// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// A unique temporary XDG_CONFIG_HOME for the running test process: set on construction,
// the previous value restored (or unset) on destruction, the folder removed. Its helpers
// read and write the monitor's settings file directly, without the store module, so a
// test sees what is really on disk and can play a user who edits the file by hand.
#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QTemporaryDir>

class TempConfigHome {
public:
    TempConfigHome();
    ~TempConfigHome();
    TempConfigHome(const TempConfigHome &) = delete;
    TempConfigHome &operator=(const TempConfigHome &) = delete;

    QString path() const;
    QString storeFile() const; // <path>/Tovana2/Tovana2.conf

    // The keys and values of a section as the file holds them; empty when there is no file.
    QMap<QString, QString> readStore(const QString &section = QStringLiteral("StartUp")) const;
    QByteArray storeBytes() const;
    // Replaces the file with this text, as an editor would. Each call gives the file a
    // modification time of its own, so a store opened later in this process re-reads it.
    void writeStore(const QByteArray &iniText) const;

    // Changes whenever the file is written or replaced.
    struct Stamp {
        quint64 inode = 0;
        qint64 modifiedNs = 0;
        bool operator==(const Stamp &) const = default;
    };
    Stamp storeStamp() const;

private:
    QTemporaryDir m_dir;
    QByteArray m_previous;
    bool m_hadPrevious;
};
