// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// Every "key=value" entry of one section of an INI text, in file order and with every copy
// of a key that appears more than once, read as QSettings reads its INI files: comments
// after ';', quoted values, backslash escapes, %XX and %UXXXX in keys, and a comma list
// joined again with ','. QSettings keeps only the last copy of a key; the store uses this to
// see the others. A pure function of the bytes.
#pragma once

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringView>

#include <utility>

namespace tovana {

QList<std::pair<QString, QString>> iniSectionEntries(QByteArrayView text, QStringView section);

} // namespace tovana
