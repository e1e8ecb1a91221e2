# bash completion for dravel-cli: commands, each command's options and the file types it takes.
# Installed as /usr/share/bash-completion/completions/dravel-cli; works without bash-completion's
# helpers too (plain compgen), so that the tests can source it on their own.

_dravel_cli_files()
{
    # $1: an extglob alternative of extensions ("usd|ddf"), or empty for any file.
    local cur=$2 IFS=$'\n'
    local -a found
    if [[ -n $1 ]]; then
        found=($(compgen -f -X "!*.@($1|${1^^})" -- "$cur"))
    else
        found=($(compgen -f -- "$cur"))
    fi
    found+=($(compgen -d -S / -- "$cur"))
    COMPREPLY+=("${found[@]}")
    # A directory is completed with its slash and no space, so that the walk can go on.
    compopt -o filenames -o nospace 2>/dev/null
    local f
    for f in "${COMPREPLY[@]}"; do
        if [[ $f != */ ]]; then
            compopt +o nospace 2>/dev/null
            break
        fi
    done
}

_dravel_cli_ports()
{
    local cur=$1 IFS=$'\n'
    COMPREPLY+=($(compgen -W "$(ls -d /dev/ttyS* /dev/ttyUSB* /dev/ttyACM* /dev/pts/[0-9]* 2>/dev/null)" -- "$cur"))
    _dravel_cli_files "" "$cur"
}

_dravel_cli()
{
    local cur=${COMP_WORDS[COMP_CWORD]}
    local prev=""
    ((COMP_CWORD > 0)) && prev=${COMP_WORDS[COMP_CWORD - 1]}
    COMPREPLY=()
    local old_extglob
    old_extglob=$(shopt -p extglob)
    shopt -s extglob

    local commands="template info dump convert generate duplicates reorder import abs probe download upload restore backups"
    if ((COMP_CWORD == 1)); then
        COMPREPLY=($(compgen -W "$commands --help --version" -- "$cur"))
        eval "$old_extglob"
        return 0
    fi

    local command=${COMP_WORDS[1]}
    local options="" files="" valued=0
    case $command in
        template) options="-o -q"; files="h" ;;
        info) options="--layout --format"; files="usd|ddf|udf" ;;
        dump) options="--layout --format --kind"; files="usd|ddf|udf" ;;
        convert) options="--layout --yes"; files="usd|ddf|udf" ;;
        generate) options="--satellites --transponders --programs --seed --layout --terrestrial"; files="usd|ddf" ;;
        duplicates) options="--layout --keep -o --yes"; files="usd|ddf|udf" ;;
        reorder) options="--reference --layout --copy-groups --report -o --yes"; files="usd|ddf|udf" ;;
        import) options="--layout -o --yes"; files="usd|ddf|udf|csv" ;;
        abs) options=""; files="abs" ;;
        probe) options="--port --format --timeout"; files="-" ;;
        download) options="--port --format --timeout --default-db --user-db --backup --no-backup --verify --no-verify"; files="ddf|udf|abs" ;;
        upload) options="--port --format --timeout"; files="udf|ddf|abs" ;;
        restore) options="--port --format --timeout --no-verify"; files="abs" ;;
        backups) options=""; files="" ;;
        *) eval "$old_extglob"; return 0 ;;
    esac
    options+=" --help"

    # The value of the option before the cursor.
    case $prev in
        --layout) _dravel_cli_files "ini|h" "$cur"; valued=1 ;;
        --backup) _dravel_cli_files "" "$cur"; valued=1 ;;
        -o)
            if [[ $command == template ]]; then
                _dravel_cli_files "ini" "$cur"
            else
                _dravel_cli_files "usd|ddf|udf" "$cur"
            fi
            valued=1 ;;
        --reference) _dravel_cli_files "usd|ddf|udf|csv|json" "$cur"; valued=1 ;;
        --report) _dravel_cli_files "csv" "$cur"; valued=1 ;;
        --keep) COMPREPLY=($(compgen -W "first groups fta" -- "$cur")); valued=1 ;;
        --format)
            if [[ $command == dump ]]; then
                COMPREPLY=($(compgen -W "json csv" -- "$cur"))
            elif [[ $command == info ]]; then
                COMPREPLY=($(compgen -W "text json" -- "$cur"))
            else
                COMPREPLY=($(compgen -W "1 2" -- "$cur"))
            fi
            valued=1 ;;
        --kind) COMPREPLY=($(compgen -W "sat tp prog" -- "$cur")); valued=1 ;;
        --port) _dravel_cli_ports "$cur"; valued=1 ;;
        --satellites | --transponders | --programs | --seed | --timeout) valued=1 ;;
    esac
    if ((valued)); then
        eval "$old_extglob"
        return 0
    fi

    if [[ $cur == -* || $files == "-" ]]; then
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
    else
        _dravel_cli_files "$files" "$cur"
    fi
    eval "$old_extglob"
    return 0
}

complete -F _dravel_cli dravel-cli
