# Sanitizers for every vk47 target: "" (none), "address;undefined" or "thread".
set(VK47_SANITIZE "" CACHE STRING "Sanitizers for all targets: empty, address;undefined, or thread")

# Warnings (and sanitizers) are set per target, never through global flags.
function(vk47_warnings target)
  if(MSVC)
    # /utf-8: the sources' Japanese texts are UTF-8, whatever the code page.
    target_compile_options(${target} PRIVATE /W4 /utf-8)
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra)
  endif()
  if(VK47_SANITIZE AND NOT MSVC)
    list(JOIN VK47_SANITIZE "," sanitizers)
    target_compile_options(${target} PRIVATE -fsanitize=${sanitizers} -fno-omit-frame-pointer)
    target_link_options(${target} PUBLIC -fsanitize=${sanitizers})
    if("undefined" IN_LIST VK47_SANITIZE)
      # A finding must fail the test, not scroll past in its output.
      target_compile_options(${target} PRIVATE -fno-sanitize-recover=all)
    endif()
  endif()
  if(VK47_FUZZ)
    # Coverage feedback for libFuzzer in every library the targets reach.
    target_compile_options(${target} PRIVATE -fsanitize=fuzzer-no-link,address,undefined
                                             -fno-sanitize-recover=all -fno-omit-frame-pointer)
    target_link_options(${target} PUBLIC -fsanitize=address,undefined)
  endif()
endfunction()

# The include root of one top-level folder: a folder in the build tree that
# holds nothing but a link named after the module to its sources. Headers are
# included as "serial/rs232c.h"; with this root a module reaches its own
# headers and those of the modules it links, and an include of any other
# module (an upward one, say "ui/" from "link/") does not compile.
function(vk47_layer_root module out)
  set(root ${CMAKE_BINARY_DIR}/layers/${module})
  if(NOT EXISTS ${root}/${module})
    file(MAKE_DIRECTORY ${root})
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${module} ${root}/${module} SYMBOLIC)
  endif()
  set(${out} ${root} PARENT_SCOPE)
endfunction()

# The top-level folder that the calling CMakeLists.txt belongs to.
function(vk47_current_module out)
  file(RELATIVE_PATH relative ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  string(REGEX REPLACE "/.*" "" module "${relative}")
  set(${out} ${module} PARENT_SCOPE)
endfunction()

# A static library of one module: every .cpp given; it exposes only its own
# folder's headers (see vk47_layer_root).
function(vk47_module target)
  add_library(${target} STATIC ${ARGN})
  vk47_current_module(module)
  vk47_layer_root(${module} root)
  target_include_directories(${target} PUBLIC ${root})
  vk47_warnings(${target})
endfunction()

# An executable that includes headers of its own folder (tools, app).
function(vk47_own_headers target)
  vk47_current_module(module)
  vk47_layer_root(${module} root)
  target_include_directories(${target} PRIVATE ${root})
endfunction()
