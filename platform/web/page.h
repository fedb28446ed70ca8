// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#pragma once

#include <cstddef>

// The calls the game makes into its page (platform/web/page.js), and the one the page answers:
// strings are UTF-8; forms and elements go by their names.

extern "C" {

void sv_open_window(const char* form,
                    const char* layout);  // layout: the window and its elements as JSON
void sv_close_window(const char* form);
void sv_show_window(const char* form, int visible);
// property: left, top (pixels), visible (1 or 0), picture (a URL, or empty), caption, text,
// fore, back, fill (CSS colours). Texts go with their length: a name may hold a NUL.
void sv_set(const char* form, const char* element, const char* property, const char* value,
            size_t length);
void sv_set_caption(const char* form, const char* caption, size_t length);
// Words for a screen reader to speak now (the page's live region).
void sv_say(const char* form, const char* words, size_t length);
// The player asks for no motion (prefers-reduced-motion).
int sv_reduced_motion();
void sv_set_focus(const char* form, const char* element);  // empty element: the window itself
void sv_box_open(const char* text, size_t textLength, const char* title, size_t titleLength);
void sv_box_close();
// The oldest event the page has queued, in memory the caller frees; null when there is none.
char* sv_next_event();
double sv_now();  // performance.now(), in milliseconds
int sv_hidden();  // the page is hidden (another tab, a minimised window)
void sv_sound(const char* name, int flags);
// The audio guide's cues (platform/sound.h), in the order Guide lists them.
void sv_guide(int flying, int height, int tickEvery, int rising, int warning, int pan, int depth,
              int inZone);
// This run plays with the audio guide.
void sv_guided(int guided);
void sv_ended();
// What the page was asked for: a replay's bytes as the file holds them (null for none, freed by
// the caller; the page keeps no copy), the pace to watch it at, and options of its address
// (trace).
char* sv_replay_bytes(size_t* size);
char* sv_replay_name_js();
char* sv_speed_js();      // ?speed= as written, or null
char* sv_test_pace_js();  // the pace a test set for live play, or null
int sv_option(const char* name);
char* sv_language_js();
// The languages the game speaks, separated by spaces, and the one this run shows: for the page's
// choice of language.
void sv_languages(const char* spoken, const char* current);
void sv_trace(const char* line);
void sv_record(const char* line);
void sv_show_summary(const char* line);
void sv_show_error(const char* text);
}

#include <optional>
#include <string>
// The language asked for by ?lang=, if any.
std::optional<std::string> sv_language();
// The replay's name, as the page shows it: its address or the file's name.
std::string sv_replay_name();
// The pace asked for by ?speed=, as written, if any.
std::optional<std::string> sv_speed();
// The pace a test set for its live pilot, if any.
std::optional<std::string> sv_test_pace();
