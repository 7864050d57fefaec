# bash completion for tessary-cli: commands, global options, each command's own
# options (read from "tessary-cli help COMMAND"), blog files, template packages
# and folders where a command takes them. Needs nothing but bash.

# Folders, and the files whose names end in .$1 (every file without $1).
_tessary_cli_files() {
  local cur=${COMP_WORDS[COMP_CWORD]} IFS=$'\n'
  compopt -o filenames 2> /dev/null
  COMPREPLY=($(compgen -d -- "$cur"))
  if [ -n "${1:-}" ]; then
    COMPREPLY+=($(compgen -f -X "!*.$1" -- "$cur"))
  else
    COMPREPLY+=($(compgen -f -- "$cur"))
  fi
}

_tessary_cli_folders() {
  local cur=${COMP_WORDS[COMP_CWORD]} IFS=$'\n'
  compopt -o filenames 2> /dev/null
  COMPREPLY=($(compgen -d -- "$cur"))
}

_tessary_cli() {
  local cur=${COMP_WORDS[COMP_CWORD]} prev=""
  [ "$COMP_CWORD" -gt 0 ] && prev=${COMP_WORDS[COMP_CWORD - 1]}
  COMPREPLY=()

  local globals="--program-folder --yes --verbose --help --version"
  local commands="add-category add-entry add-file add-picture backup categories compact demo edit-category
    edit-entry entries export files generate help info mark-all-new mark-all-published new options pages pictures
    preview-path publish remove-category remove-entry remove-file remove-picture repair save-file set-option
    template-check template-pack template-preview template-unpack"

  # The command (the first word that is neither an option nor the program
  # folder) and how many words follow it before the one being completed.
  local i command="" position=0
  for ((i = 1; i < COMP_CWORD; i++)); do
    case ${COMP_WORDS[i]} in
      --program-folder) ((i++)) ;;
      -*) ;;
      *) if [ -z "$command" ]; then command=${COMP_WORDS[i]}; else ((position++)); fi ;;
    esac
  done

  case $prev in
    --program-folder | --location | --dir | --publish-to) _tessary_cli_folders; return ;;
    --text-file) _tessary_cli_files; return ;;
    --type)
      if [ "$command" = export ]; then
        COMPREPLY=($(compgen -W "xls xml" -- "$cur"))
      else
        COMPREPLY=($(compgen -W "0 1 2 3 4 5 6 7" -- "$cur"))
      fi
      return ;;
    --title | --text | --date | --page-name | --category | --category2 | --category3 | --cool-url | --teaser | \
    --keywords | --description | --sidebar | --extra1 | --extra2 | --title1 | --title2 | --answers | --limit | \
    --keep | --name) return ;;
  esac

  if [ -z "$command" ]; then
    COMPREPLY=($(compgen -W "$commands $globals" -- "$cur"))
    return
  fi
  if [[ $cur == -* ]]; then
    local own
    own=$("${COMP_WORDS[0]}" help "$command" 2> /dev/null | grep -o -- '--[a-z0-9-]*' | sort -u)
    COMPREPLY=($(compgen -W "$own $globals" -- "$cur"))
    return
  fi
  case $command in
    help) [ $position -eq 0 ] && COMPREPLY=($(compgen -W "$commands" -- "$cur")) ;;
    template-check | template-preview) _tessary_cli_files tem ;;
    template-unpack) if [ $position -eq 0 ]; then _tessary_cli_files tem; else _tessary_cli_folders; fi ;;
    template-pack) if [ $position -eq 0 ]; then _tessary_cli_folders; else _tessary_cli_files tem; fi ;;
    demo) ;;
    add-picture | add-file | save-file) if [ $position -eq 0 ]; then _tessary_cli_files zdb; else _tessary_cli_files; fi ;;
    *) [ $position -eq 0 ] && _tessary_cli_files zdb ;;
  esac
}
complete -F _tessary_cli tessary-cli
