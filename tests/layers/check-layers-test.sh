#!/usr/bin/env bash
# The layer check passes a tree whose includes point down and fails, naming
# file and line, on each kind of wrong include.
set -euo pipefail
CHECK=$(cd "$(dirname "$0")/../../scripts" && pwd)/check-layers
TMP=$(mktemp -d)
trap 'rm -rf "$TMP"' EXIT

make_tree() {
  rm -rf "$TMP/t"
  mkdir -p "$TMP/t/src/platform/ui" "$TMP/t/src/settings" "$TMP/t/src/app" "$TMP/t/src/master" \
           "$TMP/t/src/exchange" "$TMP/t/src/reports" "$TMP/t/src/slips" "$TMP/t/tools/slipform"
  printf '#include "platform/ui/Prompt.h"\n#include <QString>\n' > "$TMP/t/src/settings/A.cpp"
  printf '#include "settings/A.h"\n#include "Local.h"\n' > "$TMP/t/src/app/Frame.cpp"
  printf '#include "app/View.h"\n#include "platform/sql/SlipList.h"\n' > "$TMP/t/src/slips/List.cpp"
  printf '#include "app/ExchangePorts.h"\n' > "$TMP/t/src/exchange/Import.cpp"
  printf '#include "platform/ui/ChoiceDlg.h"\n' > "$TMP/t/src/master/View.cpp"
  printf '#include "master/MasterModule.h"\n#include "slips/SlipsModule.h"\n' > "$TMP/t/src/main.cpp"
}

expect_fail() {  # expected line, then a file and its one bad line
  make_tree
  printf '// x\n%s\n' "$3" >> "$TMP/t/$2"
  if out=$("$CHECK" "$TMP/t" 2>&1); then
    echo "FAIL: accepted $3 in $2"; exit 1
  fi
  grep -qF "$1" <<<"$out" || { echo "FAIL: expected '$1' in: $out"; exit 1; }
}

make_tree
"$CHECK" "$TMP/t" >/dev/null || { echo "FAIL: a clean tree was refused"; "$CHECK" "$TMP/t"; exit 1; }

expect_fail 'src/app/Frame.cpp:4: app must not include "master/MasterView.h"' src/app/Frame.cpp '#include "master/MasterView.h"'
expect_fail 'src/settings/A.cpp:4: settings must not include "app/Ime.h"' src/settings/A.cpp '#include "app/Ime.h"'
expect_fail 'src/platform/ui/B.h:2: platform must not include "resources/Menus.h"' src/platform/ui/B.h '#include "resources/Menus.h"'
expect_fail 'src/exchange/Import.cpp:3: exchange must not include "master/MasterView.h"' src/exchange/Import.cpp '#include "master/MasterView.h"'
expect_fail 'src/master/View.cpp:3: master must not include "exchange/Import.h"' src/master/View.cpp '#include "exchange/Import.h"'
expect_fail 'src/slips/List.cpp:4: slips must not include "reports/ShimeView.h"' src/slips/List.cpp '#  include "reports/ShimeView.h"'
expect_fail 'tools/slipform/Main.cpp:2: slipform must not include "app/MainFrame.h"' tools/slipform/Main.cpp '#include "app/MainFrame.h"'
echo "layer check: all cases behave"
