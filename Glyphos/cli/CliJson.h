// A small JSON value for the command-line tool's machine-readable output:
// objects keep their keys in insertion order so that the output reads in
// the order the command builds it.
#pragma once

#include "CString.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

class Json {
public:
    Json() = default;  // null
    Json(bool v) : m_kind(Kind::Bool), m_bool(v) {}
    Json(int v) : m_kind(Kind::Number), m_number(v) {}
    Json(unsigned v) : m_kind(Kind::Number), m_number(v) {}
    Json(long v) : m_kind(Kind::Number), m_number(v) {}
    Json(unsigned long v) : m_kind(Kind::Number), m_number(static_cast<long long>(v)) {}
    Json(long long v) : m_kind(Kind::Number), m_number(v) {}
    // UTF-8 text.
    Json(std::string v) : m_kind(Kind::String), m_string(std::move(v)) {}
    Json(const char* v) : m_kind(Kind::String), m_string(v ? v : "") {}
    Json(const CString& v) : m_kind(Kind::String), m_string(v.ToUtf8()) {}

    static Json Object() { return Json(Kind::Object); }
    static Json Array() { return Json(Kind::Array); }

    // Object member (replaces an existing key) and array element.
    Json& Set(const std::string& key, Json value);
    Json& Push(Json value);

    // Indented with two blanks per level, ending without a line feed.
    std::string Dump() const;

private:
    enum class Kind { Null, Bool, Number, String, Array, Object };
    explicit Json(Kind k) : m_kind(k) {}
    void DumpTo(std::string& out, int depth) const;

    Kind m_kind = Kind::Null;
    bool m_bool = false;
    long long m_number = 0;
    std::string m_string;
    std::vector<Json> m_items;
    std::vector<std::pair<std::string, Json>> m_members;
};
