// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

// The game in another language: every text a player is shown comes from a catalog, every entry
// of a catalog is shown somewhere, a replay plays in the language it was recorded in, and the
// language changes the texts of a run and nothing else.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <sstream>

#include "fuzz/replay_generator.h"
#include "platform/catalog.h"
#include "platform/headless/headless_desktop.h"
#include "replay/headless_replay.h"
#include "replay/run.h"

namespace skyvane {
namespace {

namespace fs = std::filesystem;

std::string slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Every text a run shows the player: the windows' captions, the labels' and buttons' captions
// as each window loads and as they change, and the message boxes.
class ShownTexts : public Trace {
  public:
    void handlerCalled(const Form&, std::string_view, std::string_view, int) override {}
    void elementChanged(Element& element, Property property) override {
        if (property == Property::Caption)
            if (auto* label = dynamic_cast<Label*>(&element)) add(label->caption());
    }
    void formChanged(Form& form, Property property) override {
        if (property == Property::Caption) add(form.caption());
    }
    void add(std::string text) {
        // The pilot's name is the player's own text, in any language.
        const std::string name = pilot ? pilot->text() : "";
        // ... unless it is the one the game gives a pilot who typed none.
        if (!name.empty() && name != catalog->tr(title_text::kNameless))
            for (auto at = text.find(name); at != std::string::npos; at = text.find(name))
                text.erase(at, name.size());
        texts.insert(std::move(text));
    }
    const TextBox* pilot = nullptr;
    const Catalog* catalog = &Catalog::source();
    std::set<std::string> texts;
    // What a screen reader was told, period by period, and what the message line read at the
    // end of each period.
    struct Told {
        std::uint64_t period;
        Notice::Kind kind;
        std::string element, words;
    };
    std::vector<Told> told;
    std::vector<std::string> lines;
};

// Plays a replay file headless, in the language given (or the file's own), and gathers what it
// showed; returns the end line.
std::string play(const std::string& file, const std::optional<std::string>& language,
                 ShownTexts& shown) {
    auto read = readReplayBytes(file);
    EXPECT_FALSE(read.error) << (read.error ? read.error->what : "");
    shown.catalog = Catalog::of(language.value_or(read.inputs.language()));
    HeadlessDesktop desktop;
    NullSound silence;
    Run run(desktop, silence, {.replay = std::move(read.inputs), .language = language});
    desktop.setTrace(&shown);
    shown.pilot = &run.game().title.Text1;
    for (auto* form : run.game().forms()) {
        shown.add(form->caption());
        for (const auto& e : form->design().elements) {
            if (!e.caption.empty() && e.name != "Text1") shown.add(e.caption);
            // What a screen reader says of the pictures, line by line.
            for (const auto* spoken : {&e.spoken, &e.spokenAtRest}) {
                std::istringstream lines(*spoken);
                for (std::string line; std::getline(lines, line);)
                    if (!line.empty()) shown.add(line);
            }
        }
    }
    std::string line;
    run.onReplayEnded = [&](const std::string& end) {
        line = end;
        desktop.setInputSink(nullptr);
        desktop.endFromOutside();
    };
    // After every period: what a reader is told, the message line, and the answers to every
    // question a player may ask (which are said, not shown, and as much the catalog's).
    desktop.setListened(true);
    auto& mission = run.game().mission;
    auto runPeriod = [&] {
        desktop.runPeriod();
        for (const auto& n : desktop.takeNews(desktop.period()))
            shown.told.push_back({desktop.period(), n.kind, n.element->name(), n.words});
        if (!mission.loaded()) return;
        shown.lines.push_back(spokenOf(mission.Label9).name);
        for (int key : {'A', 'V', 'F', 'R'})
            if (auto words = mission.answerReader(key)) shown.texts.insert(*words);
    };
    desktop.whileMessageBox = [&](const MessageBoxCall& box) {
        shown.add(box.text);
        run.player()->pump(runPeriod);
    };
    run.start();
    run.player()->pump(runPeriod);
    desktop.setTrace(nullptr);
    shown.pilot = nullptr;
    return line;
}

// The seed of the random runs, printed with every failure; SKYVANE_SEED=N draws them again.
std::uint64_t seed() {
    static const std::uint64_t s = [] {
        const char* given = std::getenv("SKYVANE_SEED");
        return given ? std::strtoull(given, nullptr, 10) : std::uint64_t{std::random_device{}()};
    }();
    return s;
}

// The recorded runs: the scripted playthroughs (every way a mission ends), the committed ones,
// and random ones drawn from a seed.
std::vector<std::string> replayFiles() {
    std::vector<std::string> files;
    for (const char* dir : {SKYVANE_REPLAYS, SKYVANE_SCRIPTED_REPLAYS})
        for (const auto& entry : fs::directory_iterator(dir))
            if (entry.path().extension() == ".replay") files.push_back(slurp(entry.path()));
    for (std::uint64_t i = 0; i < 40; ++i) files.push_back(fuzzing::randomReplay(seed() + i));
    return files;
}

bool hasJapanese(std::string_view utf8) {
    // Kana, CJK ideographs and punctuation, full-width forms: what a reader of English cannot
    // read. (○, □, the arrows and quotation marks are shared.)
    for (std::size_t i = 0; i < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        char32_t cp = c;
        int n = 1;
        if (c >= 0xF0) {
            cp = c & 0x07;
            n = 4;
        } else if (c >= 0xE0) {
            cp = c & 0x0F;
            n = 3;
        } else if (c >= 0xC0) {
            cp = c & 0x1F;
            n = 2;
        }
        for (int k = 1; k < n && i + k < utf8.size(); ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        i += n;
        if ((cp >= 0x3000 && cp <= 0x30FF) || (cp >= 0x3300 && cp <= 0x33FF) ||
            (cp >= 0x4E00 && cp <= 0x9FFF) || (cp >= 0xFF00 && cp <= 0xFFEF))
            return true;
    }
    return false;
}

TEST(Catalogs, EveryLanguageTheProgramCarriesReadsWhole) {
    for (std::size_t i = 0; i < kEmbeddedCatalogCount; ++i) {
        std::string why;
        const auto c = Catalog::parse(kEmbeddedCatalogs[i].language, kEmbeddedCatalogs[i].po, &why);
        ASSERT_TRUE(c) << kEmbeddedCatalogs[i].language << ": " << why;
        EXPECT_FALSE(c->entries().empty());
        EXPECT_EQ(Catalog::of(kEmbeddedCatalogs[i].language)->entries(), c->entries());
        // Its own prologue, drawn: the picture the catalog names is one the game carries.
        const std::string prologue = c->picture(":/pictures/prologue.png");
        EXPECT_NE(prologue, ":/pictures/prologue.png") << c->language() << ": no prologue picture";
        EXPECT_TRUE(fs::exists(fs::path(SKYVANE_ASSETS) / prologue.substr(2)))
            << c->language() << ": " << prologue << " is not drawn";
    }
    EXPECT_EQ(Catalog::of("xx"), nullptr);
    EXPECT_TRUE(Catalog::of("ja")->isSource());
}

// How translators' tools write a catalog: wrapped strings, escapes, comments, a context, a
// fuzzy entry (not used, as gettext does not use it), the header.
TEST(Catalogs, APoFileIsReadAsGettextReadsIt) {
    const auto c = Catalog::parse("xx", R"(# a translator's comment
msgid ""
msgstr ""
"Language: xx\n"

#. for the translator
#: somewhere.cpp:1
msgid "あ"
"い\r"
msgstr "a"
"i\r"

#, fuzzy
msgid "う"
msgstr "u"

msgctxt "picture"
msgid ":/a.png"
msgstr ":/a.xx.png"

msgid "\"え\"\\"
msgstr "\"e\"\\"
)");
    ASSERT_TRUE(c);
    EXPECT_EQ(c->tr("あい\r"), "ai\r");
    EXPECT_EQ(c->tr("う"), "う");
    EXPECT_EQ(c->tr(""), "");
    EXPECT_EQ(c->tr("\"え\"\\"), "\"e\"\\");
    EXPECT_EQ(c->picture(":/a.png"), ":/a.xx.png");
    EXPECT_EQ(c->tr(":/a.png"), ":/a.png");
    for (const char* broken :
         {"msgid \"a\nmsgstr \"b\"", "msgid \"a\\q\"\nmsgstr \"b\"", "bogus"}) {
        std::string why;
        EXPECT_FALSE(Catalog::parse("xx", broken, &why)) << broken;
        EXPECT_NE(why.find("line"), std::string::npos);
    }
}

// Played in each language, every run shows only texts the player can read: nothing Japanese
// is left in another language, so every text shown has its entry; and every entry of a catalog
// is a text some run shows in Japanese (or a paragraph of the prologue), so no entry is stale.
TEST(Catalogs, EveryTextShownHasAnEntryAndEveryEntryIsShown) {
    SCOPED_TRACE("SKYVANE_SEED=" + std::to_string(seed()));
    const auto files = replayFiles();
    ShownTexts japanese;
    for (const auto& f : files) play(f, std::nullopt, japanese);
    std::string prologue = slurp(fs::path(SKYVANE_ASSETS) / "prologue.txt");
    for (const auto& language : Catalog::languages()) {
        const auto* catalog = Catalog::of(language);
        if (catalog->isSource()) continue;
        ShownTexts shown;
        for (const auto& f : files) play(f, language, shown);
        for (const auto& text : shown.texts)
            EXPECT_FALSE(hasJapanese(text))
                << language << ": no entry for what is in \"" << text << "\"";
        // ... nor a word the game asked the catalog for in vain, Latin letters included.
        for (const auto& text : catalog->missed())
            ADD_FAILURE() << language << ": no entry for \"" << text << "\"";
        for (const auto& entry : catalog->entries()) {
            const std::string& source = entry.first;
            const bool used = prologue.find(source) != std::string::npos ||
                              std::any_of(japanese.texts.begin(), japanese.texts.end(),
                                          [&](const std::string& t) {
                                              return t.find(source) != std::string::npos;
                                          });
            EXPECT_TRUE(used) << language << ": no text uses the entry \"" << source << "\"";
        }
    }
}

// The language changes what the player reads and nothing else: a run ends at the same place
// with the same readouts in every language, and a file recorded in a language plays in it.
TEST(Catalogs, ALanguageChangesTheTextsOfARunAndNothingElse) {
    SCOPED_TRACE("SKYVANE_SEED=" + std::to_string(seed()));
    for (const auto& file : replayFiles()) {
        ShownTexts ja;
        const auto inJapanese = play(file, std::nullopt, ja);
        for (const auto& language : Catalog::languages()) {
            ShownTexts asked, recorded;
            EXPECT_EQ(play(file, language, asked), inJapanese) << language;
            // The same run, with the language written in the file as the recorder writes it.
            const auto header = file.find('\n') + 1;
            const auto in =
                file.substr(0, header) + "language " + language + "\n" + file.substr(header);
            EXPECT_EQ(play(in, std::nullopt, recorded), inJapanese) << language;
            EXPECT_EQ(recorded.texts, asked.texts) << language;
        }
    }
}

// What a screen reader is told over every recorded run: each new text of the message line once,
// as it stands at the end of a period (a blinking warning once, not at each blink), and of any
// other element at most one change every half second, never the words it told last.
TEST(Reader, EveryRunTellsEachMessageOnceAndNoElementMoreThanTwiceASecond) {
    SCOPED_TRACE("SKYVANE_SEED=" + std::to_string(seed()));
    for (const auto& file : replayFiles()) {
        ShownTexts shown;
        play(file, std::nullopt, shown);
        std::vector<std::string> messages, said;
        for (const auto& line : shown.lines)
            if (!line.empty() && (messages.empty() || messages.back() != line))
                messages.push_back(line);
        std::map<std::string, ShownTexts::Told> last;
        for (const auto& t : shown.told) {
            if (t.kind == Notice::Kind::Said) {
                said.push_back(t.words);
                continue;
            }
            if (auto before = last.find(t.element); before != last.end()) {
                EXPECT_GE(t.period, before->second.period + ReaderNews::kEvery) << t.element;
                EXPECT_NE(t.words, before->second.words) << t.element;
            }
            last[t.element] = t;
        }
        EXPECT_EQ(said, messages) << file.substr(0, 400);
    }
}

TEST(Catalogs, AReplayInALanguageTheGameDoesNotSpeakIsRefused) {
    const struct {
        const char* lines;
        const char* why;  // empty: read
    } cases[] = {
        {"language en\n0 click Form2 Command1\n", ""},
        {"language xx\n", "recorded in the language 'xx', which this game does not speak"},
        {"language e\n", "not a language"},
        {"language en fr\n", "not a language"},
        {"language ../en\n", "not a language"},
        {"0 click Form2 Command1\nlanguage en\n", "the language is named after the run began"},
    };
    for (const auto& c : cases) {
        const auto read = readReplayBytes(std::string("skyvane-replay 1\n") + c.lines);
        if (*c.why == 0) {
            EXPECT_FALSE(read.error) << c.lines;
            EXPECT_EQ(read.inputs.language(), "en");
        } else {
            ASSERT_TRUE(read.error) << c.lines;
            EXPECT_NE(read.error->what.find(c.why), std::string::npos) << read.error->what;
        }
    }
}

}  // namespace
}  // namespace skyvane
