// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#pragma once

// The game's texts in the player's language. Japanese is the game's own language and the source
// of every other: a catalog maps each Japanese text to its translation, read from a gettext PO
// file (po/LANG.po) compiled into the program. A text without a translation, or one no catalog
// needs (numbers, the Latin words the game shows as they are), shows as it is.

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/form.h"

namespace skyvane {

class Catalog {
  public:
    // The game's own language: every text as it is.
    static const Catalog& source();
    // The catalog of a language the program carries ("ja", "en", ...), or nullptr.
    static const Catalog* of(std::string_view language);
    // Every language the program carries, the source first.
    static std::vector<std::string> languages();

    // Reads a PO file's text; nullopt and why if it is not one (the line is in the message).
    static std::optional<Catalog> parse(std::string_view language, std::string_view po,
                                        std::string* why = nullptr);

    const std::string& language() const { return language_; }
    bool isSource() const { return entries_.empty() && pictures_.empty(); }

    // The text in this language.
    std::string tr(std::string_view source) const;
    // A text of several lines, line by line (the prologue has an entry a paragraph).
    std::string trLines(std::string_view source) const;
    // The picture drawn for this language (its context in the PO file is "picture").
    std::string picture(std::string_view source) const;
    // A window's design with its captions and pictures in this language, kept for the
    // catalog's life (the forms hold their design by reference).
    const FormDesign& design(const FormDesign& source) const;

    // The texts this catalog was asked for and has no entry for, which showed as they are: a
    // fault of the catalog (or of the code that asked) whenever it is not empty.
    std::set<std::string> missed() const;

    // The texts translated, by their Japanese source.
    const std::map<std::string, std::string, std::less<>>& entries() const { return entries_; }

  private:
    std::string language_;
    std::map<std::string, std::string, std::less<>> entries_;
    std::map<std::string, std::string, std::less<>> pictures_;
    struct Designs {
        std::mutex lock;
        std::map<const FormDesign*, std::unique_ptr<FormDesign>> byDesign;
        // Apart from the designs' lock: a design is translated under that one.
        std::mutex missedLock;
        std::set<std::string> missed;
    };
    std::shared_ptr<Designs> designs_ = std::make_shared<Designs>();
};

// A text is shown to the player as it is, in every language, when it has no letter (numbers and
// their signs); any word, Latin or not, needs a catalog entry.
bool needsTranslation(std::string_view text);

// The PO files compiled in, by language (written by the build from po/).
struct EmbeddedCatalog {
    const char* language;
    const char* po;
};
extern const EmbeddedCatalog kEmbeddedCatalogs[];
extern const std::size_t kEmbeddedCatalogCount;

}  // namespace skyvane
