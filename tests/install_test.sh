#!/usr/bin/env bash
# Installs a build into a temporary prefix and checks what a user gets there:
# a working mcpi on the path and a manual page that renders cleanly.
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

fail() {
  echo "install test: $*" >&2
  exit 1
}

cmake --install "$build" --prefix "$prefix" >/dev/null

"$prefix/bin/mcpi" </dev/null >"$prefix/out" || fail "mcpi exited with status $?"
[ "$(wc -l <"$prefix/out")" -eq 1 ] || fail "expected one line, got: $(cat "$prefix/out")"
grep -Eqx 'Pi is [0-4]\.[0-9]{6}' "$prefix/out" || fail "not a report line: $(cat "$prefix/out")"

page=$prefix/share/man/man1/mcpi.1
[ -f "$page" ] || fail "no manual page at $page"
warnings=$(groff -man -ww -z "$page" 2>&1) || fail "groff failed: $warnings"
[ -z "$warnings" ] || fail "groff warns: $warnings"
text=$(groff -man -Tutf8 -P-cbou "$page" 2>/dev/null)
for section in NAME SYNOPSIS DESCRIPTION "THE PAUSE" "EXIT STATUS" EXAMPLES; do
  grep -qx "$section" <<<"$text" || fail "manual page lacks the $section section"
done
