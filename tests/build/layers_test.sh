#!/usr/bin/env bash
# The build's layers: with the include roots that the link module sees, its
# own and lower modules' headers compile and a window header does not. An
# upward include would let a Qt-free module grow a Qt dependency unnoticed.
# usage: layers_test.sh CXX "INCLUDE_DIR;INCLUDE_DIR..."
set -u
cxx=$1
IFS=';' read -r -a dirs <<<"$2"
flags=(-std=c++20 -fsyntax-only -x c++)
for d in "${dirs[@]}"; do flags+=(-I "$d"); done
fail=0
try() {  # EXPECTED(ok|refused) HEADER
  if printf '#include "%s"\n' "$2" | "$cxx" "${flags[@]}" - 2>/dev/null; then got=ok; else got=refused; fi
  [[ $got == "$1" ]] || { echo "FAIL: $2 $got, expected $1"; fail=1; }
}
try ok serial/rs232c.h
try ok model/step_program.h
try ok link/robot_link.h
try refused ui/Unit1.h
try refused settings/profile.h
try refused tools/vk47ctl/commands.h
exit $fail
