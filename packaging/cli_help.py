#!/usr/bin/env python3
"""Reads what vexlorin-cli says about itself and writes what is made from it at build time.

  cli_help.py completion CLI OUT   bash completion of every command and option
  cli_help.py man-include CLI OUT  help2man include with the --help of every command

Both walk the program's own --help output (CLI11's layout) and the --help of each of its
commands, so they follow whatever options the program has when it is built.
"""

import re
import subprocess
import sys
from dataclasses import dataclass, field

# Section headings of CLI11's help; an option group repeats "Options:" further indented.
SECTION = re.compile(r"^\s*(Options|Positionals|Subcommands):\s*$")
# The first column holds the entry; its text starts 30 columns in, or on the next line.
ENTRY_INDENT_MAX = 20
# A value's type as CLI11 shows it: TEXT, UINT, FILE, FORMAT:{a,b}, PORT=23, UINT:INT in [...].
TYPE_TOKEN = re.compile(r"^[A-Z][A-Z0-9_]*(?=$|[:={])")
CHOICES = re.compile(r":\{([^}]*)\}")
NOT_TYPES = {"REQUIRED"}
# Type names whose values are completed; any other value is free text.
VALUE_KINDS = {"FILE": "@file", "OUT": "@file", "PATH": "@file", "DB": "@file",
               "DIR": "@dir", "HOST": "@host"}


@dataclass
class Option:
    names: list
    value: str  # "" flag, "-" any text, "@file", "@dir", "@host", or choices separated by spaces


@dataclass
class Command:
    path: list
    options: list = field(default_factory=list)
    positionals: list = field(default_factory=list)  # kinds, in order
    subcommands: list = field(default_factory=list)  # Command
    help: str = ""


def value_kind(type_name, left):
    choices = CHOICES.search(left)
    if choices:
        return " ".join(c.strip() for c in choices.group(1).split(",") if c.strip())
    return VALUE_KINDS.get(type_name, "-")


def positional_kind(name):
    return "@host" if name in ("HOST", "ADDRESS") else "@file"


def parse_help(text):
    """Options, positionals and command names of one --help text."""
    options, positionals, commands = [], [], []
    section = None
    for line in text.splitlines():
        heading = SECTION.match(line)
        if heading:
            section = heading.group(1)
            continue
        if not line.strip():
            section = None
            continue
        indent = len(line) - len(line.lstrip())
        if section is None or indent == 0 or indent >= ENTRY_INDENT_MAX:
            continue
        left = re.split(r"\s{2,}", line.strip())[0]
        tokens = left.split()
        if section == "Options" and tokens[0].startswith("-"):
            names = [n for n in tokens[0].split(",") if n.startswith("-")]
            value = ""
            if len(tokens) > 1 and tokens[1] not in NOT_TYPES:
                type_name = TYPE_TOKEN.match(tokens[1])
                if type_name:
                    value = value_kind(type_name.group(0), left)
            options.append(Option(names, value))
        elif section == "Positionals":
            positionals.append(positional_kind(tokens[0]))
        elif section == "Subcommands":
            commands.append(tokens[0])
    return options, positionals, commands


def help_text(cli, path):
    result = subprocess.run([cli, *path, "--help"], capture_output=True, text=True, check=False,
                            timeout=30)
    if result.returncode != 0:
        sys.exit(f"cli_help.py: {' '.join([cli, *path])} --help ended with {result.returncode}:\n"
                 f"{result.stderr}")
    return result.stdout


def read_command(cli, path=()):
    text = help_text(cli, list(path))
    options, positionals, names = parse_help(text)
    command = Command(list(path), options, positionals, help=text)
    command.subcommands = [read_command(cli, (*path, name)) for name in names]
    return command


def walk(command):
    yield command
    for sub in command.subcommands:
        yield from walk(sub)


