# Test helpers: GoogleTest built from the Debian sources with the project's compiler
# (native or MinGW), and the Wine session that every Windows test runs in.

set(SONORM_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${SONORM_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# Windows tests run under Wine on both builds: wine64 for x86_64, 32-bit Wine (its own win32
# prefix) for the shipped i686 build.
if(CMAKE_CROSSCOMPILING AND WIN32 AND CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|i686)$")
  set(SONORM_WINE ON)
else()
  set(SONORM_WINE OFF)
endif()

if(SONORM_WINE)
  # State of the Wine session lives in the build tree: prefix, display number, logs.
  set(SONORM_WINE_STATE ${CMAKE_BINARY_DIR}/wine)
  # The scripts (tools/wine-env) pick the prefix's architecture and Wine loader from this file.
  if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
    file(WRITE ${SONORM_WINE_STATE}/arch "win32\n")
  else()
    file(WRITE ${SONORM_WINE_STATE}/arch "win64\n")
  endif()
  set(SONORM_WINE_RUN ${CMAKE_SOURCE_DIR}/tools/wine-run ${SONORM_WINE_STATE})
  set(CMAKE_CROSSCOMPILING_EMULATOR ${SONORM_WINE_RUN})
  add_test(NAME wine.session.start
           COMMAND ${CMAKE_SOURCE_DIR}/tools/wine-session start ${SONORM_WINE_STATE})
  add_test(NAME wine.session.stop
           COMMAND ${CMAKE_SOURCE_DIR}/tools/wine-session stop ${SONORM_WINE_STATE})
  set_tests_properties(wine.session.start PROPERTIES FIXTURES_SETUP wine TIMEOUT 300)
  set_tests_properties(wine.session.stop PROPERTIES FIXTURES_CLEANUP wine)
endif()

# sonorm_add_gtest(<target> SOURCES ... LIBS ... [GUI])
# Native: one ctest entry per test case. Windows: the whole executable runs once under Wine
# inside the session fixture; GUI tests share the display and so run one at a time.
function(sonorm_add_gtest target)
  cmake_parse_arguments(T "GUI" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${target} ${T_SOURCES})
  target_link_libraries(${target} PRIVATE ${T_LIBS} gtest gmock gtest_main)
  sonorm_warnings(${target})
  if(NOT CMAKE_CROSSCOMPILING)
    include(GoogleTest)
    gtest_discover_tests(${target} DISCOVERY_TIMEOUT 60
      PROPERTIES ENVIRONMENT "SONORM_SOURCE_DIR=${CMAKE_SOURCE_DIR};SONORM_BINARY_DIR=${CMAKE_BINARY_DIR}")
  elseif(SONORM_WINE)
    add_test(NAME ${target} COMMAND ${target})
    set_tests_properties(${target} PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 600
      ENVIRONMENT "SONORM_SOURCE_DIR=${CMAKE_SOURCE_DIR};SONORM_BINARY_DIR=${CMAKE_BINARY_DIR}")
    if(T_GUI)
      set_tests_properties(${target} PROPERTIES RESOURCE_LOCK display)
    endif()
  endif()
endfunction()

# sonorm_add_wine_test(<name> COMMAND ... [GUI]): a script test that needs the Wine session.
function(sonorm_add_wine_test name)
  cmake_parse_arguments(T "GUI" "" "COMMAND" ${ARGN})
  if(NOT SONORM_WINE)
    return()
  endif()
  add_test(NAME ${name} COMMAND ${T_COMMAND})
  set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 900
    ENVIRONMENT "SONORM_WINE_STATE=${SONORM_WINE_STATE};SONORM_SOURCE_DIR=${CMAKE_SOURCE_DIR};SONORM_BINARY_DIR=${CMAKE_BINARY_DIR}")
  if(T_GUI)
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK display)
  endif()
endfunction()
