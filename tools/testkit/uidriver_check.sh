#!/usr/bin/env bash
# The UI driver's own test: it drives uidriver_fixture.exe, which shows two boxes and a main
# window, and the log must hold exactly what the fixture showed, in CP932, and the answers given.
# Usage: uidriver_check.sh WINE_RUN UIDRIVER FIXTURE WORKDIR
set -euo pipefail
wine_run="$1" driver="$2" fixture="$3" work="$4"
# Status 125 (a host that cannot run these programs) is reported by CTest as a skip.
"$wine_run" --check "$driver" || exit 125
mkdir -p "$work"
log="$work/uidriver_check.log"
rm -f "$log"
winpath() { local p; p="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"; echo "Z:${p//\//\\}"; }
hex() { printf '%s' "$1" | iconv -f UTF-8 -t CP932 | od -An -tx1 -v | tr -d ' \n' | tr a-f A-F; }

set +e
"$wine_run" "$driver" --timeout 60 --answer 0 --answer 2 --close-main-after 1 --log "$(winpath "$log")" \
  "$(winpath "$fixture")"
status=$?
set -e

expected="$work/uidriver_check.expected"
{
  echo BOX
  echo "CAPTION $(hex Error)"
  echo "TEXT $(hex $'表示に失敗しました\r\n\r\n二行目')"
  echo "BUTTONS $(hex '&Abort')"
  echo "PRESSED 0"
  echo BOX
  echo "CAPTION $(hex 確認)"
  echo "TEXT $(hex '続けますか?')"
  echo "BUTTONS $(hex '&Yes'),$(hex '&No'),$(hex キャンセル)"
  echo "PRESSED 2"
  echo "MAINWINDOW $(hex メイン表示)"
  echo "EXIT 13"
} >"$expected"

fail=0
if [ "$status" -ne 13 ]; then echo "uidriver exited with $status, expected the fixture's 13"; fail=1; fi
if ! diff -u "$expected" "$log"; then echo "the driver's log differs from what the fixture showed"; fail=1; fi
exit "$fail"
