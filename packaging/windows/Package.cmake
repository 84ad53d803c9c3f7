# The Windows build's programs and package. The zip (cpack, in build-windows/)
# unpacks into one folder that runs from wherever it is put: both programs,
# the Qt and MinGW DLLs they load, Qt's plugins in the subfolders Qt looks for
# beside the program, the product list, the help pages and README.

# Version information and the icon in both programs; the window program is a
# GUI program, so no console opens beside it, while varnscope-cli stays a
# console program.
# varnscope.ico is packaging/varnscope.svg drawn at 16 to 256 pixels.
set(VARNSCOPE_RC_ICON ${CMAKE_CURRENT_LIST_DIR}/varnscope.ico)
foreach(program varnscope varnscope-cli)
  if(NOT TARGET ${program})
    continue()
  endif()
  set(VARNSCOPE_RC_NAME ${program})
  set(VARNSCOPE_RC_FILE ${program}.exe)
  if(program STREQUAL "varnscope")
    set(VARNSCOPE_RC_DESCRIPTION "varnscope: LocoNet monitor and Quorvel board configuration")
  else()
    set(VARNSCOPE_RC_DESCRIPTION "varnscope command line")
  endif()
  configure_file(${CMAKE_CURRENT_LIST_DIR}/program.rc.in ${CMAKE_CURRENT_BINARY_DIR}/${program}.rc @ONLY)
  target_sources(${program} PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/${program}.rc)
  install(TARGETS ${program} RUNTIME DESTINATION .)
endforeach()
if(TARGET varnscope)
  set_target_properties(varnscope PROPERTIES WIN32_EXECUTABLE ON)
endif()

set(qt_modules Core Network SerialPort)
set(qt_plugins)
if(VARNSCOPE_BUILD_GUI)
  list(APPEND qt_modules Gui Widgets PrintSupport)
  # platforms/: qwindows for the screen, qoffscreen for running without one
  # (the screenshot tour, tests); styles/: the native look; imageformats/:
  # the icons and pictures Qt Gui reads beyond PNG.
  list(APPEND qt_plugins QWindowsIntegrationPlugin QOffscreenIntegrationPlugin QWindowsVistaStylePlugin
    QGifPlugin QICOPlugin)
endif()
foreach(module IN LISTS qt_modules)
  install(FILES $<TARGET_FILE:Qt6::${module}> DESTINATION .)
endforeach()
foreach(plugin IN LISTS qt_plugins)
  get_target_property(type Qt6::${plugin} QT_PLUGIN_TYPE)
  install(FILES $<TARGET_FILE:Qt6::${plugin}> DESTINATION ${type})
endforeach()

# MinGW's runtime, which the programs and the Qt DLLs load.
install(FILES ${VARNSCOPE_MINGW_RUNTIME_DLLS} DESTINATION .)

# Both programs look for the product list beside themselves (platform/Datafiles.cpp).
install(FILES ${CMAKE_SOURCE_DIR}/programming/progdevicelist.csv DESTINATION .)
# The help pages are built into the window program; a copy for reading without it.
file(GLOB help_pages ${CMAKE_SOURCE_DIR}/app/*/help/*.html)
if(VARNSCOPE_BUILD_GUI AND NOT help_pages)
  message(FATAL_ERROR "no help pages found for the Windows package")
endif()
install(FILES ${help_pages} DESTINATION help)
file(GLOB help_pictures ${CMAKE_SOURCE_DIR}/app/*/help/pictures/*.png)
install(FILES ${help_pictures} DESTINATION help/pictures)
install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION .)

# Stripping (cpack, cmake --install --strip) covers the programs; the DLLs,
# which carry their debugging sections too, are stripped here alike.
install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    file(GLOB_RECURSE dlls \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/*.dll\")
    foreach(dll IN LISTS dlls)
      execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-unneeded \"\${dll}\" COMMAND_ERROR_IS_FATAL ANY)
    endforeach()
  endif()")

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME varnscope)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "tavelin works")
set(CPACK_PACKAGE_FILE_NAME "varnscope-${PROJECT_VERSION}-win64")
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
