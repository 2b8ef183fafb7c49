# Installs the build into a fresh folder and checks what the desktop needs from it: the
# program, a valid desktop entry that opens story files, the story file type (by name and
# by content) with its icon, and the icons the entry and the type name, in every size; the
# install registers the type and the entry with the desktop's databases under the prefix, while a
# staged install leaves that to the system that unpacks it.
# Neither install may write outside its own folder, and this check writes only beside PREFIX: the
# installs find stand-ins for the desktop's registering tools first on their PATH, which note each
# call and run the real tool only on folders inside the unstaged install's prefix, and a home of their
# own; the machine's own folders that an install would reach are read (never written) to prove it.
# cmake -DBUILD_DIR=<build> -DPREFIX=<empty folder> -DSIZES="16;32;..." -P CheckInstall.cmake
cmake_minimum_required(VERSION 3.25)
function(fail message)
  message(FATAL_ERROR "${message}")
endfunction()

set(work "${PREFIX}-check")
set(calls "${work}/calls")
file(REMOVE_RECURSE "${work}")
file(MAKE_DIRECTORY "${work}/tools" "${work}/home")

# Tools that write into the folders they are given, and tools that write where they choose (the
# user's or the system's folders), which no install of ours may run.
set(folderTools update-mime-database update-desktop-database gtk-update-icon-cache gtk4-update-icon-cache
  update-icon-caches)
