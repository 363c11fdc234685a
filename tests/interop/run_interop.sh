#!/bin/sh
# CTest entry for the node-pkware cross-check. A missing node or node-pkware is a failure, not a
# skip: the check is part of the suite.
#   run_interop.sh DCL_CLI MODULE_DIR
cli="$1"
module="$2"
here="$(dirname "$0")"
if ! command -v node >/dev/null 2>&1; then
  echo "FAIL: node is not on PATH; run scripts/setup"
  exit 1
fi
if [ ! -f "$module/package.json" ]; then
  echo "FAIL: node-pkware is missing at $module; run scripts/setup"
  exit 1
fi
exec node "$here/interop.mjs" "$cli" "$module"
