# skarnvel_check_includes(FILES <files...> ALLOWED <folders or headers...> WHAT <text>)
#   Fails the configuration when one of FILES includes a header of the project's own
#   (engine/, actions/, cli/, ui/, dbaccess/) that is not in ALLOWED: an entry ending in ".h"
#   allows that header, any other entry every header directly in that folder. This is what
#   keeps the floors and rooms apart: an include that runs up a floor never builds.
function(skarnvel_check_includes)
  cmake_parse_arguments(ARG "" "WHAT" "FILES;ALLOWED" ${ARGN})
  foreach(src IN LISTS ARG_FILES)
    file(STRINGS "${src}" lines REGEX "^#include \"(dbaccess|engine|actions|cli|ui)/")
    foreach(line IN LISTS lines)
      string(REGEX REPLACE "^#include \"([^\"]+)\".*" "\\1" header "${line}")
      get_filename_component(folder "${header}" DIRECTORY)
      if(NOT header IN_LIST ARG_ALLOWED AND NOT folder IN_LIST ARG_ALLOWED)
        file(RELATIVE_PATH shown "${CMAKE_SOURCE_DIR}" "${src}")
        message(FATAL_ERROR "${shown} includes ${header}, which ${ARG_WHAT} may not use")
      endif()
    endforeach()
  endforeach()
endfunction()

# skarnvel_system_library(<var> <module>)
#   Finds the pkg-config module <module> and sets <var>, in the caller, to what to link: its
#   static archive (found as SKARNVEL_<MODULE>_ARCHIVE) when the tool links its runtime in and
#   the archive is there, else its imported target; <MODULE>_INCLUDE_DIRS tells its headers.
macro(skarnvel_system_library var module)
  string(TOUPPER "${module}" _prefix)
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(${_prefix} REQUIRED IMPORTED_TARGET ${module})
  set(${var} PkgConfig::${_prefix})
  if(SKARNVEL_STATIC_RUNTIME_ON)
    find_library(SKARNVEL_${_prefix}_ARCHIVE NAMES lib${module}.a HINTS ${${_prefix}_LIBRARY_DIRS})
    if(SKARNVEL_${_prefix}_ARCHIVE)
      set(${var} "${SKARNVEL_${_prefix}_ARCHIVE}")
    endif()
  endif()
endmacro()

# skarnvel_split_sources(<sources>)
#   Sets, in the caller, lib_sources (the *.cc files but tests and fuzz targets), test_sources
#   (the *_test.cc files) and checked (what the include check reads: all but tests, fuzz
#   targets and *_testing.h helpers).
macro(skarnvel_split_sources sources)
  set(lib_sources)
  set(test_sources)
  foreach(src IN ITEMS ${sources})
    if(src MATCHES "_test\\.cc$")
      list(APPEND test_sources "${src}")
    elseif(src MATCHES "\\.cc$" AND NOT src MATCHES "_fuzz\\.cc$")
      list(APPEND lib_sources "${src}")
    endif()
  endforeach()
  set(checked ${sources})
  list(FILTER checked EXCLUDE REGEX "(_test\\.cc|_testing\\.h|_fuzz\\.cc)$")
endmacro()

