#include "CliJson.h"

#include <cstdio>
#include <stdexcept>

namespace {
void Quote(std::string& out, const std::string& s) {
    out += '"';
    for (unsigned char c : s) {
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (c < 0x20 || c == 0x7F) {
                    char buf[8];
                    std::snprintf(buf, sizeof buf, "\\u%04x", c);
                    out += buf;
                } else {
                    out += static_cast<char>(c);
                }
        }
    }
    out += '"';
}

void Indent(std::string& out, int depth) {
    out += '\n';
    out.append(static_cast<std::size_t>(depth) * 2, ' ');
}
}  // namespace

Json& Json::Set(const std::string& key, Json value) {
    if (m_kind != Kind::Object) throw std::logic_error("Json::Set on a value that is not an object");
    for (auto& m : m_members) {
        if (m.first == key) {
            m.second = std::move(value);
            return *this;
        }
    }
    m_members.emplace_back(key, std::move(value));
    return *this;
}

Json& Json::Push(Json value) {
    if (m_kind != Kind::Array) throw std::logic_error("Json::Push on a value that is not an array");
    m_items.push_back(std::move(value));
    return *this;
}

std::string Json::Dump() const {
    std::string out;
    DumpTo(out, 0);
    return out;
}

void Json::DumpTo(std::string& out, int depth) const {
    switch (m_kind) {
        case Kind::Null: out += "null"; break;
        case Kind::Bool: out += m_bool ? "true" : "false"; break;
        case Kind::Number: out += std::to_string(m_number); break;
        case Kind::String: Quote(out, m_string); break;
        case Kind::Array: {
            // Arrays of plain values stay on one line.
            bool flat = true;
            for (const Json& v : m_items) flat = flat && v.m_kind != Kind::Array && v.m_kind != Kind::Object;
            out += '[';
            for (std::size_t i = 0; i < m_items.size(); ++i) {
                if (i) out += flat ? ", " : ",";
                if (!flat) Indent(out, depth + 1);
                m_items[i].DumpTo(out, depth + 1);
            }
            if (!flat && !m_items.empty()) Indent(out, depth);
            out += ']';
            break;
        }
        case Kind::Object:
            out += '{';
            for (std::size_t i = 0; i < m_members.size(); ++i) {
                if (i) out += ',';
                Indent(out, depth + 1);
                Quote(out, m_members[i].first);
                out += ": ";
                m_members[i].second.DumpTo(out, depth + 1);
            }
            if (!m_members.empty()) Indent(out, depth);
            out += '}';
            break;
    }
}
