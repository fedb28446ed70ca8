#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 the Skyvane developers
# SPDX-License-Identifier: MIT
# Subsets Debian's IPA fonts into the web fonts of the page: each face holds the characters the
# game shows in it and the printable ASCII; the default face, in which a pilot's name shows,
# also the kana, the full-width forms and the first level of JIS kanji, which hold the names
# people are likely to type. Anything else falls back to the system's fonts.
# Usage: tools/web_fonts.sh SOURCE_DIR OUTPUT_DIR
set -euo pipefail
src="$1"
out="$2"
mkdir -p "$out"
fonts=/usr/share/fonts/opentype
# Every character the game's own texts hold.
game=$(grep -ho '[^ -~]' "$src"/layouts/*.cpp "$src"/mission/*.h "$src"/screens/*.h \
    "$src"/screens/*.cpp "$src"/platform/web/page/* | sort -u | tr -d '\n')
ascii=$(printf '%s' "$(seq 32 126 | awk '{ printf "%c", $1 }')")
# Hiragana, katakana (and their marks), CJK symbols and punctuation, full-width forms.
kana="U+3000-303F,U+3041-3096,U+3099-30FF,U+FF01-FF9F"
# JIS X 0208 level 1: the kanji of Shift-JIS 0x889F to 0x9872.
level1=$(/usr/bin/python3 -c '
out = []
for lead in range(0x88, 0x99):
    for trail in list(range(0x40, 0x7F)) + list(range(0x80, 0xFD)):
        if (lead, trail) < (0x88, 0x9F) or (lead, trail) > (0x98, 0x72):
            continue
        try:
            out.append(bytes([lead, trail]).decode("shift_jis"))
        except UnicodeDecodeError:
            pass
print("".join(out))')
subset() {  # FONT OUTPUT TEXT [UNICODES]
    pyftsubset "$1" --output-file="$2" --flavor=woff2 --text="$3" ${4:+--unicodes="$4"} \
        --layout-features='*' --no-hinting --desubroutinize
}
subset "$fonts/ipafont-gothic/ipagp.ttf" "$out/ipagp.woff2" "$game$ascii$level1" "$kana"
subset "$fonts/ipafont-gothic/ipag.ttf" "$out/ipag.woff2" "$game$ascii"
subset "$fonts/ipafont-mincho/ipam.ttf" "$out/ipam.woff2" "$game$ascii"
