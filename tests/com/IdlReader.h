// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// Reads what the tests need from Tethra.idl: the declarations of an interface or
// dispinterface in order (with UnusedSlots.def expanded), the enumerations, and the uuid
// attribute of any named type.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

struct IdlParameter {
    std::string direction; // "in", "in, out", "out, retval"
    std::string type;      // "long", "double", "BSTR", an enumeration, with "*" for an address
    std::string name;
};

struct IdlFunction {
    std::uint32_t id = 0;
    std::string kind;               // "method", "propput" or "propget"
    std::string help;               // with \r\n turned into CR LF
    std::vector<std::string> flags; // hidden, restricted ...
    std::string name;
    std::vector<IdlParameter> parameters;
};

struct IdlEnumeration {
    std::string name;
    std::string uuid;
    std::vector<std::pair<std::string, std::int32_t>> members;
};

class IdlReader {
public:
    explicit IdlReader(const std::string &directory);

    std::vector<IdlFunction> functions(const std::string &interfaceName) const;
    std::vector<IdlEnumeration> enumerations() const;
    std::string uuidOf(const std::string &typeName) const; // "{...}" in upper case
    std::string libraryAttributes() const;                 // the text inside the library's [...]

private:
    std::string m_text;
};
