# Batched compiles ("unity builds"): a target's sources are compiled a few at a time, each batch as
# one translation unit, so the Qt, standard and test headers are parsed and their inline code
# generated once per batch instead of once per file. Batches never mix targets.
#
# Files of one batch share a scope, so a file is kept out of the batches (and compiled on its own)
# when joining any could change what another file means:
#   - it brings names into the scope of the files after it (a `using namespace` at file level) or
#     defines macros (`#define`, `#undef`);
#   - it includes GLib's headers (libsecret's among them), which name members `signals` and so must
#     come before any Qt header, which only a file of its own guarantees;
# and no two files of one batch declare the same name at file level (unindented, in an anonymous
# namespace, static or not): such declarations would either clash (a compile error) or, worse,
# overload each other quietly. A file that shares a name with every open batch starts a new one.
# The check reads the sources when CMake runs; it runs again whenever a source file of the target
# changes, so new code is sorted before it is compiled. -DVANTORA_UNITY=OFF compiles every file on
# its own.

option(VANTORA_UNITY "Compile each library's and suite's sources in batches" ON)
set(VANTORA_UNITY_BATCH_SIZE 8 CACHE STRING "Source files per batch of a batched compile")

# Words that end a file-level line before a bracket without naming anything of the file's own.
set(_vantora_unity_not_names
  namespace main operator typename class struct enum union template const constexpr static inline extern
  if for while switch return sizeof decltype noexcept default delete override final else case static_assert)

# The names a source file declares at file level, in NAMES_VAR; sets LEAKS_VAR when the file
# changes the scope of the files after it.
function(_vantora_unity_scan file names_var leaks_var)
  file(READ "${file}" _text)
  set(_leaks FALSE)
  if(_text MATCHES "(^|\n)[ \t]*(using[ \t]+namespace[ \t]|#[ \t]*(define|undef)[ \t])"
     OR _text MATCHES "#[ \t]*include[ \t]*<(glib|gio|gobject|libsecret|gtk)")
    set(_leaks TRUE)
  endif()
  # CMake lists split on ';' and treat square brackets specially: neither matters here.
  string(REPLACE ";" "`" _text "${_text}")
  string(REPLACE "[" "(" _text "${_text}")
  string(REPLACE "]" ")" _text "${_text}")
  string(REPLACE "\\" "" _text "${_text}")
  # Each unindented line up to its first bracket, '=', '{' or ';'.
  string(REGEX MATCHALL "\n[A-Za-z_][^\n`{=(]*[(={`]" _lines "${_text}")
  set(_names "")
  foreach(_line IN LISTS _lines)
    # Forward declarations and named namespaces declare nothing of the file's own.
    if(_line MATCHES "^\n(namespace|class|struct|enum|union)[ \t]+[A-Za-z0-9_:]+[ \t]*`$"
       OR _line MATCHES "^\nnamespace[ \t]")
      continue()
    endif()
    if(NOT _line MATCHES "([^A-Za-z0-9_])([A-Za-z_][A-Za-z0-9_]*)[ \t]*[(={`]$")
      continue()
    endif()
    set(_before "${CMAKE_MATCH_1}")
    set(_name "${CMAKE_MATCH_2}")
    # Members defined out of their class, destructors and macros (all capitals, like TEST_F).
    if(_before STREQUAL ":" OR _before STREQUAL "~" OR _before STREQUAL "."
       OR _name MATCHES "^[A-Z0-9_]+$" OR _name IN_LIST _vantora_unity_not_names)
      continue()
    endif()
    list(APPEND _names "${_name}")
  endforeach()
  # Types whose brace opens on the next line; forward declarations ("class X;") are left out.
  string(REGEX MATCHALL "\n(class|struct|union|enum)[ \t]+((class|struct)[ \t]+)?[A-Za-z_][A-Za-z0-9_]*[^\n]*"
    _types "${_text}")
  foreach(_type IN LISTS _types)
    if(_type MATCHES "^\n(class|struct|union|enum)[ \t]+((class|struct)[ \t]+)?[A-Za-z_][A-Za-z0-9_]*[ \t]*`")
      continue()
    endif()
    if(_type MATCHES "^\n(class|struct|union|enum)[ \t]+((class|struct)[ \t]+)?([A-Za-z_][A-Za-z0-9_]*)")
      list(APPEND _names "${CMAKE_MATCH_4}")
    endif()
  endforeach()
  list(REMOVE_DUPLICATES _names)
  set(${names_var} "${_names}" PARENT_SCOPE)
  set(${leaks_var} ${_leaks} PARENT_SCOPE)
