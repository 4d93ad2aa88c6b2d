# Warnings are set per target, never through global flags.
function(vk47_warnings target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4)
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra)
  endif()
endfunction()

# A static library of one module: every .cpp given, headers found from the repo root.
function(vk47_module target)
  add_library(${target} STATIC ${ARGN})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
  vk47_warnings(${target})
endfunction()
