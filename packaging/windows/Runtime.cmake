# MinGW's runtime DLLs, which the programs, the tests and the Qt DLLs load:
# VARNSCOPE_MINGW_RUNTIME_DLLS, their paths, and VARNSCOPE_WINEPATH, the
# folders that hold them and Qt's DLLs, for running the build's own programs
# under wine.
set(VARNSCOPE_MINGW_RUNTIME_DLLS)
set(VARNSCOPE_WINEPATH)
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
    OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT IS_ABSOLUTE "${path}" OR NOT EXISTS "${path}")
    message(FATAL_ERROR "MinGW's ${dll} was not found (is g++-mingw-w64-x86-64-posix installed?)")
  endif()
  get_filename_component(path "${path}" REALPATH)
  list(APPEND VARNSCOPE_MINGW_RUNTIME_DLLS "${path}")
  get_filename_component(folder "${path}" DIRECTORY)
  list(APPEND VARNSCOPE_WINEPATH "Z:${folder}")
endforeach()
get_target_property(qt_core_dll Qt6::Core IMPORTED_LOCATION_RELEASE)
if(NOT qt_core_dll)
  get_target_property(qt_core_dll Qt6::Core IMPORTED_LOCATION)
endif()
get_filename_component(folder "${qt_core_dll}" DIRECTORY)
list(APPEND VARNSCOPE_WINEPATH "Z:${folder}")
list(REMOVE_DUPLICATES VARNSCOPE_WINEPATH)
