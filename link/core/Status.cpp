// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "Status.h"

#include <array>
#include <utility>

namespace tethra::status {

std::string_view text(std::int32_t status)
{
    static constexpr std::array<std::pair<std::int32_t, std::string_view>, 12> texts{{
        {ok, "Success"},
        {overflow, "Overflow"},
        {memberNotFound, "Member not found"},
        {typeMismatch, "Type mismatch"},
        {unknownName, "Unknown name"},
        {badParamCount, "Invalid number of parameters"},
        {failed, "Unspecified error"},
        {accessDenied, "Access denied"},
        {classNotRegistered, "Class not registered"},
        {objectNotConnected, "Object is not connected to server"},
        {outOfStringSpace, "Out of string space"},
        {serverStopping, "Object server is stopping"},
    }};
    for (const auto &[code, description] : texts)
        if (code == status)
            return description;
    return "Error";
}

} // namespace tethra::status
