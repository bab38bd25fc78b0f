#!/usr/bin/env bash
# completion_test.sh COMPLETION QUORVEX_CLI: the bash completion of quorvex-cli, driven as
# bash drives it (COMP_WORDS split at blanks and at "=", COMP_CWORD the word under the
# cursor), against a table of command lines and the completions each must give exactly;
# then every command and subcommand that quorvex-cli --help names must be offered.
set -u
completion=$1
cli=$(realpath "$2")
# shellcheck source=/dev/null
source "$completion"

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$tmp/dev/by-id" "$tmp/files/sub"
touch "$tmp/dev/ttyACM0" "$tmp/dev/ttyUSB0" "$tmp/dev/ttyUSB1"
ln -s ../ttyACM0 "$tmp/dev/by-id/usb-Motorola_Phone-if00"
touch "$tmp/files/book.vcf" "$tmp/files/cal.ics" "$tmp/files/notes.txt"
# No ttyS device here: the unmatched pattern must not be offered as a name.
_quorvex_cli_device_globs=("$tmp"/dev/by-id/* "$tmp"/dev/ttyACM* "$tmp"/dev/ttyUSB* "$tmp"/dev/ttyS*)
cd "$tmp/files" || exit 1
d=$tmp/dev

# Completes the words given, the last being the one under the cursor, in this shell (no
# process per row: the table runs in a fraction of a second).
complete_words() {
  COMP_WORDS=("$@")
  COMP_CWORD=$(($# - 1))
  COMPREPLY=()
  _quorvex_cli
}

passed=0
failed=0
pass_or_fail() {
  if (($1)); then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAIL: $2"
  fi
}

# The completions must be exactly the expected words, in any order.
check() {
  local -a expected
  read -ra expected <<<"$1"
  shift
  complete_words "$@"
  local -A offered=()
  local word same=1
  for word in "${COMPREPLY[@]}"; do offered[$word]=1; done
  ((${#offered[@]} == ${#COMPREPLY[@]} && ${#COMPREPLY[@]} == ${#expected[@]})) || same=0
  for word in "${expected[@]}"; do [[ -n ${offered[$word]-} ]] || same=0; done
  pass_or_fail $same "$*"$'\n'"  expected: ${expected[*]}"$'\n'"  got:      ${COMPREPLY[*]}"
}

# expected completions                          words (the last is the one being completed)
check "at backup bin clock datebook demo detect info phonebook restore sms" quorvex-cli ""
check "phonebook"                               quorvex-cli ph
check "--baud --help --home --no --port --timeout --yes" quorvex-cli -
check "$d/by-id/usb-Motorola_Phone-if00 $d/ttyACM0 $d/ttyUSB0 $d/ttyUSB1" \
  quorvex-cli --port "$d/"
check "$d/ttyUSB0 $d/ttyUSB1"                   quorvex-cli --port = "$d/ttyU"
check "$d/ttyACM0"                              quorvex-cli --yes detect "$d/ttyUSB0" "$d/ttyA"
check "./book.vcf"                              quorvex-cli --port ./b
check "115200 19200"                            quorvex-cli --baud 1
check "datebook demo detect"                    quorvex-cli --port = "$d/ttyACM0" --baud 9600 d
check "1000 10000 3000 5000"                    quorvex-cli --timeout ""
check "--help"                                  quorvex-cli info -
check "add delete edit export-vcard import-vcard load read save write-all" \
  quorvex-cli phonebook ""
check "book.vcf cal.ics notes.txt sub"          quorvex-cli phonebook export-vcard ""
check "book.vcf"                                quorvex-cli phonebook load b
check "--help --version"                        quorvex-cli phonebook export-vcard x.vcf --
check "2.1 3.0"                                 quorvex-cli phonebook export-vcard x.vcf --version ""
check ""                                        quorvex-cli phonebook import-vcard x.vcf y
check "--name --number"                         quorvex-cli phonebook add --n
check ""                                        quorvex-cli phonebook add --name ""
check "--group --help --icon --ids --index --name --number --type" \
  quorvex-cli phonebook edit 5 --name Иван -
check "add autodelete delete edit export-ics import-ics read" quorvex-cli datebook ""
check "cal.ics"                                 quorvex-cli datebook import-ics c
check "--help --without-repeat"                 quorvex-cli datebook import-ics cal.ics --
check "--help"                                  quorvex-cli datebook export-ics cal.ics --
check "0 1 2 4 8"                               quorvex-cli datebook autodelete ""
check "off on"                                  quorvex-cli datebook add --title x --alarm o
check "archive drafts inbox outbox sent"        quorvex-cli sms read ""
check "book.vcf cal.ics notes.txt sub"          quorvex-cli sms export-csv inbox ""
check "--help --select"                         quorvex-cli sms export inbox out.txt --
check "drafts"                                  quorvex-cli --yes sms delete-all d
check "0 1 2"                                   quorvex-cli sms new --action ""
check "list restore"                            quorvex-cli bin ""
check "notes.txt"                               quorvex-cli backup n
check ""                                        quorvex-cli restore book.vcf b

# Every command and subcommand that the program's own usage names. A synopsis line is the
# command, then its subcommands separated by "|" (each piece's first word, after the
# command's name where a piece repeats it).
usage=$("$cli" --help) || { echo "FAIL: $cli --help"; exit 1; }
while read -r command rest; do
  check "$command" quorvex-cli "$command"
  [[ $rest == *"|"* ]] || continue
  IFS='|' read -ra pieces <<<"$rest"
  for piece in "${pieces[@]}"; do
    read -ra piece_words <<<"$piece"
    sub=${piece_words[0]-}
    [[ $sub == "$command" ]] && sub=${piece_words[1]-}
    [[ $sub =~ ^[a-z][a-z0-9-]*$ ]] || continue
    complete_words quorvex-cli "$command" "$sub"
    offered=" ${COMPREPLY[*]} "
    [[ $offered == *" $sub "* ]]
    pass_or_fail $((!$?)) "quorvex-cli $command $sub: not offered (got: ${COMPREPLY[*]})"
  done
done < <(sed -n '/^Commands:/,$p' <<<"$usage" | sed -n 's/^  \([a-z]\)/\1/p')

echo "$passed passed, $failed failed"
((failed == 0))
