// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#include "platform/catalog.h"

#include <algorithm>

namespace skyvane {

namespace {

// One quoted PO string's contents, its C escapes undone; nullopt if it is not one.
std::optional<std::string> unquote(std::string_view s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    if (s.size() < 2 || s.front() != '"' || s.back() != '"') return std::nullopt;
    s = s.substr(1, s.size() - 2);
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '"') return std::nullopt;
        if (s[i] != '\\') {
            out += s[i];
            continue;
        }
        if (++i == s.size()) return std::nullopt;
        switch (s[i]) {
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            case '"':
                out += '"';
                break;
            case '\\':
                out += '\\';
                break;
            default:
                return std::nullopt;
        }
    }
    return out;
}

}  // namespace

std::optional<Catalog> Catalog::parse(std::string_view language, std::string_view po,
                                      std::string* why) {
    Catalog c;
    c.language_ = std::string(language);
    struct Entry {
        std::string context, id, str;
        bool fuzzy = false;
        std::string* into = nullptr;
        bool any = false;
    } e;
    int number = 0;
    auto fail = [&](const std::string& what) -> std::optional<Catalog> {
        if (why) *why = "line " + std::to_string(number) + ": " + what;
        return std::nullopt;
    };
    // An entry ends where the next begins, or at the end; the header (an empty msgid) and
    // entries a translator marked fuzzy are not used, as gettext does.
    auto finish = [&] {
        if (e.any && !e.id.empty() && !e.str.empty() && !e.fuzzy) {
            // The page's own words (context "page") are the page's, which reads them itself.
            if (e.context == "picture") {
                c.pictures_[e.id] = e.str;
            } else if (e.context.empty()) {
                c.entries_[e.id] = e.str;
            }
        }
        e = Entry{};
    };
    bool sawStr = false;
    while (!po.empty()) {
        ++number;
        const auto nl = po.find('\n');
        std::string_view line = po.substr(0, nl);
        po = nl == std::string_view::npos ? std::string_view{} : po.substr(nl + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty()) continue;
        if (line[0] == '#') {
            if (sawStr) {
                finish();
                sawStr = false;
            }
            if (line.rfind("#,", 0) == 0 && line.find("fuzzy") != std::string_view::npos)
                e.fuzzy = true;
            continue;
        }
        auto keyword = [&](std::string_view k) {
            return line.rfind(k, 0) == 0 && line.size() > k.size() && line[k.size()] == ' ';
        };
        std::string_view rest;
        if (keyword("msgctxt") || keyword("msgid") || keyword("msgstr")) {
            const bool isStr = keyword("msgstr");
            if (!isStr && sawStr) {
                finish();
                sawStr = false;
            }
            if (keyword("msgctxt")) {
                e.into = &e.context;
                rest = line.substr(8);
            } else if (keyword("msgid")) {
                e.into = &e.id;
                rest = line.substr(6);
            } else {
                e.into = &e.str;
                rest = line.substr(7);
                sawStr = true;
            }
            e.any = true;
        } else if (line[0] == '"' && e.into) {
            rest = line;
        } else {
            return fail("not a line of a PO file");
        }
        auto text = unquote(rest);
        if (!text) return fail("a string that is not quoted as C quotes it");
        *e.into += *text;
    }
    finish();
    return c;
}

const Catalog& Catalog::source() {
    static const Catalog japanese = [] {
        Catalog c;
        c.language_ = "ja";
        return c;
    }();
    return japanese;
}

const Catalog* Catalog::of(std::string_view language) {
    if (language == "ja") return &source();
    static const std::vector<Catalog> carried = [] {
        std::vector<Catalog> all;
        for (std::size_t i = 0; i < kEmbeddedCatalogCount; ++i)
            if (auto c = parse(kEmbeddedCatalogs[i].language, kEmbeddedCatalogs[i].po))
                all.push_back(std::move(*c));
        return all;
    }();
    const auto it = std::find_if(carried.begin(), carried.end(),
                                 [&](const Catalog& c) { return c.language() == language; });
    return it == carried.end() ? nullptr : &*it;
}

std::vector<std::string> Catalog::languages() {
    std::vector<std::string> all{"ja"};
    for (std::size_t i = 0; i < kEmbeddedCatalogCount; ++i)
        all.emplace_back(kEmbeddedCatalogs[i].language);
    return all;
}

std::string Catalog::tr(std::string_view text) const {
    const auto it = entries_.find(text);
    if (it != entries_.end()) return it->second;
    if (!isSource() && needsTranslation(text)) {
        std::lock_guard hold(designs_->missedLock);
        designs_->missed.emplace(text);
    }
    return std::string(text);
}

std::set<std::string> Catalog::missed() const {
    std::lock_guard hold(designs_->missedLock);
    return designs_->missed;
}

std::string Catalog::trLines(std::string_view text) const {
    std::string out;
    while (true) {
        const auto nl = text.find('\n');
        out += tr(text.substr(0, nl));
        if (nl == std::string_view::npos) return out;
        out += '\n';
        text.remove_prefix(nl + 1);
    }
}

std::string Catalog::picture(std::string_view path) const {
    const auto it = pictures_.find(path);
    return it == pictures_.end() ? std::string(path) : it->second;
}

const FormDesign& Catalog::design(const FormDesign& source) const {
    if (isSource()) return source;
    std::lock_guard hold(designs_->lock);
    auto& kept = designs_->byDesign[&source];
    if (!kept) {
        kept = std::make_unique<FormDesign>(source);
        kept->caption = tr(kept->caption);
        for (auto& e : kept->elements) {
            e.caption = tr(e.caption);
            e.spoken = trLines(e.spoken);
            e.spokenAtRest = tr(e.spokenAtRest);
            if (!e.picture.empty()) e.picture = picture(e.picture);
        }
    }
    return *kept;
}

bool needsTranslation(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u >= 0x80 || (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z');
    });
}

}  // namespace skyvane
