// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The catalogue of store keys: one row per key name, in the order the save writes them,
// with its text form, its seeded default and the record field it carries. RegInit,
// GetPreferences and SaveSettings are loops over this one table.
#pragma once

#include "Records.h"
#include <QString>
#include <functional>
#include <variant>

namespace tovana {

// How many keys a row stands for and how their names end.
enum class KeyScope { Single, PerMeter, PerRelay, PerBand };

enum class TextForm { Text, Integer16, Double, Single, Colour, Boolean };

enum KeyUse : unsigned { Seeded = 1, Loaded = 2, Saved = 4 };

using FieldRef = std::variant<QString *, int *, double *, std::uint32_t *, bool *>;

struct CatalogueRow {
    const char *base;
    KeyScope scope;
    TextForm form;
    unsigned uses;              // KeyUse flags
    const char *defaultText;    // nullptr: seeded from the main window's current state
    FieldRef (*field)(Preferences &, int element);  // nullptr: not part of Preferences
};

// One concrete key: element is the meter (0..7), relay (0..11) or band (0..9), 0 if single.
struct CatalogueKey {
    const CatalogueRow &row;
    int element;
    QString name;
};

// Visits every key that has `use`, in store order; a block of per-meter rows is walked
// meter by meter.
void forEachKey(KeyUse use, const std::function<void(const CatalogueKey &)> &visit);

QString multiplierKey(int meter);

// The main window's size (WindowSize, twips) lives in a section of its own, outside the
// catalogue, so that [StartUp] keeps its keys. Absent until the first save.
inline const QString kWindowSection = QStringLiteral("Window");
inline const QString kWindowWidthKey = QStringLiteral("Width");
inline const QString kWindowHeightKey = QStringLiteral("Height");
// So does the transmit interlock (InterlockConfig, "True"/"False"), written by every save.
inline const QString kInterlockSection = QStringLiteral("Interlock");
inline const QString kHoldWhileTxKey = QStringLiteral("HoldWhileTx");

QString formatField(TextForm form, FieldRef field);
// Leaves the field untouched and returns false when the text does not convert.
bool parseField(TextForm form, const QString &text, FieldRef field);
// Whether a stored text is a value of the key's form (any text that is not empty for a key
// outside the catalogue).
bool storedTextConverts(const QString &key, const QString &text);

} // namespace tovana
