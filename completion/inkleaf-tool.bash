# bash completion for inkleaf-tool: commands, their options, and files of the kinds each takes.
_inkleaf_tool()
{
    local cur prev command
    COMPREPLY=()
    cur="${COMP_WORDS[COMP_CWORD]}"
    prev="${COMP_WORDS[COMP_CWORD-1]}"
    command="${COMP_WORDS[1]}"

    if [ "$COMP_CWORD" -eq 1 ]; then
        COMPREPLY=($(compgen -W "info render export convert split merge thumbnail --help" -- "$cur"))
        return
    fi
    case "$prev" in
        --screen) COMPREPLY=($(compgen -W "1024x768 1280x1024 1920x1080 2560x1440 3840x2160" -- "$cur")); return ;;
        --size) COMPREPLY=($(compgen -W "64 128 256 512 1024" -- "$cur")); return ;;
        --to) [ "$command" = export ] && COMPREPLY=($(compgen -W "pdf png jpg" -- "$cur")) \
                  || COMPREPLY=($(compgen -W "ilf qvn" -- "$cur")); return ;;
        --paper) COMPREPLY=($(compgen -W "A4 Letter" -- "$cur")); return ;;
        --scale) COMPREPLY=($(compgen -W "2 4" -- "$cur")); return ;;
        --out-dir) COMPREPLY=($(compgen -d -- "$cur")); return ;;
    esac
    if [[ "$cur" == -* ]]; then
        local options="--screen --help"
        case "$command" in
            info) options+=" --strokes" ;;
            convert) options+=" --out-dir --to" ;;
            export) options+=" --out-dir --to --paper --scale" ;;
            thumbnail) options+=" --size" ;;
        esac
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
        return
    fi
    compopt -o filenames 2>/dev/null
    COMPREPLY=($(compgen -f -X '!*.@([iI][lL][fF]|[qQ][vV][nN]|[pP][nN][gG]|[pP][dD][fF]|[jJ][pP][gG]|[jJ][pP][eE][gG])' -- "$cur")
               $(compgen -d -- "$cur"))
}
complete -F _inkleaf_tool inkleaf-tool
