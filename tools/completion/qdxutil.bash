# bash completion for qdxutil: subcommands, their options, directories after
# -d, file names elsewhere. Needs nothing from the bash-completion package.

_qdxutil_options() {
    case "$1" in
        check) echo "--owner --owner-file --help" ;;
        define) echo "--replace --help" ;;
        demo) echo "--rows --replace --help" ;;
        dump) echo "-d --key --display --owner --owner-file --help" ;;
        eval) echo "-d --owner --limit -e --help" ;;
        export) echo "-d --owner --owner-file --view --format --all-fields --all-records --no-heading -o --help" ;;
        import) echo "-d --owner --owner-file --format --skip-errors --help" ;;
        index) echo "-d --create --duplicates --modifiable --drop --keep-numbers --owner --owner-file --help" ;;
        owner) echo "--set --mode --clear --owner --owner-file --help" ;;
        stat) echo "--owner --owner-file --help" ;;
    esac
}

_qdxutil() {
    local cur prev command
    cur="${COMP_WORDS[COMP_CWORD]}"
    prev=""
    [ "$COMP_CWORD" -gt 0 ] && prev="${COMP_WORDS[COMP_CWORD-1]}"
    COMPREPLY=()
    if [ "$COMP_CWORD" -le 1 ]; then
        COMPREPLY=($(compgen -W "check define demo dump eval export import index owner stat --help" -- "$cur"))
        return 0
    fi
    command="${COMP_WORDS[1]}"
    case "$prev" in
        -d)
            COMPREPLY=($(compgen -d -- "$cur"))
            return 0 ;;
        --format)
            COMPREPLY=($(compgen -W "csv sav txt" -- "$cur"))
            return 0 ;;
        --set|--mode|--create|--drop)
            # An owner name, a mode, an index description or number.
            return 0 ;;
        --rows|--key|--limit|--owner|-e)
            # A number, an owner name or a formula: nothing to offer.
            return 0 ;;
    esac
    if [[ "$cur" == -* ]]; then
        COMPREPLY=($(compgen -W "$(_qdxutil_options "$command")" -- "$cur"))
        return 0
    fi
    case "$command" in
        demo) COMPREPLY=($(compgen -d -- "$cur")) ;;
        check|define|dump|eval|export|import|index|owner|stat) COMPREPLY=($(compgen -f -- "$cur")) ;;
    esac
    return 0
}

complete -o filenames -F _qdxutil qdxutil