# skarnvel_room(<name> DIR <dir> [ROOMS <folders...>] [LIBS ...])
#   One room of the engine layer: a static library from the *.cc files directly in <dir>
#   (a subfolder is a room of its own) except *_test.cc and *_fuzz.cc. Its code includes
#   only headers of its own folder and of ROOMS (folders relative to the source root, e.g.
#   dbaccess/base), and links the libraries in LIBS. The room's *_test.cc files are added
#   to SKARNVEL_<FLOOR>_TESTS for the floor's test program.
function(skarnvel_room name)
  cmake_parse_arguments(ARG "" "DIR;FLOOR" "ROOMS;LIBS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS "${ARG_DIR}/*.cc" "${ARG_DIR}/*.h")
  skarnvel_split_sources("${sources}")
  file(RELATIVE_PATH own "${CMAKE_SOURCE_DIR}" "${ARG_DIR}")
  skarnvel_check_includes(FILES ${checked} ALLOWED ${own} ${ARG_ROOMS} WHAT "${own}")
  add_library(${name} STATIC ${lib_sources})
  target_include_directories(${name} PUBLIC "${CMAKE_SOURCE_DIR}")
  target_link_libraries(${name} PUBLIC ${ARG_LIBS})
  set_property(GLOBAL APPEND PROPERTY SKARNVEL_ROOM_TESTS ${test_sources})
endfunction()

# skarnvel_tests(<name> SOURCES <files...> LIBS <libraries...>)
#   One test program from SOURCES, registered with ctest.
function(skarnvel_tests name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  if(NOT ARG_SOURCES)
    return()
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
  target_compile_definitions(${name} PRIVATE
    SKARNVEL_SHARED_DIR="${SKARNVEL_SHARED_DIR}"
    SKARNVEL_TESTDATA="${SKARNVEL_TESTDATA}"
    SKARNVEL_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
    SKARNVEL_MDB_READER_DIR="${SKARNVEL_MDB_READER_DIR}")
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()

# The headers of the engine layer that the floors above may include: the ADO-like and
# DAO-like faces, the values and errors, Jet's name rules and type codes, the test whether a
# text is one expression, what a change would do to the rows, the opening, creating and
# exporting of database files, and the integrity check of .mdb files. Everything else in
# dbaccess/ is private to it.
set(SKARNVEL_DBACCESS_FACE
  dbaccess/ado dbaccess/dao dbaccess/base
  dbaccess/catalog/jet_names.h dbaccess/catalog/data_type.h
  dbaccess/files/database_file.h dbaccess/files/script_export.h dbaccess/sql/one_expression.h
  dbaccess/exec/data_effects.h
  dbaccess/storage/mdb/database_check.h)

# skarnvel_library(name DIR <dir> [USES <folders or headers...>] [LIBS ...] [TEST_LIBS ...])
#   A floor above the engine layer: a static library from every *.cc of <dir> and its
#   subfolders except *_test.cc and *_fuzz.cc, and one test program <name>_tests from the
#   *_test.cc files, registered with ctest. Its code (not its tests) includes only its own
#   headers, USES and the engine layer's face.
function(skarnvel_library name)
  cmake_parse_arguments(ARG "" "DIR" "USES;LIBS;TEST_LIBS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS "${ARG_DIR}/*.cc" "${ARG_DIR}/*.h")
  skarnvel_split_sources("${sources}")
  file(RELATIVE_PATH own "${CMAKE_SOURCE_DIR}" "${ARG_DIR}")
  skarnvel_check_includes(FILES ${checked} ALLOWED ${own} ${ARG_USES} ${SKARNVEL_DBACCESS_FACE}
    WHAT "${own}")
  add_library(${name} STATIC ${lib_sources})
  target_include_directories(${name} PUBLIC "${CMAKE_SOURCE_DIR}")
  target_link_libraries(${name} PUBLIC ${ARG_LIBS})
  skarnvel_tests(${name}_tests SOURCES ${test_sources} LIBS ${name} ${ARG_TEST_LIBS})
endfunction()

# skarnvel_fuzzers(LIB <library> DIR <dir>)
#   One libFuzzer program from each *_fuzz.cc of <dir> and its subfolders, linked with
#   <library>. Only with SKARNVEL_BUILD_FUZZ=ON and clang.
function(skarnvel_fuzzers)
  cmake_parse_arguments(ARG "" "LIB;DIR" "" ${ARGN})
  if(NOT SKARNVEL_BUILD_FUZZ)
    return()
  endif()
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS "${ARG_DIR}/*_fuzz.cc")
  foreach(src IN LISTS sources)
    get_filename_component(name "${src}" NAME_WE)
    add_executable(${name} "${src}")
    target_link_libraries(${name} PRIVATE ${ARG_LIB})
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  endforeach()
endfunction()