def bash_word(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"').replace("$", "\\$") + '"'


def completion(root):
    commands = list(walk(root))
    out = [
        "# bash completion for vexlorin-cli. Generated at build time by packaging/cli_help.py",
        "# from the --help output of the program and of each of its commands: do not edit.",
        "",
        "# REPLY: the commands below the command path $1.",
        "_vexlorin_cli_commands() {",
        '    case "$1" in',
    ]
    for c in commands:
        if c.subcommands:
            names = " ".join(s.path[-1] for s in c.subcommands)
            out.append(f"    {bash_word(' '.join(c.path))}) REPLY={bash_word(names)} ;;")
    out += ['    *) REPLY="" ;;', "    esac", "}", "",
            "# REPLY: the options of the command path $1.",
            "_vexlorin_cli_options() {", '    case "$1" in']
    for c in commands:
        names = " ".join(n for o in c.options for n in o.names)
        out.append(f"    {bash_word(' '.join(c.path))}) REPLY={bash_word(names)} ;;")
    out += ['    *) REPLY="" ;;', "    esac", "}", "",
            "# REPLY: what option $2 of the command path $1 takes: empty for a flag, - for any",
            "# text, @file, @dir, @host, or its choices.",
            "_vexlorin_cli_value() {", '    case "$1|$2" in']
    for c in commands:
        for o in c.options:
            if o.value:
                keys = "|".join(bash_word(" ".join(c.path) + "|" + n) for n in o.names)
                out.append(f"    {keys}) REPLY={bash_word(o.value)} ;;")
    out += ['    *) REPLY="" ;;', "    esac", "}", "",
            "# REPLY: what the positional arguments of the command path $1 are, in order.",
            "_vexlorin_cli_positionals() {", '    case "$1" in']
    for c in commands:
        if c.positionals:
            out.append(f"    {bash_word(' '.join(c.path))}) REPLY={bash_word(' '.join(c.positionals))} ;;")
    out += ['    *) REPLY="" ;;', "    esac", "}", ""]
    out.append(COMPLETION_DRIVER)
    return "\n".join(out)


COMPLETION_DRIVER = r'''# Fills COMPREPLY with the words of kind $1 that start with $2.
_vexlorin_cli_offer() {
    case "$1" in
    @file)
        compopt -o filenames 2>/dev/null
        mapfile -t COMPREPLY < <(compgen -f -- "$2") ;;
    @dir)
        compopt -o filenames 2>/dev/null
        mapfile -t COMPREPLY < <(compgen -d -- "$2") ;;
    @host) mapfile -t COMPREPLY < <(compgen -A hostname -- "$2") ;;
    "" | -) COMPREPLY=() ;;
    *) mapfile -t COMPREPLY < <(compgen -W "$1" -- "$2") ;;
    esac
}

_vexlorin_cli() {
    local cur="${COMP_WORDS[COMP_CWORD]}" path="" word i=1 positional=0 REPLY kinds
    COMPREPLY=()
    # Walk the words before the cursor: commands first, then options with their values and
    # the positional arguments. Bash splits "--format=json" into "--format" "=" "json".
    while [ "$i" -lt "$COMP_CWORD" ]; do
        word="${COMP_WORDS[i]}"
        i=$((i + 1))
        if [ "$word" = "=" ]; then
            if [ "$i" -eq "$COMP_CWORD" ]; then
                _vexlorin_cli_value "$path" "${COMP_WORDS[i - 2]}"
                _vexlorin_cli_offer "$REPLY" "$cur"
                return 0
            fi
            i=$((i + 1))
            continue
        fi
        if [[ "$word" == -* ]]; then
            _vexlorin_cli_value "$path" "$word"
            if [ -n "$REPLY" ] && [ "${COMP_WORDS[i]}" != "=" ]; then
                if [ "$i" -eq "$COMP_CWORD" ]; then
                    _vexlorin_cli_offer "$REPLY" "$cur"
                    return 0
                fi
                i=$((i + 1))
            fi
            continue
        fi
        if [ "$positional" -eq 0 ]; then
            _vexlorin_cli_commands "$path"
            if [[ " $REPLY " == *" $word "* ]]; then
                path="${path:+$path }$word"
                continue
            fi
        fi
        positional=$((positional + 1))
    done

    if [ "$cur" = "=" ]; then
        _vexlorin_cli_value "$path" "${COMP_WORDS[COMP_CWORD - 1]}"
        _vexlorin_cli_offer "$REPLY" ""
        return 0
    fi
    if [[ "$cur" == -* ]]; then
        _vexlorin_cli_options "$path"
        _vexlorin_cli_offer "$REPLY" "$cur"
        return 0
    fi
    if [ "$positional" -eq 0 ]; then
        _vexlorin_cli_commands "$path"
        if [ -n "$REPLY" ]; then
            _vexlorin_cli_offer "$REPLY" "$cur"
            return 0
        fi
    fi
    _vexlorin_cli_positionals "$path"
    read -r -a kinds <<<"$REPLY"
    _vexlorin_cli_offer "${kinds[positional]}" "$cur"
    return 0
}

complete -F _vexlorin_cli vexlorin-cli
'''


def roff_escape(text):
    lines = []
    for line in text.replace("\\", "\\e").splitlines():
        lines.append("\\&" + line if line.startswith((".", "'")) else line)
    return "\n".join(lines)


def man_include(root):
    out = ["[COMMANDS]"]
    for c in walk(root):
        if not c.path:
            continue
        out.append('.SS "' + " ".join(["vexlorin-cli", *c.path]).replace("-", "\\-") + '"')
        out.append(".nf")
        out.append(roff_escape(c.help.rstrip("\n")))
        out.append(".fi")
    return "\n".join(out) + "\n"


def main(argv):
    if len(argv) != 4 or argv[1] not in ("completion", "man-include"):
        sys.exit(__doc__)
    root = read_command(argv[2])
    text = completion(root) if argv[1] == "completion" else man_include(root)
    with open(argv[3], "w", encoding="utf-8") as out:
        out.write(text)


if __name__ == "__main__":
    main(sys.argv)
