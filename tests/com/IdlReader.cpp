// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "IdlReader.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <regex>
#include <sstream>
#include <stdexcept>

namespace {

std::string readFile(const std::string &path)
{
    std::ifstream file(path);
    if (!file)
        throw std::runtime_error("cannot read " + path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

std::string upper(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
    return text;
}

std::string unescape(const std::string &text)
{
    std::string result;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            const char next = text[++i];
            result += next == 'r' ? '\r' : next == 'n' ? '\n' : next;
        } else {
            result += text[i];
        }
    }
    return result;
}

std::string trim(const std::string &text)
{
    const auto first = text.find_first_not_of(" \t\n");
    const auto last = text.find_last_not_of(" \t\n");
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

IdlFunction parseFunction(const std::string &attributes, const std::string &name, const std::string &parameters)
{
    IdlFunction function;
    function.name = name;
    function.kind = "method";
    std::smatch match;
    if (std::regex_search(attributes, match, std::regex(R"re(id\((0x[0-9A-Fa-f]+|\d+)\))re")))
        function.id = static_cast<std::uint32_t>(std::stoul(match[1], nullptr, 0));
    if (std::regex_search(attributes, match, std::regex(R"re(helpstring\("((?:[^"\\]|\\.)*)"\))re")))
        function.help = unescape(match[1]);
    for (const char *flag : {"propput", "propget"})
        if (std::regex_search(attributes, std::regex(std::string("\\b") + flag + "\\b")))
            function.kind = flag;
    for (const char *flag : {"hidden", "restricted"})
        if (std::regex_search(attributes, std::regex(std::string("\\b") + flag + "\\b")))
            function.flags.push_back(flag);

    const std::regex parameter(R"re(\[([^\]]*)\]\s*([A-Za-z_]\w*)\s*(\*{0,2})\s*([A-Za-z_]\w*))re");
    for (std::sregex_iterator it(parameters.begin(), parameters.end(), parameter), end; it != end; ++it)
        function.parameters.push_back({trim((*it)[1]), std::string((*it)[2]) + std::string((*it)[3]), (*it)[4]});
    return function;
}

} // namespace

IdlReader::IdlReader(const std::string &directory)
{
    m_text = readFile(directory + "/Tethra.idl");
    const std::string include = "#include \"UnusedSlots.def\"";
    const auto at = m_text.find(include);
    if (at != std::string::npos)
        m_text.replace(at, include.size(), readFile(directory + "/UnusedSlots.def"));
}

std::vector<IdlFunction> IdlReader::functions(const std::string &interfaceName) const
{
    const std::regex head("(interface|dispinterface)\\s+" + interfaceName + "\\b[^{;]*\\{");
    std::smatch match;
    if (!std::regex_search(m_text, match, head))
        return {};
    const auto begin = static_cast<std::size_t>(match.position(0) + match.length(0));
    const std::string body = m_text.substr(begin, m_text.find("};", begin) - begin);

    // Declarations in order: UNUSED(offset) lines and [attributes] RETURN Name(parameters);
    const std::regex declaration(
        R"re(UNUSED\((\d+)\)|\[((?:[^\]"]|"(?:[^"\\]|\\.)*")*)\]\s*(?:HRESULT|void)\s+(\w+)\s*\(([^)]*)\)\s*;)re");
    std::vector<IdlFunction> result;
    for (std::sregex_iterator it(body.begin(), body.end(), declaration), end; it != end; ++it) {
        const auto &m = *it;
        if (m[1].matched) {
            const int offset = std::stoi(m[1]);
            IdlFunction unused;
            unused.name = "Unused" + std::to_string(offset);
            unused.kind = "method";
            unused.id = 0x60020000u + static_cast<std::uint32_t>(offset); // as the UNUSED macro writes it
            unused.flags = {"hidden", "restricted"};
            result.push_back(unused);
        } else {
            result.push_back(parseFunction(m[2], m[3], m[4]));
        }
    }
    return result;
}

std::vector<IdlEnumeration> IdlReader::enumerations() const
{
    std::vector<IdlEnumeration> result;
    const std::regex enumeration(
        R"re(\[uuid\(([0-9A-Fa-f-]+)\)\]\s*typedef\s+enum\s+(\w+)\s*\{([^}]*)\}\s*(\w+)\s*;)re");
    const std::regex member(R"re((\w+)\s*=\s*(-?\d+))re");
    for (std::sregex_iterator it(m_text.begin(), m_text.end(), enumeration), end; it != end; ++it) {
        IdlEnumeration entry{(*it)[2], "{" + upper((*it)[1]) + "}", {}};
        const std::string body = (*it)[3];
        for (std::sregex_iterator m(body.begin(), body.end(), member); m != end; ++m)
            entry.members.emplace_back((*m)[1], std::stoi((*m)[2]));
        result.push_back(entry);
    }
    return result;
}

std::string IdlReader::uuidOf(const std::string &typeName) const
{
    // The uuid in an attribute block right before a declaration of the type (a class's list
    // of interfaces has attribute blocks without one).
    const std::regex declaration(
        R"re(\[([^\[\]]*)\]\s*(?:(?:interface|dispinterface|coclass|library)\s+|typedef\s+\w+\s+))re" + typeName +
        R"re(\b)re");
    const std::regex uuid(R"re(uuid\(([0-9A-Fa-f-]+)\))re");
    for (std::sregex_iterator it(m_text.begin(), m_text.end(), declaration), end; it != end; ++it) {
        const std::string attributes = (*it)[1];
        std::smatch found;
        if (std::regex_search(attributes, found, uuid))
            return "{" + upper(found[1]) + "}";
    }
    return {};
}

std::string IdlReader::libraryAttributes() const
{
    std::smatch match;
    if (!std::regex_search(m_text, match, std::regex(R"re(\[([^\[\]]*)\]\s*library\s+Tethra\b)re")))
        return {};
    return match[1];
}
