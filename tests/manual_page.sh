#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 the Skyvane developers
# SPDX-License-Identifier: MIT
# The manual page reads clean with groff, and names every option --help names and no other,
# and every language the game speaks.
set -euo pipefail
game="$1" man="$2"
warnings=$(groff -ww -man -z -K utf8 "$man" 2>&1) || true
[ -z "$warnings" ] || { echo "groff: $warnings"; exit 1; }
options() { grep -o -- '--[a-z][a-z-]*' | sort -u; }
in_help=$("$game" --help | options)
in_man=$(sed 's/\\-/-/g' "$man" | options)
[ "$in_help" = "$in_man" ] || { echo "--help and the manual page differ:"; diff <(echo "$in_help") <(echo "$in_man"); exit 1; }
for language in $("$game" --languages); do
    grep -qw -- "$language" "$man" || { echo "the manual page does not name $language"; exit 1; }
done
echo "the manual page: $(echo "$in_man" | wc -l) options, as --help; $("$game" --languages | wc -l) languages"
