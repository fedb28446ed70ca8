// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

// The calls into the page, each a line of JavaScript that hands over to page.js.

#include "platform/web/page.h"

#include <emscripten/em_js.h>
#include <emscripten/emscripten.h>

#include <cstdlib>

// clang-format off
EM_JS(void, sv_open_window, (const char* form, const char* layout), {
    skyvanePage.openWindow(UTF8ToString(form), JSON.parse(UTF8ToString(layout)));
});
EM_JS(void, sv_close_window, (const char* form), {
    skyvanePage.closeWindow(UTF8ToString(form));
});
EM_JS(void, sv_show_window, (const char* form, int visible), {
    skyvanePage.showWindow(UTF8ToString(form), visible != 0);
});
EM_JS(void, sv_set, (const char* form, const char* element, const char* property, const char* value, size_t length), {
    skyvanePage.set(UTF8ToString(form), UTF8ToString(element), UTF8ToString(property),
                    skyvanePage.decode(HEAPU8.subarray(value, value + length)));
});
EM_JS(void, sv_set_caption, (const char* form, const char* caption, size_t length), {
    skyvanePage.setCaption(UTF8ToString(form), skyvanePage.decode(HEAPU8.subarray(caption, caption + length)));
});
EM_JS(void, sv_say, (const char* form, const char* words, size_t length), {
    skyvanePage.say(UTF8ToString(form), skyvanePage.decode(HEAPU8.subarray(words, words + length)));
});
EM_JS(int, sv_reduced_motion, (), {
    return matchMedia('(prefers-reduced-motion: reduce)').matches ? 1 : 0;
});
EM_JS(void, sv_set_focus, (const char* form, const char* element), {
    skyvanePage.setFocus(UTF8ToString(form), UTF8ToString(element));
});
EM_JS(void, sv_box_open, (const char* text, size_t textLength, const char* title, size_t titleLength), {
    skyvanePage.openBox(skyvanePage.decode(HEAPU8.subarray(text, text + textLength)),
                        skyvanePage.decode(HEAPU8.subarray(title, title + titleLength)));
});
EM_JS(void, sv_box_close, (), {
    skyvanePage.closeBox();
});
EM_JS(char*, sv_next_event, (), {
    const e = skyvanePage.nextEvent();
    if (e === null) return 0;
    const n = lengthBytesUTF8(e) + 1;
    const p = _malloc(n);
    stringToUTF8(e, p, n);
    return p;
});
EM_JS(double, sv_now, (), {
    return performance.now();
});
EM_JS(int, sv_hidden, (), {
    return skyvanePage.hidden() ? 1 : 0;
});
EM_JS(void, sv_sound, (const char* name, int flags), {
    skyvanePage.sound.play(UTF8ToString(name), flags);
});
EM_JS(void, sv_guide, (int flying, int height, int tickEvery, int rising, int warning, int pan, int depth, int inZone), {
    skyvanePage.sound.guide({ flying: flying !== 0, height, tickEvery, rising: rising !== 0, warning: warning !== 0,
                              pan, depth, inZone: inZone !== 0 });
});
EM_JS(void, sv_guided, (int guided), {
    skyvanePage.setGuided(guided !== 0);
});
EM_JS(void, sv_ended, (), {
    skyvanePage.ended();
});
EM_JS(char*, sv_replay_bytes, (size_t* size), {
    const bytes = skyvanePage.takeReplayBytes();
    if (!bytes) return 0;
    const p = _malloc(Math.max(1, bytes.length));
    HEAPU8.set(bytes, p);
    HEAPU32[size >> 2] = bytes.length;
    return p;
});
EM_JS(char*, sv_replay_name_js, (), {
    const t = skyvanePage.replayName || 'the replay';
    const n = lengthBytesUTF8(t) + 1;
    const p = _malloc(n);
    stringToUTF8(t, p, n);
    return p;
});
EM_JS(char*, sv_speed_js, (), {
    const t = skyvanePage.speed();
    if (t === null) return 0;
    const n = lengthBytesUTF8(t) + 1;
    const p = _malloc(n);
    stringToUTF8(t, p, n);
    return p;
});
EM_JS(char*, sv_test_pace_js, (), {
    const t = skyvanePage.testPace();
    if (t === null) return 0;
    const n = lengthBytesUTF8(t) + 1;
    const p = _malloc(n);
    stringToUTF8(t, p, n);
    return p;
});
EM_JS(char*, sv_language_js, (), {
    if (!skyvanePage.languageAsked) return 0;
    const t = skyvanePage.language;
    const n = lengthBytesUTF8(t) + 1;
    const p = _malloc(n);
    stringToUTF8(t, p, n);
    return p;
});
EM_JS(void, sv_languages, (const char* spoken, const char* current), {
    skyvanePage.setLanguages(UTF8ToString(spoken).split(' '), UTF8ToString(current));
});
EM_JS(int, sv_option, (const char* name), {
    return skyvanePage.option(UTF8ToString(name)) ? 1 : 0;
});
EM_JS(void, sv_trace, (const char* line), {
    skyvanePage.trace.push(UTF8ToString(line));
});
EM_JS(void, sv_record, (const char* line), {
    skyvanePage.record(UTF8ToString(line));
});
EM_JS(void, sv_show_summary, (const char* line), {
    skyvanePage.showSummary(UTF8ToString(line));
});
EM_JS(void, sv_show_error, (const char* text), {
    skyvanePage.showError(UTF8ToString(text));
});
// clang-format on

namespace {
// A string the page handed over (malloc'd by it, or null), taken and freed.
std::optional<std::string> taken(char* bytes) {
    if (!bytes) return std::nullopt;
    std::string s = bytes;
    std::free(bytes);
    return s;
}
}  // namespace

std::optional<std::string> sv_language() {
    return taken(sv_language_js());
}

std::string sv_replay_name() {
    return taken(sv_replay_name_js()).value_or("");
}

std::optional<std::string> sv_test_pace() {
    return taken(sv_test_pace_js());
}

std::optional<std::string> sv_speed() {
    return taken(sv_speed_js());
}
