#!/usr/bin/env bash
# Installs the build into a temporary prefix and uses it as a user would: velsync from PATH finds its
# libraries, registers and loads the installed module; the man page has every command; bash completes
# commands, actions and options.
set -euo pipefail
build="$1"
prefix="$(mktemp -d)"
trap 'rm -rf "$prefix"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null
export PATH="$prefix/bin:$PATH" VELSYNC_HOME="$prefix/home" APPDATA="$prefix/appdata"
[ "$(command -v velsync)" = "$prefix/bin/velsync" ] || fail "velsync is not the installed one"
velsync --version | grep -q '^velsync [0-9]' || fail "no version"
[ -f "$prefix/lib/tzids.csv" ] || fail "no tzids.csv beside the module"
velsync register --user >/dev/null || fail "register"
out="$(velsync calendar folders 2>&1)" || fail "calendar folders: $out"
case "$out" in *"cannot be loaded"*) fail "the installed module did not load: $out" ;; esac

page="$prefix/share/man/man1/velsync.1"
for command in register options sync run calendar contacts; do
  grep -q "^\.SH \"VELSYNC ${command^^}\"" "$page" || fail "man page lacks $command"
done

# shellcheck disable=SC1091
source "$prefix/share/bash-completion/completions/velsync"
complete_words() {
  COMP_WORDS=("$@")
  COMP_CWORD=$(($# - 1))
  _velsync
  echo " ${COMPREPLY[*]} "
}
[[ "$(complete_words velsync cal)" == *" calendar "* ]] || fail "completion of commands"
[[ "$(complete_words velsync calendar ad)" == *" add "* ]] || fail "completion of actions"
[[ "$(complete_words velsync options --lo)" == *" --log "* ]] || fail "completion of options"
echo "installed velsync works"
