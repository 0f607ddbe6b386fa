# bash completion for zamrit-dice: the commands, their options, the forms, and file names
# for FILE, --measures and the output files.
_zamrit_dice()
{
    local cur prev words cword
    _init_completion || return

    local commands="throw dump midi play render score"
    local source_options="--form --seed --measures"

    # The command is the first word that is not an option.
    local command="" i
    for ((i = 1; i < cword; i++)); do
        case ${words[i]} in
            throw | dump | midi | play | render | score)
                command=${words[i]}
                break
                ;;
        esac
    done

    case $prev in
        --form)
            COMPREPLY=($(compgen -W "dance minuet" -- "$cur"))
            return
            ;;
        --format)
            COMPREPLY=($(compgen -W "musicxml ly svg pdf" -- "$cur"))
            return
            ;;
        --seed | --start | --end | --voice-type)
            return
            ;;
        -o | --output)
            _filedir
            return
            ;;
        --sound-font)
            _filedir '@(sf2|sf3)'
            return
            ;;
    esac

    if [[ -z $command ]]; then
        COMPREPLY=($(compgen -W "$commands --help --version" -- "$cur"))
        return
    fi

    local options
    case $command in
        throw) options="--form --seed" ;;
        dump) options="--voice-type" ;;
        midi) options="$source_options --start --end -o --output" ;;
        play) options="$source_options --sound-font" ;;
        render) options="$source_options -o --output --sound-font" ;;
        score) options="$source_options --format -o --output" ;;
    esac

    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$options --help" -- "$cur"))
        return
    fi
    # FILE, and the measure files after --measures.
    [[ $command != throw ]] && _filedir
} &&
    complete -F _zamrit_dice zamrit-dice
