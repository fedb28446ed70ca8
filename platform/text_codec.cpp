// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#include "platform/text_codec.h"

namespace skyvane {

namespace {

constexpr char kHex[] = "0123456789ABCDEF";

bool standsAsItIs(unsigned char c) {
    return c > 0x20 && c < 0x7F && c != '%';
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace

std::string percentEncode(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (standsAsItIs(c)) {
            out += ch;
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

std::optional<std::string> percentDecode(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c == '%') {
            if (i + 2 >= s.size()) return std::nullopt;
            const int hi = hexValue(s[i + 1]), lo = hexValue(s[i + 2]);
            if (hi < 0 || lo < 0) return std::nullopt;
            out += static_cast<char>(hi * 16 + lo);
            i += 2;
        } else if (c > 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            return std::nullopt;
        }
    }
    return out;
}

}  // namespace skyvane