set(desktopTools xdg-mime xdg-desktop-menu xdg-icon-resource xdg-desktop-icon)
foreach(tool ${folderTools} ${desktopTools})
  set(real "")
  if(tool IN_LIST folderTools)
    find_program(real_${tool} ${tool})
    if(real_${tool})
      set(real "${real_${tool}}")
    endif()
  endif()
  file(CONFIGURE OUTPUT "${work}/tools/${tool}" @ONLY CONTENT [==[#!/bin/sh
# Notes the call; runs the real tool only when every folder it is given lies inside
# $VANTORA_CHECK_INSIDE (unset: never).
verdict=refused
if [ -n '@real@' ] && [ -n "$VANTORA_CHECK_INSIDE" ]; then
  for a in "$@"; do
    case "$a" in -*) continue ;; esac
    case "$(realpath -m -- "$a")/" in
      "$VANTORA_CHECK_INSIDE"/*) verdict=ran ;;
      *) verdict=refused; break ;;
    esac
  done
fi
{ printf '%s\t%s' "$verdict" '@tool@'; printf ' %s' "$@"; printf '\n'; } >> '@calls@'
[ "$verdict" = ran ] && exec '@real@' "$@"
exit 0
]==])
  file(CHMOD "${work}/tools/${tool}" PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE)
endforeach()

# Where on this machine an install's files and the desktop's caches would go if an install reached
# out of its folder: each folder the staged install lays out under its prefix, under the system's
# prefixes and the user's own. Set once the staged tree shows them.
set(watched "")

# Runs `cmake --install` with the given settings (ARGN), the stand-ins first on its PATH, a home of
# its own, and the stand-ins running real tools only inside `inside` (empty: nowhere). Sets `ran` to
# the calls the stand-ins noted.
function(install_alone what inside)
  file(REMOVE "${calls}")
  file(TOUCH "${work}/before")
  execute_process(COMMAND "${CMAKE_COMMAND}" -E env --unset=DESTDIR --unset=CMAKE_PREFIX_PATH
    --unset=CMAKE_PROGRAM_PATH --unset=XDG_DATA_DIRS "PATH=${work}/tools:$ENV{PATH}" "HOME=${work}/home"
    "XDG_DATA_HOME=${work}/home/.local/share" "VANTORA_CHECK_INSIDE=${inside}" ${ARGN}
    RESULT_VARIABLE result OUTPUT_QUIET ERROR_VARIABLE errors)
  if(NOT result EQUAL 0)
    fail("${what} failed: ${errors}")
  endif()
  set(noted "")
  if(EXISTS "${calls}")
    file(STRINGS "${calls}" noted)
  endif()
  set(ran "${noted}" PARENT_SCOPE)
  file(GLOB_RECURSE intoHome LIST_DIRECTORIES true "${work}/home/*")
  if(intoHome)
    string(REPLACE ";" "\n" intoHome "${intoHome}")
    fail("${what} wrote into the user's folders:\n${intoHome}")
  endif()
endfunction()

# Fails if anything watched changed since the last install began: its status time, which copying a
# file's own modification time along cannot hide. A place that is not there is read at its folder,
# which changes when something is made in it.
find_program(FIND find REQUIRED)
function(nothing_written_outside what)
  set(present "")
  set(parents "")
  foreach(place ${watched})
    get_filename_component(parent "${place}" DIRECTORY)
    if(EXISTS "${place}")
      list(APPEND present "${place}")
    elseif(EXISTS "${parent}")
      list(APPEND parents "${parent}")
    endif()
  endforeach()
  set(changed "")
  if(present)
    execute_process(COMMAND "${FIND}" ${present} -cnewer "${work}/before" -print OUTPUT_VARIABLE found ERROR_QUIET)
    string(APPEND changed "${found}")
  endif()
  if(parents)
    list(REMOVE_DUPLICATES parents)
    execute_process(COMMAND "${FIND}" ${parents} -maxdepth 0 -cnewer "${work}/before" -print
      OUTPUT_VARIABLE found ERROR_QUIET)
    string(APPEND changed "${found}")
  endif()
  if(NOT changed STREQUAL "")
    fail("${what} wrote outside its folder:\n${changed}")
  endif()
endfunction()

# A staged install (DESTDIR), as CPack makes for the package: the files, and none of the
# databases' caches; it runs no registering tool at all, on its tree or on the system's.
set(staged "${PREFIX}-staged")
file(REMOVE_RECURSE "${staged}")
install_alone("the staged install" "" "DESTDIR=${staged}" "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix /usr)
if(ran)
  string(REPLACE ";" "\n" ran "${ran}")
  fail("a staged install must leave registering to the system that unpacks it, but it called:\n${ran}")
endif()
if(NOT EXISTS "${staged}/usr/share/mime/packages/vantora.xml"
   OR NOT EXISTS "${staged}/usr/share/applications/vantora.desktop")
  fail("the staged install lacks the story type or the entry")
endif()
file(GLOB caches "${staged}/usr/share/mime/*.cache" "${staged}/usr/share/mime/globs*"
  "${staged}/usr/share/applications/*.cache")
if(caches)
  fail("a staged install must leave the databases to the system that unpacks it: ${caches}")
endif()
file(GLOB laidOut LIST_DIRECTORIES true RELATIVE "${staged}/usr" "${staged}/usr/*/*")
foreach(root /usr /usr/local "$ENV{HOME}/.local")
  foreach(entry ${laidOut})
    list(APPEND watched "${root}/${entry}")
  endforeach()
endforeach()
nothing_written_outside("the staged install")
file(REMOVE_RECURSE "${staged}")

file(REMOVE_RECURSE "${PREFIX}")
file(MAKE_DIRECTORY "${PREFIX}")
file(REAL_PATH "${PREFIX}" inside)
install_alone("cmake --install" "${inside}" "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}")
nothing_written_outside("cmake --install")
foreach(call ${ran})
  if(call MATCHES "^refused")
    fail("the install ran a registering tool outside its prefix: ${call}")
  endif()
endforeach()

if(NOT EXISTS "${PREFIX}/bin/Vantora" OR IS_DIRECTORY "${PREFIX}/bin/Vantora")
  fail("the program is not installed as bin/Vantora")
endif()

# The desktop entry: valid, starting the program with the files, for the story type.
file(GLOB entries "${PREFIX}/share/applications/*.desktop")
list(LENGTH entries count)
if(NOT count EQUAL 1)
  fail("expected one desktop entry, found: ${entries}")
endif()
find_program(VALIDATE desktop-file-validate REQUIRED)
execute_process(COMMAND "${VALIDATE}" ${entries} RESULT_VARIABLE result OUTPUT_VARIABLE said ERROR_VARIABLE said)
if(NOT result EQUAL 0 OR NOT said STREQUAL "")
  fail("desktop-file-validate: ${said}")
endif()
file(STRINGS ${entries} exec REGEX "^Exec=")
file(STRINGS ${entries} icon REGEX "^Icon=")
file(STRINGS ${entries} types REGEX "^MimeType=")
file(STRINGS ${entries} categories REGEX "^Categories=")
if(NOT exec MATCHES "^Exec=Vantora %F$")
  fail("the entry must start bin/Vantora with the chosen files: ${exec}")
endif()
# (file(STRINGS) hands semicolons back escaped.)
if(NOT categories MATCHES "^Categories=Office\\\\;$")
  fail("the entry belongs in Office: ${categories}")
endif()

# The story type: its definition is accepted by the MIME database and matches the entry.
file(GLOB packages "${PREFIX}/share/mime/packages/*.xml")
list(LENGTH packages count)
if(NOT count EQUAL 1)
  fail("expected one MIME package, found: ${packages}")
endif()
file(READ ${packages} definition)
string(REGEX MATCH "mime-type type=\"([^\"]+)\"" found "${definition}")
set(type "${CMAKE_MATCH_1}")
if(NOT types MATCHES "^MimeType=${type}\\\\;$")
  fail("the entry opens '${types}', the package defines '${type}'")
endif()
# The install registered it: the database it built holds the type, and the entry is listed as a
# program that opens it.
if(NOT EXISTS "${PREFIX}/share/mime/mime.cache" OR NOT EXISTS "${PREFIX}/share/mime/${type}.xml")
  fail("the install did not register the story type (update-mime-database ${PREFIX}/share/mime)")
endif()
if(NOT EXISTS "${PREFIX}/share/applications/mimeinfo.cache")
  fail("the install did not list the entry (update-desktop-database ${PREFIX}/share/applications)")
endif()
file(STRINGS "${PREFIX}/share/applications/mimeinfo.cache" openers REGEX "^${type}=")
get_filename_component(entryName ${entries} NAME)
if(NOT openers STREQUAL "${type}=${entryName}\\;")
  fail("the entry is not listed as opening the story type: '${openers}'")
endif()
file(READ "${PREFIX}/share/mime/globs2" globs)
if(NOT globs MATCHES "${type}:\\*\\.vtrsf")
  fail("the story type is not known by the name *.vtrsf")
endif()
file(READ "${PREFIX}/share/mime/magic" magic HEX)
string(HEX "SQLite format 3" signature)
if(NOT magic MATCHES "${signature}")
  fail("the story type is not known by the SQLite signature")
endif()
string(REPLACE "/" "-" typeIcon "${type}")
if(NOT definition MATCHES "<icon name=\"${typeIcon}\"/>")
  fail("the story type does not name its icon ${typeIcon}")
endif()

# Icons in every size: the program's under the entry's name, the story's under the type's.
string(REGEX REPLACE "^Icon=" "" programIcon "${icon}")
foreach(size ${SIZES})
  foreach(file "apps/${programIcon}.png" "mimetypes/${typeIcon}.png")
    if(NOT EXISTS "${PREFIX}/share/icons/hicolor/${size}x${size}/${file}")
      fail("missing icon ${size}x${size}/${file}")
    endif()
  endforeach()
endforeach()
