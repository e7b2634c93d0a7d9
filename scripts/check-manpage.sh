#!/usr/bin/env bash
# Fails when a manual page and its program's --help drift apart: every option
# the help prints must be described in the page, and every option the page
# describes must still exist. A program with commands (its help lists them
# under "Commands:") is checked command by command: the page has a .SS section
# per command, holding that command's options (or a "COMMON OPTIONS" section
# holds them). The page must also format without a warning.
#
# usage: check-manpage.sh PROGRAM PAGE
set -u
program=$1
page=$2
failed=0
complain() {
    echo "$(basename "$page"): $*" >&2
    failed=1
}

# The page as plain words: no comments, no font changes, "\-" as "-".
plain=$(sed -e '/^\.\\"/d' -e 's/\\f[BIRP]//g' -e 's/\\-/-/g' -e 's/\\&//g' -e 's/\\(lq\|\\(rq//g' "$page")

# The text of one section: from a line starting with $1 to the next .SH or .SS.
section() {
    awk -v head="$1" '
        index($0, head) == 1 { on = 1; print; next }
        /^\.S[HS]/ { on = 0 }
        on' <<<"$plain"
}

# Options a help text prints: the option column after "Options:".
help_options() {
    awk '/^Options:/ { on = 1; next } /^[^ ]/ { on = 0 } on && /^  +-/ { print }' |
        grep -oE '(^|[ ,])--?[a-zA-Z][a-zA-Z0-9-]*' | tr -d ' ,' | sort -u
}

# Options a page text names.
page_options() {
    grep -oE '(^|[ "(|[])--?[a-zA-Z][a-zA-Z0-9-]*' | sed -E 's/^[ "(|[]//' | sort -u
}

has_word() { grep -qE -- "(^|[^a-zA-Z0-9-])$1([^a-zA-Z0-9-]|$)" <<<"$2"; }

# The tags of a text's .TP paragraphs: where an option is described.
tags() { awk 'prev == ".TP" { print } { prev = $0 }' <<<"$1"; }

# Both directions between one help text and one page text: every option of the
# help is the tag of a paragraph, every option the text names is in the help.
compare() {
    local what=$1 help=$2 text=$3 common=$4 opt
    for opt in $(help_options <<<"$help"); do
        has_word "$opt" "$(tags "$text")" || has_word "$opt" "$(tags "$common")" ||
            complain "$what: $opt is not described"
    done
    for opt in $(page_options <<<"$text"); do
        has_word "$opt" "$(help_options <<<"$help")" || complain "$what: $opt is described but not in --help"
    done
}

export QT_QPA_PLATFORM=offscreen
top=$("$program" --help 2>/dev/null) || complain "$program --help failed"
commands=$(awk '/^Commands:/ { on = 1; next } /^[^ ]/ { on = 0 } on && NF { print $1 }' <<<"$top")
if [ -n "$commands" ]; then
    common=$(section '.SH "COMMON OPTIONS"')
    [ -n "$common" ] || complain 'no "COMMON OPTIONS" section'
    for cmd in $commands; do
        text=$(section ".SS \"$cmd ")
        if [ -z "$text" ]; then
            complain "command $cmd has no .SS section"
            continue
        fi
        help=$("$program" "$cmd" --help 2>/dev/null) || complain "$program $cmd --help failed"
        compare "$cmd" "$help" "$text" "$common"
    done
    for cmd in $(sed -nE 's/^\.SS "([a-z-]+) .*/\1/p' <<<"$plain"); do
        has_word "$cmd" "$commands" || complain "command $cmd is described but not in --help"
    done
else
    compare "options" "$top" "$(section '.SH OPTIONS')" ""
fi

# Formats without a warning (groff's own lint).
warnings=$(groff -t -man -ww -z "$page" 2>&1)
[ -z "$warnings" ] || complain "groff: $warnings"

[ "$failed" = 0 ] && echo "$(basename "$page"): in step with $(basename "$program") --help"
exit "$failed"
