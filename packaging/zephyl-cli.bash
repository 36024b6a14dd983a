# bash completion for zephyl-cli: its commands, their options, and the values an option takes,
# read from the program's own help so that they always match the program.

# Prints each option of `command` in `help` as its term: names and what it takes, e.g.
# "--slot CHAR:{A,B,C,D}=A". CLI11 gives a term 28 columns, or the whole line when longer.
_zephyl_cli_terms() {
  awk -v command="$1" '
    $0 == command { inside = 1; next }
    inside && /^[^ ]/ { exit }
    inside && /^    -/ {
      term = substr($0, 32, 1) != " " && length($0) > 32 ? substr($0, 5) : substr($0, 5, 28)
      sub(/ +$/, "", term)
      print term
    }' <<<"$2"
}

_zephyl_cli() {
  local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
  local help commands command="" i
  help=$("${COMP_WORDS[0]}" --help-all 2>/dev/null) || return
  commands=$(sed -n '/^Subcommands:$/,$ s/^\([a-z][a-z-]*\)$/\1/p' <<<"$help")
  for ((i = 1; i < COMP_CWORD; i++)); do
    if grep -qxF -- "${COMP_WORDS[i]}" <<<"$commands"; then
      command=${COMP_WORDS[i]}
      break
    fi
  done
  if [[ -z $command ]]; then
    mapfile -t COMPREPLY < <(compgen -W "$commands --help --help-all --version" -- "$cur")
    return
  fi

  local terms term words list names=() values
  terms=$(_zephyl_cli_terms "$command" "$help")
  while IFS= read -r term; do
    words=${term%% *}
    # The value after an option that takes one: its choices, a folder, a file, or nothing.
    if [[ $prev == -* && ",$words," == *",$prev,"* && $term == *" "* ]]; then
      values=${term#* }
      if [[ $values == *"{"*"}"* ]]; then
        values=${values#*\{}
        values=${values%%\}*}
        mapfile -t COMPREPLY < <(compgen -W "${values//,/ }" -- "$cur")
      elif [[ $prev == --dir ]]; then
        compopt -o filenames
        mapfile -t COMPREPLY < <(compgen -d -- "$cur")
      elif [[ $values == TEXT* ]]; then
        compopt -o filenames
        mapfile -t COMPREPLY < <(compgen -f -- "$cur")
      else
        COMPREPLY=()
      fi
      return
    fi
    IFS=, read -ra list <<<"$words"
    names+=("${list[@]}")
  done <<<"$terms"

  if [[ $cur == -* ]]; then
    mapfile -t COMPREPLY < <(compgen -W "${names[*]} --help" -- "$cur")
  else
    compopt -o filenames
    mapfile -t COMPREPLY < <(compgen -f -- "$cur")
  fi
}
complete -F _zephyl_cli zephyl-cli
