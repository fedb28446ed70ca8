#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 the Skyvane developers
# SPDX-License-Identifier: MIT
# The sources keep the project's style: clang-format leaves them as they are (format), and
# clang-tidy's bug and performance checks find nothing (tidy).
# Usage: check_style.sh format|tidy SOURCE_DIR [BUILD_DIR]
set -uo pipefail
what="$1"
root="$(realpath "$2")"
cd "$root"
mapfile -t sources < <(find app bench fuzz layouts mission platform replay screens tests tools \
    -name '*.cpp' -o -name '*.h' | sort)
case "$what" in
    format)
        command -v clang-format >/dev/null || { echo "skipped: no clang-format"; exit 77; }
        clang-format --dry-run --Werror "${sources[@]}" || exit 1
        # Every file of the project's own says its licence in its first lines.
        missing=0
        while read -r f; do
            case "$f" in assets/* | docs/* | tests/replays/* | tests/pictures/* | fuzz/findings/* | debian/changelog | debian/control | debian/copyright | debian/source/* | debian/tests/control | debian/*.lintian-overrides | LICENSE | *.md | *.json | *.webmanifest) continue ;; esac  # JSON holds no comments
            [ -f "$f" ] || continue
            head -n 4 "$f" | grep -q 'SPDX-License-Identifier: MIT' || { echo "$f: no SPDX licence line"; missing=1; }
        done < <(git ls-files 2>/dev/null)
        [ "$missing" -eq 0 ] || exit 1
        ;;
    tidy)
        command -v run-clang-tidy >/dev/null || { echo "skipped: no run-clang-tidy"; exit 77; }
        build="$(realpath "$3")"
        # The game's own files, one clang-tidy a core; the headers come with the files that
        # include them.
        product='/(app|layouts|mission|platform|replay|screens)/.*\.cpp$'
        units=$(grep -cE "\"file\": \"$root${product%$}\"" "$build/compile_commands.json")
        [ "$units" -gt 20 ] || { echo "clang-tidy: only $units files of the game in $build"; exit 1; }
        run-clang-tidy -quiet -j "$(nproc)" -p "$build" "$root$product" >"$build/tidy.log" 2>&1
        if grep -E 'warning:|error:' "$build/tidy.log"; then exit 1; fi
        echo "clang-tidy: $units files of the game clean"
        ;;
esac
