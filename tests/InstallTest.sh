#!/usr/bin/env bash
# Installs the build into a private prefix and checks what a user gets: both programs, a valid
# launcher, the icons, the file types that open with Zephyl, the manual pages, and completion.
set -euo pipefail
build="$1"
version="$2"
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null
share="$prefix/share"
cli="$prefix/bin/zephyl-cli"
for program in zephyl zephyl-cli; do
  "$prefix/bin/$program" --version | grep -qx "$program $version" ||
    fail "the installed $program does not say its version $version"
done
desktop="$share/applications/zephyl.desktop"
desktop-file-validate "$desktop" || fail "the launcher is not valid"
grep -q '^Exec=zephyl %f$' "$desktop" || fail "the launcher does not pass the file on"
grep -q '^MimeType=application/x-zephyl-bank;application/x-sysex;$' "$desktop" ||
  fail "the launcher takes no bank or SysEx files"
for size in 16 32 48 256; do
  for icon in apps/zephyl.png mimetypes/application-x-zephyl-bank.png; do
    file="$share/icons/hicolor/${size}x${size}/$icon"
    identify -format '%wx%h' "$file" | grep -qx "${size}x${size}" || fail "$file is not ${size}x${size}"
  done
done
# The install step refreshed the type database of the prefix.
grep -q '^application/x-zephyl-bank:\*\.zpf$' "$share/mime/globs" || fail ".zpf is not registered"
grep -q '^application/x-sysex:\*\.syx$' "$share/mime/globs" || fail ".syx is not registered"
grep -q 'NL patch' "$share/mime/application/x-zephyl-bank.xml" || fail "the type has no description"

# Every command has its section in the manual.
zcat "$share/man/man1/zephyl.1.gz" | grep -q '^\.SH KEYS$' || fail "zephyl(1) is missing"
for command in $("$cli" --help-all | sed -n '/^Subcommands:$/,$ s/^\([a-z-]*\)$/\1/p'); do
  zcat "$share/man/man1/zephyl-cli.1.gz" | grep -qx "\.SS $command" ||
    fail "zephyl-cli(1) does not describe $command"
done

# Completion, as bash runs it on Tab: the line so far, and the words offered.
source "$share/bash-completion/completions/zephyl-cli"
compopt() { :; }
cd "$prefix" && mkdir folder && touch bank.zpf
while IFS='|' read -r line offered; do
  read -ra COMP_WORDS <<<"$line"
  [[ $line == *" " ]] && COMP_WORDS+=("")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMP_WORDS[0]="$cli"
  _zephyl_cli
  [ "${COMPREPLY[*]}" = "$offered" ] || fail "completing '$line' offers '${COMPREPLY[*]}', not '$offered'"
done <<'TABLE'
zephyl-cli pro|procreate
zephyl-cli procreate --mu|--mutation
zephyl-cli dump --json --p|--patch
zephyl-cli send --api |alsa jack none
zephyl-cli render x --slot |A B C D
zephyl-cli random --count |
zephyl-cli merge -o ba|bank.zpf
zephyl-cli explode bank.zpf --dir f|folder
TABLE
echo "installed and registered in $prefix"
