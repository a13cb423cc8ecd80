# bash completion for swkvctl: commands, options, node paths of the live tree, entry and action
# names, all from `swkvctl complete`, which knows the tree. Names are quoted for the shell
# ("Block Size"); a path ending in '/' is left open for the next name.
_swkvctl() {
  local -a words candidates
  words=("${COMP_WORDS[@]:1:COMP_CWORD}")
  mapfile -t candidates < <(swkvctl complete -- "${words[@]}" 2>/dev/null)
  COMPREPLY=()
  local candidate open=
  for candidate in "${candidates[@]}"; do
    [[ $candidate == */ ]] && open=1
    COMPREPLY+=("$(printf '%q' "$candidate")")
  done
  [[ -n $open ]] && compopt -o nospace
  return 0
}
complete -F _swkvctl swkvctl
