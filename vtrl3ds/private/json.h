// A small JSON writer for the glTF export: objects, arrays, keys and values appended to one
// string, commas placed by a nesting stack, numbers in their shortest exact form, strings escaped
// (they are UTF-8 already). Private to the model library; nothing here fails.
#pragma once

#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "vtrl3ds/private/compat.h"

namespace vtrl3ds_internal {

class JsonWriter {
  public:
    JsonWriter& beginObject() { return open('{'); }
    JsonWriter& endObject() { return close('}'); }
    JsonWriter& beginArray() { return open('['); }
    JsonWriter& endArray() { return close(']'); }

    JsonWriter& key(std::string_view k) {
        separate();
        string(k);
        FOut += ':';
        FAfterKey = true;
        return *this;
    }
    // A value that is already JSON text.
    JsonWriter& raw(std::string_view json) {
        separate();
        FOut += json;
        return *this;
    }
    JsonWriter& value(std::string_view s) {
        separate();
        string(s);
        return *this;
    }
    JsonWriter& value(const char* s) { return value(std::string_view(s)); }
    JsonWriter& value(const std::string& s) { return value(std::string_view(s)); }
    JsonWriter& value(bool b) { return raw(b ? "true" : "false"); }
    // Numbers: integers as such, floats shortest round-trip (a value that is not finite as 0).
    template <typename T, typename = std::enable_if_t<std::is_arithmetic_v<T>>>
    JsonWriter& value(T v) {
        char buf[32];
        if constexpr (std::is_floating_point_v<T>) {
            if (!std::isfinite(v)) v = 0;
            const auto r = realToChars(buf, buf + sizeof buf, static_cast<float>(v));
            return raw(std::string_view(buf, size_t(r.ptr - buf)));
        } else {
            const auto r = std::to_chars(buf, buf + sizeof buf, v);
            return raw(std::string_view(buf, size_t(r.ptr - buf)));
        }
    }
    template <typename T>
    JsonWriter& field(std::string_view k, const T& v) {
        return key(k).value(v);
    }

    const std::string& text() const { return FOut; }

  private:
    JsonWriter& open(char c) {
        separate();
        FOut += c;
        FFirst.push_back(true);
        return *this;
    }
    JsonWriter& close(char c) {
        FOut += c;
        if (!FFirst.empty()) FFirst.pop_back();
        return *this;
    }
    // A comma before every element but the first of its object or array (a key's value takes none).
    void separate() {
        if (FAfterKey) {
            FAfterKey = false;
            return;
        }
        if (FFirst.empty()) return;
        if (!FFirst.back()) FOut += ',';
        FFirst.back() = false;
    }
    void string(std::string_view s) {
        static const char hex[] = "0123456789abcdef";
        FOut += '"';
        for (const char ch : s) {
            const auto c = static_cast<unsigned char>(ch);
            if (c == '"' || c == '\\') {
                FOut += '\\';
                FOut += ch;
            } else if (c < 0x20) {
                FOut += "\\u00";
                FOut += hex[c >> 4];
                FOut += hex[c & 15];
            } else {
                FOut += ch;
            }
        }
        FOut += '"';
    }

    std::string FOut;
    std::vector<bool> FFirst;  // per open object or array: nothing written in it yet
    bool FAfterKey = false;
};

}  // namespace vtrl3ds_internal
