# Sanitizers for every vk47 target: "" (none), "address;undefined" or "thread".
set(VK47_SANITIZE "" CACHE STRING "Sanitizers for all targets: empty, address;undefined, or thread")

# Warnings (and sanitizers) are set per target, never through global flags.
function(vk47_warnings target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4)
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

# A static library of one module: every .cpp given, headers found from the repo root.
function(vk47_module target)
  add_library(${target} STATIC ${ARGN})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
  vk47_warnings(${target})
endfunction()
