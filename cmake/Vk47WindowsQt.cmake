# Qt for the Windows cross build. Debian ships no Qt built for MinGW, so
# scripts/build-qt-windows builds it once from Debian's qt6-base source into a
# cache folder outside the checkout; this file points find_package(Qt6) at
# that folder and at Debian's host tools (moc, rcc, uic). Without it the
# window is left out of the build and everything else is built as before.
#
# Sets VK47_BUILD_GUI to OFF (for this configure only) when no Qt is there.

set(VK47_WINDOWS_QT "" CACHE PATH
  "Qt built for Windows (empty: the folder scripts/build-qt-windows installs into)")

if(VK47_WINDOWS_QT)
  set(vk47_qt_prefix ${VK47_WINDOWS_QT})
  set(vk47_qt_marker ${vk47_qt_prefix}/lib/cmake/Qt6/Qt6Config.cmake)
else()
  execute_process(
    COMMAND bash ${PROJECT_SOURCE_DIR}/scripts/build-qt-windows --print-prefix
    OUTPUT_VARIABLE vk47_qt_prefix
    OUTPUT_STRIP_TRAILING_WHITESPACE
    COMMAND_ERROR_IS_FATAL ANY)
  # Written last by the script, so a build that was cut short is not taken.
  set(vk47_qt_marker ${vk47_qt_prefix}/.vk47-complete)
endif()

if(NOT EXISTS ${vk47_qt_marker})
  message(WARNING
    "vk47.exe (the window) is NOT built: there is no Qt for Windows in ${vk47_qt_prefix}.\n"
    "Run scripts/build-qt-windows once (about 30 minutes on two idle cores) and configure again. "
    "The core, vk47ctl and their tests are built as usual.")
  set(VK47_BUILD_GUI OFF)
  return()
endif()

message(STATUS "vk47.exe: Qt for Windows from ${vk47_qt_prefix}")
set(VK47_WINDOWS_QT_PREFIX ${vk47_qt_prefix})
list(APPEND CMAKE_FIND_ROOT_PATH ${vk47_qt_prefix})
list(PREPEND CMAKE_PREFIX_PATH ${vk47_qt_prefix})
# moc, rcc and uic of the build machine: Debian's Qt of the same version.
set(QT_HOST_PATH /usr)
set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake)
# vk47.exe's icon and version resource (packaging/windows).
enable_language(RC)
