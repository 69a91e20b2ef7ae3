// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The setup dialog's meter choice as typed or picked: "Meter 3" (also "meter 3.5": the
// integer part counts, any case, spaces around) names meter index 2; text that names none of
// "Meter 1" .. "Meter 8" names nothing, and the dialog stays on the meter it had.
#pragma once

#include <optional>
#include <string_view>

namespace tovana::face {

std::optional<int> meterNamedBy(std::string_view text);

} // namespace tovana::face
