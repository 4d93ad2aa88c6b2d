#!/usr/bin/env bash
# The build's layers: from every module, with the include roots its target
# sees, the headers of the modules it may use compile, and the header of
# every other module is not found. An upward or sideways include would let a
# Qt-free module grow a Qt dependency, or a tool reach into the window,
# unnoticed. A probe counts as refused only when the compiler says the header
# is missing, so a header that breaks for another reason is not taken for a
# layer that holds.
# usage: layers_test.sh CXX MODULE=INCLUDE_DIR;INCLUDE_DIR... ...
set -u
cxx=$1
shift

# One header of each module, included as that module's users include it.
declare -A probe=(
  [model]=model/step_program.h
  [sim]=sim/simulator.h
  [serial]=serial/rs232c.h
  [settings]=settings/profile.h
  [link]=link/robot_link.h
  [ui]=ui/Unit1.h
  [tools]=tools/vk47ctl/commands.h
)
# The modules each one may include besides itself: the arrows of the layers.
# vk47ctl and vk47-robot share the tools/ root.
declare -A allowed=(
  [model]=""
  [sim]="model"
  [serial]=""
  [settings]="serial model"
  [link]="serial model"
  [ui]="link sim settings serial model"
  [vk47ctl]="tools link settings serial model"
  [vk47-robot]="tools link settings sim serial model"
)

fail=0
probes=0
for arg in "$@"; do
  module=${arg%%=*}
  IFS=';' read -r -a dirs <<<"${arg#*=}"
  flags=(-std=c++20 -E -fPIC -x c++ -o /dev/null)
  for d in "${dirs[@]}"; do [[ -n $d ]] && flags+=(-I "$d"); done
  [[ -v allowed[$module] ]] || { echo "FAIL: no layer rule for $module"; fail=1; continue; }
  for target in "${!probe[@]}"; do
    header=${probe[$target]}
    want=refused
    [[ $target == "$module" || " ${allowed[$module]} " == *" $target "* ]] && want=ok
    if out=$(printf '#include "%s"\n' "$header" | "$cxx" "${flags[@]}" - 2>&1); then
      got=ok
    elif grep -qF -e "$header: No such file" -e "'$header' file not found" <<<"$out"; then
      got=refused
    else
      got=broken
    fi
    probes=$((probes + 1))
    [[ $got == "$want" ]] || { echo "FAIL: $module includes $header: $got, expected $want"; head -3 <<<"$out"; fail=1; }
  done
done
(( probes > 0 )) || { echo "FAIL: no module probed"; fail=1; }
echo "$probes probes over $# modules"
exit $fail
