# Installs the build into a fresh folder and checks what the desktop needs from it: the
# program, a valid desktop entry that opens story files, the story file type (by name and
# by content) with its icon, and the icons the entry and the type name, in every size; the
# install registers the type and the entry with the desktop's databases under the prefix, while a
# staged install leaves that to the system that unpacks it.
# cmake -DBUILD_DIR=<build> -DPREFIX=<empty folder> -DSIZES="16;32;..." -P CheckInstall.cmake
function(fail message)
  message(FATAL_ERROR "${message}")
endfunction()

# A staged install (DESTDIR), as CPack makes for the package: the files, and none of the
# databases' caches.
set(staged "${PREFIX}-staged")
file(REMOVE_RECURSE "${staged}")
execute_process(COMMAND "${CMAKE_COMMAND}" -E env "DESTDIR=${staged}" "${CMAKE_COMMAND}" --install "${BUILD_DIR}"
  --prefix /usr RESULT_VARIABLE result OUTPUT_QUIET ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
  fail("the staged install failed: ${errors}")
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
file(REMOVE_RECURSE "${staged}")

file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" -E env --unset=DESTDIR
  "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
  RESULT_VARIABLE result OUTPUT_QUIET ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
  fail("cmake --install failed: ${errors}")
endif()

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
