# bash completion for kestova-cli                                    -*- shell-script -*-

_kestova_cli()
{
    local cur prev words cword
    _init_completion || return

    if ((cword == 1)); then
        COMPREPLY=($(compgen -W 'build walls scan --help --version' -- "$cur"))
        return
    fi

    case $prev in
        --out)
            _filedir -d
            return
            ;;
        --title)
            return
            ;;
    esac

    local options
    case ${words[1]} in
        build) options='--out --title --no-dedupe --previews --portable --no-portable --video-copies --wait --retry-skipped --json --open --help' ;;
        walls) options='--json --help' ;;
        scan) options='--out --help' ;;
        *) return ;;
    esac
    if [[ $cur == -* || ${words[1]} == walls ]]; then
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
    else
        _filedir -d
    fi
} &&
    complete -F _kestova_cli kestova-cli
