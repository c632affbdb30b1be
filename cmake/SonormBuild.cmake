# Compiler settings shared by every target of the project.

# Warnings are errors for both compilers (native g++/clang and MinGW-w64).
function(sonorm_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()

if(SONORM_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# Platform seams: one header, a _win32 and a _posix source, picked here.
if(WIN32)
  set(SONORM_PLATFORM win32)
  # Narrow "A" entry points only; keep windows.h lean.
  add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
else()
  set(SONORM_PLATFORM posix)
endif()

# Adds <dir>/<name>_${SONORM_PLATFORM}.cpp to target.
function(sonorm_seam target dir name)
  target_sources(${target} PRIVATE ${dir}/${name}_${SONORM_PLATFORM}.cpp)
endfunction()

# The identity strings of app/res/Version.h (SONORM_PRODUCT, SONORM_FILEVERSION, SONORM_LEGAL,
# ...), for the help text and the release artefacts: Version.h is the one place they are defined.
file(STRINGS ${CMAKE_SOURCE_DIR}/app/res/Version.h versionlines REGEX "^#define SONORM_[A-Z_]+ \"")
foreach(line IN LISTS versionlines)
  if(line MATCHES "^#define (SONORM_[A-Z_]+) \"(.*)\"$")
    set(${CMAKE_MATCH_1} "${CMAKE_MATCH_2}")
  endif()
endforeach()

# The programs users get: a Release build links them without symbols or debug sections, so the
# executables the tests run are the very ones shipped, at their shipped size.
function(sonorm_shipped target)
  target_link_options(${target} PRIVATE $<$<CONFIG:Release>:-s>)
endfunction()
