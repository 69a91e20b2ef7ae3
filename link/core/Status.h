// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The 32-bit status codes the link server returns, as an automation client sees them
// (0 = success). The adaptors pass them on unchanged: in an HRESULT on COM, at the start of
// the error message on D-Bus.
#pragma once

#include <cstdint>
#include <string_view>

namespace tethra::status {

inline constexpr std::int32_t ok = 0;
inline constexpr std::int32_t overflow = static_cast<std::int32_t>(0x800A0006u); // run-time error 6
inline constexpr std::int32_t memberNotFound = static_cast<std::int32_t>(0x80020003u);
inline constexpr std::int32_t typeMismatch = static_cast<std::int32_t>(0x80020005u);
inline constexpr std::int32_t unknownName = static_cast<std::int32_t>(0x80020006u);
inline constexpr std::int32_t badParamCount = static_cast<std::int32_t>(0x8002000Eu);
inline constexpr std::int32_t failed = static_cast<std::int32_t>(0x80004005u);
inline constexpr std::int32_t accessDenied = static_cast<std::int32_t>(0x80070005u);
inline constexpr std::int32_t classNotRegistered = static_cast<std::int32_t>(0x80040154u);
inline constexpr std::int32_t objectNotConnected = static_cast<std::int32_t>(0x800401FDu);
inline constexpr std::int32_t outOfStringSpace = static_cast<std::int32_t>(0x800A000Eu); // run-time error 14
// The server is on its way out: a client calls again and meets a new one.
inline constexpr std::int32_t serverStopping = static_cast<std::int32_t>(0x80080008u);

// A short English description of a status, for error messages.
std::string_view text(std::int32_t status);

} // namespace tethra::status
