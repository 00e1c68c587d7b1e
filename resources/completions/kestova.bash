# bash completion for kestova                                        -*- shell-script -*-

_kestova()
{
    local cur prev words cword
    _init_completion || return

    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W '--help --version' -- "$cur"))
        return
    fi
    _filedir -d
} &&
    complete -F _kestova kestova
