// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The catalogue of the [StartUp] keys: one row per key name, in the order the save writes
// them, with its text form, its seeded default and the record field it carries. Seeding,
// loading and saving are loops over this one table.
#pragma once

#include "Records.h"

#include <functional>
#include <string>
#include <variant>

namespace tovana::station {

inline const std::string kStartUpSection = "StartUp";
// Newer settings live in sections of their own, so that [StartUp] keeps exactly its keys.
inline const std::string kWindowSection = "Window";
inline const std::string kWindowWidthKey = "Width";
inline const std::string kWindowHeightKey = "Height";
inline const std::string kInterlockSection = "Interlock";
inline const std::string kHoldWhileTxKey = "HoldWhileTx";

// How many keys a row stands for and how their names end.
enum class KeyScope { Single, PerMeter, PerRelay, PerBand };

enum class TextForm { Text, Integer16, Double, Single, Colour, Boolean };

enum KeyUse : unsigned { Seeded = 1, Loaded = 2, Saved = 4 };

using FieldRef = std::variant<std::string *, int *, double *, std::uint32_t *, bool *>;

struct CatalogueRow {
    const char *base;
    KeyScope scope;
    TextForm form;
    unsigned uses;                                 // KeyUse flags
    const char *defaultText;                       // nullptr: seeded from the station's state at the time
    FieldRef (*field)(Preferences &, int element); // nullptr: not part of Preferences
};

// One concrete key: element is the meter (0..7), relay (0..11) or band (0..9), 0 if single.
struct CatalogueKey {
    const CatalogueRow &row;
    int element;
    std::string name;
};

// Visits every key that has `use`, in store order; a block of per-meter rows is walked
// meter by meter.
void forEachKey(KeyUse use, const std::function<void(const CatalogueKey &)> &visit);

std::string multiplierKey(int meter);

// A field as stored, reals with the separator given.
std::string formatField(TextForm form, FieldRef field, char separator = '.');
// Leaves the field untouched and returns false when the text does not convert.
bool parseField(TextForm form, const std::string &text, FieldRef field);
// Whether a stored [StartUp] text is a value of the key's form (any text that is not empty
// for a key outside the catalogue).
bool storedTextConverts(const std::string &key, const std::string &text);

} // namespace tovana::station
