# Run by the install, after the files are in place: registers the story type and the desktop entry with
# the desktop's databases under the install prefix, as Debian's triggers do when the package is
# unpacked. update-mime-database (shared-mime-info) makes the story type a known file type and
# update-desktop-database (desktop-file-utils) lists the entry as the program that opens it; a tool
# that is missing is named, and the install goes on. A staged install (DESTDIR), as CPack makes for
# the package, registers nothing: the system that unpacks it does, and a package holding the
# databases' caches would clash with the system's.
#
# Expects VANTORA_DATADIR, the data folder as the build configured it (relative to the prefix, or absolute).

if(NOT "$ENV{DESTDIR}" STREQUAL "")
  return()
endif()

if(IS_ABSOLUTE "${VANTORA_DATADIR}")
  set(_vantora_share "${VANTORA_DATADIR}")
else()
  set(_vantora_share "${CMAKE_INSTALL_PREFIX}/${VANTORA_DATADIR}")
endif()

foreach(_vantora_step "update-mime-database;mime;shared-mime-info;to know story files by their type"
                      "update-desktop-database;applications;desktop-file-utils;to offer the program for story files")
  list(GET _vantora_step 0 _vantora_tool)
  list(GET _vantora_step 1 _vantora_folder)
  list(GET _vantora_step 2 _vantora_package)
  list(GET _vantora_step 3 _vantora_purpose)
  find_program(_vantora_found_${_vantora_folder} ${_vantora_tool})
  if(NOT _vantora_found_${_vantora_folder})
    message(WARNING "${_vantora_tool} (from ${_vantora_package}) was not found: run it on "
                    "${_vantora_share}/${_vantora_folder} once it is installed, for the desktop ${_vantora_purpose}.")
    continue()
  endif()
  message(STATUS "Registering: ${_vantora_tool} ${_vantora_share}/${_vantora_folder}")
  execute_process(COMMAND "${_vantora_found_${_vantora_folder}}" "${_vantora_share}/${_vantora_folder}"
    RESULT_VARIABLE _vantora_result ERROR_VARIABLE _vantora_said)
  if(NOT _vantora_result EQUAL 0)
    message(WARNING "${_vantora_tool} ${_vantora_share}/${_vantora_folder} failed: ${_vantora_said}")
  endif()
endforeach()
