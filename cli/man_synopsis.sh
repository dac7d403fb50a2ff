#!/usr/bin/env bash
# Writes the man page with its synopsis made from tandemixctl's own usage lines, so that both
# show the same commands, operands and options.
# Usage: man_synopsis.sh tandemixctl page.1.in page.1   (the page's '.\" SYNOPSIS' line is replaced)
set -eu
synopsis=$("$1" --help | awk '
    # "  NAME WORDS...  what it does": the words before the two spaces, in troff.
    /^  [a-z]/ {
        line = substr($0, 3)
        cut = index(line, "  ")
        if (cut) line = substr(line, 1, cut - 1)
        gsub(/-/, "\\-", line)
        n = split(line, word, " ")
        print ".B tandemixctl " word[1]
        for (i = 2; i <= n; i++) {
            w = word[i]
            if (w ~ /^\[.*\]$/) { sub(/^\[/, "", w); sub(/\]$/, "", w); print ".RB [ " w " ]" }
            else if (w ~ /^\[/) { sub(/^\[/, "", w); print ".RB [ " w }
            else if (w ~ /\]$/) { sub(/\]$/, "", w); print ".IR " w " ]" }
            else if (w ~ /^\\-/) print ".B " w
            else print ".I " w
        }
        print ".br"
    }')
SYNOPSIS=$synopsis awk '/^\.\\" SYNOPSIS/ { print ENVIRON["SYNOPSIS"]; next } { print }' "$2" >"$3"
