# SPDX-FileCopyrightText: 2026 the Skyvane developers
# SPDX-License-Identifier: MIT
# Reads a replay file and says where the keys in it do not pair: a second down of a key without
# its up, an up whose down the game never took, a repeat of a key that is up or is not the key
# pressed last, and (with -v released=1, when every key was let go before the run ended) a key
# the game still holds at the end. Prints nothing and exits 0 when every key pairs.
function bad(what) {
    printf "%s:%d: %s: %s\n", FILENAME, FNR, what, $0
    faults++
}
FNR == 1 || /^#/ || NF < 2 { next }
$2 == "down" {
    if ($4 in held) bad("a second down of key " $4 " without its up")
    held[$4] = 1
    last = $4
}
$2 == "up" {
    if (!($4 in held)) bad("an up of key " $4 " whose down the game never took")
    delete held[$4]
    if ($4 == last) last = ""
}
$2 == "repeat" {
    if (!($4 in held)) bad("a repeat of key " $4 " after its up")
    else if ($4 != last) bad("a repeat of key " $4 ", which is not the key pressed last")
}
$2 == "lostkeys" {
    for (k in held) delete held[k]
    last = ""
}
END {
    if (released)
        for (k in held) {
            printf "%s: key %s is still down in the game at the end, though every key was let go\n", FILENAME, k
            faults++
        }
    exit faults > 0
}
