// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// Members of the link object by the name a user typed: the member itself, or the sentence
// that says there is none and which name was probably meant.
#pragma once

#include "MemberCatalogue.h"

#include <QString>

namespace tethracli {

const tethra::catalogue::Member *member(const QString &name, tethra::catalogue::Kind kind);
// "no property 'band' (did you mean Band?)", "no command 'Band' (Band is a property)".
QString noSuchMember(const QString &typed, tethra::catalogue::Kind kind);
// The member name of that kind nearest to typed (case aside, then by edits), or empty.
QString nearestName(const QString &typed, tethra::catalogue::Kind kind);

} // namespace tethracli
