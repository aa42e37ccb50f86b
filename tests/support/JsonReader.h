// A small JSON reader for tests that check the machine-readable output of
// the command-line tool field by field. Throws std::runtime_error on text
// that is not exactly one JSON value.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace testjson {

class Value {
public:
    enum class Kind { Null, Bool, Number, String, Array, Object };

    static Value Parse(const std::string& text);

    Kind kind() const { return m_kind; }
    bool IsNull() const { return m_kind == Kind::Null; }
    bool Has(const std::string& key) const;
    // Each accessor throws std::runtime_error when the value is of another
    // kind or the key/index is absent, so a test fails with a message
    // instead of reading a default.
    const Value& operator[](const std::string& key) const;
    const Value& operator[](std::size_t index) const;
    std::size_t size() const;
    double Number() const;
    long long Int() const;
    bool Bool() const;
    const std::string& String() const;
    std::vector<long long> Ints() const;
    // Keys of an object in the order they appeared.
    const std::vector<std::string>& Keys() const;

private:
    friend class Parser;
    Kind m_kind = Kind::Null;
    bool m_bool = false;
    double m_number = 0;
    std::string m_string;
    std::vector<Value> m_items;   // array elements, or object values in key order
    std::vector<std::string> m_keys;
};

}  // namespace testjson
