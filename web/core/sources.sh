# The sources of the browser edition's core, relative to the checkout, for
# build.sh (em++) and native.sh (g++, the same core for the comparison
# test): every Qt-free module file the page's rules need (the files that
# reach the system, file_io*, and the serial link are left out) and every
# binding file in web/core/.
vk47_core_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
vk47_core_sources=()
for file in "$vk47_core_root"/model/*.cpp "$vk47_core_root"/sim/*.cpp "$vk47_core_root"/text/*.cpp \
    "$vk47_core_root"/link/protocol.cpp "$vk47_core_root"/link/link_words.cpp "$vk47_core_root"/web/core/*.cpp; do
  case ${file##*/} in
    file_io*.cpp) continue ;;
  esac
  vk47_core_sources+=("${file#"$vk47_core_root"/}")
done
