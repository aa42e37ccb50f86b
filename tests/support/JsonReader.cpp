#include "JsonReader.h"

#include <cmath>
#include <cstdlib>
#include <stdexcept>

namespace testjson {

class Parser {
public:
    explicit Parser(const std::string& t) : m_t(t) {}

    Value Document() {
        Value v = Parse(0);
        Skip();
        if (m_i != m_t.size()) Fail("text after the value");
        return v;
    }

private:
    [[noreturn]] void Fail(const std::string& what) const {
        throw std::runtime_error("JSON: " + what + " at offset " + std::to_string(m_i));
    }
    void Skip() {
        while (m_i < m_t.size() && (m_t[m_i] == ' ' || m_t[m_i] == '\n' || m_t[m_i] == '\r' || m_t[m_i] == '\t')) ++m_i;
    }
    bool Eat(char c) {
        Skip();
        if (m_i < m_t.size() && m_t[m_i] == c) {
            ++m_i;
            return true;
        }
        return false;
    }
    void Expect(char c) {
        if (!Eat(c)) Fail(std::string("expected '") + c + "'");
    }
    bool Word(const char* w) {
        const std::string s(w);
        if (m_t.compare(m_i, s.size(), s) != 0) return false;
        m_i += s.size();
        return true;
    }
    static void AppendUtf8(std::string& out, unsigned cp) {
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    std::string Str() {
        Expect('"');
        std::string out;
        while (true) {
            if (m_i >= m_t.size()) Fail("unterminated string");
            const char c = m_t[m_i++];
            if (c == '"') return out;
            if (static_cast<unsigned char>(c) < 0x20) Fail("control character in string");
            if (c != '\\') {
                out += c;
                continue;
            }
            if (m_i >= m_t.size()) Fail("bad escape");
            const char e = m_t[m_i++];
            switch (e) {
                case '"': out += '"'; break;
                case '\\': out += '\\'; break;
                case '/': out += '/'; break;
                case 'b': out += '\b'; break;
                case 'f': out += '\f'; break;
                case 'n': out += '\n'; break;
                case 'r': out += '\r'; break;
                case 't': out += '\t'; break;
                case 'u': {
                    if (m_i + 4 > m_t.size()) Fail("bad \\u escape");
                    char* end = nullptr;
                    const std::string hex = m_t.substr(m_i, 4);
                    const unsigned long cp = std::strtoul(hex.c_str(), &end, 16);
                    if (end != hex.c_str() + 4) Fail("bad \\u escape");
                    m_i += 4;
                    AppendUtf8(out, static_cast<unsigned>(cp));
                    break;
                }
                default: Fail("bad escape");
            }
        }
    }
    Value Parse(int depth) {
        if (depth > 64) Fail("nesting too deep");
        Skip();
        if (m_i >= m_t.size()) Fail("missing value");
        Value v;
        const char c = m_t[m_i];
        if (c == '{') {
            ++m_i;
            v.m_kind = Value::Kind::Object;
            if (Eat('}')) return v;
            do {
                Skip();
                const std::string key = Str();
                if (v.Has(key)) Fail("duplicate key \"" + key + "\"");
                Expect(':');
                v.m_items.push_back(Parse(depth + 1));
                v.m_keys.push_back(key);
            } while (Eat(','));
            Expect('}');
        } else if (c == '[') {
            ++m_i;
            v.m_kind = Value::Kind::Array;
            if (Eat(']')) return v;
            do {
                v.m_items.push_back(Parse(depth + 1));
            } while (Eat(','));
            Expect(']');
        } else if (c == '"') {
            v.m_kind = Value::Kind::String;
            v.m_string = Str();
        } else if (Word("true")) {
            v.m_kind = Value::Kind::Bool;
            v.m_bool = true;
        } else if (Word("false")) {
            v.m_kind = Value::Kind::Bool;
        } else if (Word("null")) {
            v.m_kind = Value::Kind::Null;
        } else {
            const char* start = m_t.c_str() + m_i;
            char* end = nullptr;
            v.m_number = std::strtod(start, &end);
            if (end == start) Fail("unexpected character");
            v.m_kind = Value::Kind::Number;
            m_i += static_cast<std::size_t>(end - start);
        }
        return v;
    }

    const std::string& m_t;
    std::size_t m_i = 0;
};

Value Value::Parse(const std::string& text) { return Parser(text).Document(); }

namespace {
[[noreturn]] void Wrong(const std::string& what) { throw std::runtime_error("JSON value: " + what); }
}  // namespace

bool Value::Has(const std::string& key) const {
    if (m_kind != Kind::Object) return false;
    for (const std::string& k : m_keys) {
        if (k == key) return true;
    }
    return false;
}

const Value& Value::operator[](const std::string& key) const {
    if (m_kind != Kind::Object) Wrong("not an object, looking for \"" + key + "\"");
    for (std::size_t i = 0; i < m_keys.size(); ++i) {
        if (m_keys[i] == key) return m_items[i];
    }
    Wrong("no key \"" + key + "\"");
}

const Value& Value::operator[](std::size_t index) const {
    if (m_kind != Kind::Array) Wrong("not an array");
    if (index >= m_items.size()) Wrong("index " + std::to_string(index) + " out of range");
    return m_items[index];
}

std::size_t Value::size() const {
    if (m_kind == Kind::Array || m_kind == Kind::Object) return m_items.size();
    Wrong("no size");
}

double Value::Number() const {
    if (m_kind != Kind::Number) Wrong("not a number");
    return m_number;
}

long long Value::Int() const {
    const double d = Number();
    if (std::floor(d) != d) Wrong("not a whole number");
    return static_cast<long long>(d);
}

bool Value::Bool() const {
    if (m_kind != Kind::Bool) Wrong("not a boolean");
    return m_bool;
}

const std::string& Value::String() const {
    if (m_kind != Kind::String) Wrong("not a string");
    return m_string;
}

std::vector<long long> Value::Ints() const {
    if (m_kind != Kind::Array) Wrong("not an array");
    std::vector<long long> out;
    for (const Value& v : m_items) out.push_back(v.Int());
    return out;
}

const std::vector<std::string>& Value::Keys() const {
    if (m_kind != Kind::Object) Wrong("not an object");
    return m_keys;
}

}  // namespace testjson