endfunction()

# Compiles TARGET's own .cpp files in batches, keeping out those that could not share one. It looks
# at the target once the folder that defines it is read to its end, so sources added later in that
# folder are sorted too.
function(vantora_unity_build target)
  cmake_language(EVAL CODE "cmake_language(DEFER CALL _vantora_unity_sort [[${target}]])")
endfunction()

function(_vantora_unity_sort target)
  if(NOT VANTORA_UNITY)
    return()
  endif()
  get_target_property(_sources ${target} SOURCES)
  get_target_property(_source_dir ${target} SOURCE_DIR)
  # Each batch is a group of at most VANTORA_UNITY_BATCH_SIZE files with the names they declare;
  # a file joins the first batch where none of its names is taken yet, or starts a new one.
  set(_groups 0)
  set(_batched 0)
  set(_alone_count 0)
  foreach(_source IN LISTS _sources)
    if(NOT _source MATCHES "\\.cpp$" OR _source MATCHES "^\\$<")
      continue()
    endif()
    cmake_path(ABSOLUTE_PATH _source BASE_DIRECTORY "${_source_dir}" OUTPUT_VARIABLE _path)
    get_source_file_property(_generated "${_path}" GENERATED)
    if(_generated OR NOT EXISTS "${_path}")
      continue()
    endif()
    set_property(DIRECTORY "${_source_dir}" APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${_path}")
    _vantora_unity_scan("${_path}" _names _leaks)
    set(_chosen "")
    if(NOT _leaks)
      set(_group 0)
      while(_group LESS _groups AND _chosen STREQUAL "")
        if(_group_size_${_group} LESS VANTORA_UNITY_BATCH_SIZE)
          set(_free TRUE)
          foreach(_name IN LISTS _names)
            if(_name IN_LIST _group_names_${_group})
              set(_free FALSE)
              break()
            endif()
          endforeach()
          if(_free)
            set(_chosen ${_group})
          endif()
        endif()
        math(EXPR _group "${_group} + 1")
      endwhile()
      if(_chosen STREQUAL "")
        set(_chosen ${_groups})
        set(_group_size_${_chosen} 0)
        set(_group_names_${_chosen} "")
        math(EXPR _groups "${_groups} + 1")
      endif()
    endif()
    if(_chosen STREQUAL "")
      set_source_files_properties("${_path}" DIRECTORY "${_source_dir}" PROPERTIES SKIP_UNITY_BUILD_INCLUSION ON)
      math(EXPR _alone_count "${_alone_count} + 1")
    else()
      set_source_files_properties("${_path}" DIRECTORY "${_source_dir}" PROPERTIES UNITY_GROUP "batch_${_chosen}")
      list(APPEND _group_names_${_chosen} ${_names})
      math(EXPR _group_size_${_chosen} "${_group_size_${_chosen}} + 1")
      math(EXPR _batched "${_batched} + 1")
    endif()
  endforeach()
  set_target_properties(${target} PROPERTIES UNITY_BUILD ON UNITY_BUILD_MODE GROUP)
  # gcc warns when a type of an anonymous namespace is the base of one that is not (gtest's fixtures
  # in test files) unless both lie in the file being compiled; in a batch they lie in files it
  # includes.
  target_compile_options(${target} PRIVATE $<$<CXX_COMPILER_ID:GNU>:-Wno-subobject-linkage>)
  if(VANTORA_UNITY_VERBOSE)
    message(STATUS "${target}: ${_batched} files in ${_groups} batches, ${_alone_count} on their own")
  endif()
endfunction()
