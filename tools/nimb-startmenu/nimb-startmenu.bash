# SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
# SPDX-License-Identifier: LGPL-2.1-or-later
#
# Bash completion for nimb-startmenu. The commands below are checked against "nimb-startmenu --help"
# by the tool's test.

_nimb_startmenu()
{
    local cur prev words cword
    _init_completion || return

    local global_options="--root --home --json --verbose --debug --help --version"
    local commands="menu search watch update-state settings classic-menu files paths entry"

    case $prev in
        --root|--home)
            _filedir -d
            return
            ;;
    esac

    # The command is the first word that is neither an option nor an option's value.
    local i command="" position=0
    for ((i = 1; i < cword; i++)); do
        case ${words[i]} in
            --root|--home) ((i++)) ;;
            -*) ;;
            *)
                if [[ -z $command ]]; then
                    command=${words[i]}
                else
                    ((position++))
                fi
                ;;
        esac
    done

    if [[ $cur == -* ]]; then
        local options=$global_options
        [[ $command == search ]] && options+=" --limit"
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
        return
    fi

    case $command in
        "")
            COMPREPLY=($(compgen -W "$commands" -- "$cur"))
            ;;
        menu)
            ((position == 0)) && COMPREPLY=($(compgen -W "update reset show" -- "$cur"))
            ;;
        settings)
            if ((position == 0)); then
                COMPREPLY=($(compgen -W "show get set reset" -- "$cur"))
            elif ((position == 1)) && [[ ${words[cword - 1]} != show ]]; then
                local names
                names=$("${words[0]}" settings show 2>/dev/null | cut -d' ' -f1)
                COMPREPLY=($(compgen -W "$names" -- "$cur"))
            fi
            ;;
        classic-menu)
            ((position == 0)) && COMPREPLY=($(compgen -W "on off" -- "$cur"))
            ;;
        update-state)
            ((position == 0)) && COMPREPLY=($(compgen -W "activate" -- "$cur"))
            ;;
        files)
            if ((position == 0)); then
                COMPREPLY=($(compgen -W "status enable disable suspend resume purge folders" -- "$cur"))
            elif ((position == 1)) && [[ ${words[cword - 1]} == folders ]]; then
                COMPREPLY=($(compgen -W "add include exclude remove" -- "$cur"))
            elif ((position == 2)); then
                _filedir -d
            fi
            ;;
        entry)
            _filedir desktop
            ;;
    esac
}
complete -F _nimb_startmenu nimb-startmenu
