#pragma once

// The argument of a late-bound call: a value tagged with its variant type, so that the callee
// checks the type it was given instead of trusting the caller.

#include <QString>
#include <cstdint>
#include <variant>
#include <vector>

namespace platform {

enum VarType : uint16_t {
    VT_EMPTY = 0,
    VT_I2 = 2,
    VT_I4 = 3,
    VT_BSTR = 8,
    VT_BOOL = 11,
};

class Variant {
public:
    Variant() = default;
    static Variant fromI2(int16_t value) { return Variant(VT_I2, int32_t(value)); }
    static Variant fromI4(int32_t value) { return Variant(VT_I4, value); }
    static Variant fromBool(bool value) { return Variant(VT_BOOL, value); }
    static Variant fromString(QString value) { return Variant(VT_BSTR, std::move(value)); }

    VarType type() const { return m_type; }
    // Valid only for the integer types; the callee checks type() first.
    int32_t toInt() const { return std::get<int32_t>(m_value); }

private:
    using Value = std::variant<std::monostate, int32_t, bool, QString>;
    Variant(VarType type, Value value) : m_type(type), m_value(std::move(value)) {}

    VarType m_type = VT_EMPTY;
    Value m_value;
};

using DispId = int32_t;
using VariantArgs = std::vector<Variant>;

} // namespace platform
