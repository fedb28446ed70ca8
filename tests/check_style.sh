#!/usr/bin/env bash
# The sources keep the project's style: clang-format leaves them as they are (format), and
# clang-tidy's bug and performance checks find nothing (tidy).
# Usage: check_style.sh format|tidy SOURCE_DIR [BUILD_DIR]
set -uo pipefail
what="$1"
root="$2"
cd "$root"
mapfile -t sources < <(find app fuzz layouts mission platform replay screens tests tools \
    -name '*.cpp' -o -name '*.h' | sort)
case "$what" in
    format)
        command -v clang-format >/dev/null || { echo "skipped: no clang-format"; exit 77; }
        clang-format --dry-run --Werror "${sources[@]}"
        ;;
    tidy)
        command -v clang-tidy >/dev/null || { echo "skipped: no clang-tidy"; exit 77; }
        build="$3"
        # Only what this build compiles: the fuzz targets are built by the sanitizer build alone.
        mapfile -t units < <(printf '%s\n' "${sources[@]}" | grep '\.cpp$' |
            while read -r f; do grep -q "\"file\": \"$root/$f\"" "$build/compile_commands.json" && echo "$f"; done)
        printf '%s\n' "${units[@]}" | xargs -P "$(nproc)" -n 4 clang-tidy -p "$build" --quiet 2>&1 |
            grep -E 'warning:|error:' && exit 1
        echo "clang-tidy: ${#units[@]} files clean"
        ;;
esac
