# Build helpers shared by every folder.
#
# Source layout rule: in common/, bytewise/ and unfurl/, *.cpp directly in the folder is
# portable (no <windows.h>) and built on every side; win32/*.cpp is built only for Windows;
# posix/*.cpp only for the host.

if(WIN32)
  # win32 (i686) or win64 (x86_64): the same sources for both widths.
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(Q_SIDE win64)
  else()
    set(Q_SIDE win32)
  endif()
  # Small, self-contained executables.
  add_compile_options(-ffunction-sections -fdata-sections)
  # Window data and handles are pointer-sized: a cast that would cut one is an error.
  add_compile_options(-Werror=int-to-pointer-cast $<$<COMPILE_LANGUAGE:C>:-Werror=pointer-to-int-cast>)
  add_link_options(-static -Wl,--gc-sections)
  add_compile_definitions(WINVER=0x0601 _WIN32_WINNT=0x0601 _WIN32_IE=0x0600 STRICT)
elseif(Q_FUZZ)
  set(Q_SIDE fuzz)
  add_compile_options(-g -O1 -fsanitize=address,undefined -fno-sanitize-recover=undefined
                      -fsanitize=fuzzer-no-link)
  add_link_options(-fsanitize=address,undefined)
else()
  set(Q_SIDE host)
  if(Q_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
  endif()
endif()
add_compile_options($<$<COMPILE_LANGUAGE:CXX,C>:-Wall>)

# Windows system libraries the units call.
set(Q_WIN_LIBS user32 gdi32 comdlg32 comctl32 shell32 advapi32 kernel32)

# GoogleTest: Debian's package for the host, built from /usr/src/googletest for Windows.
if(WIN32)
  if(NOT TARGET gtest)
    set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  endif()
  set(Q_GTEST_MAIN gtest_main)
  set(Q_GTEST gtest)
elseif(NOT Q_FUZZ)
  find_package(GTest REQUIRED)
  set(Q_GTEST_MAIN GTest::gtest_main)
  set(Q_GTEST GTest::gtest)
endif()

# q_sources(VAR DIR): the sources of DIR for this side, following the layout rule.
function(q_sources var dir)
  file(GLOB portable CONFIGURE_DEPENDS ${dir}/*.cpp)
  if(WIN32)
    file(GLOB side CONFIGURE_DEPENDS ${dir}/win32/*.cpp)
  else()
    file(GLOB side CONFIGURE_DEPENDS ${dir}/posix/*.cpp)
  endif()
  set(${var} ${portable} ${side} PARENT_SCOPE)
endfunction()

# q_test(NAME name SOURCES ... [LIBS ...] [HOST_ONLY|WIN32_ONLY] [DISPLAY] [NO_MAIN] [TIMEOUT s])
# A GoogleTest executable registered as one CTest test. Portable tests run on both sides
# (on Windows through Wine). DISPLAY tests need the X server the test command starts and
# run one at a time. NO_MAIN: the test brings its own main (for example a dialog driver).
function(q_test)
  cmake_parse_arguments(T "HOST_ONLY;WIN32_ONLY;DISPLAY;NO_MAIN" "NAME;TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(Q_FUZZ)
    return()
  endif()
  if(T_HOST_ONLY AND WIN32)
    return()
  endif()
  if(T_WIN32_ONLY AND NOT WIN32)
    return()
  endif()
  if(WIN32 AND NOT Q_WINE_TESTS)
    return()
  endif()
  set(main ${Q_GTEST_MAIN})
  if(T_NO_MAIN)
    set(main ${Q_GTEST})
  endif()
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} ${main})
  if(WIN32)
    target_link_libraries(${T_NAME} PRIVATE ${Q_WIN_LIBS})
  endif()
  target_include_directories(${T_NAME} PRIVATE ${CMAKE_SOURCE_DIR}/tests/support)
  target_compile_definitions(${T_NAME} PRIVATE Q_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
                             Q_BINARY_DIR="${CMAKE_BINARY_DIR}" Q_PROGRAM_DIR="${Q_PROGRAM_DIR}")
  add_test(NAME ${Q_SIDE}.${T_NAME} COMMAND ${T_NAME})
  set(labels ${Q_SIDE})
  if(T_DISPLAY)
    list(APPEND labels display)
    set_tests_properties(${Q_SIDE}.${T_NAME} PROPERTIES RUN_SERIAL TRUE)
  endif()
  set_tests_properties(${Q_SIDE}.${T_NAME} PROPERTIES LABELS "${labels}")
  if(T_TIMEOUT)
    set_tests_properties(${Q_SIDE}.${T_NAME} PROPERTIES TIMEOUT ${T_TIMEOUT})
  endif()
endfunction()

# q_fuzz(NAME name SOURCES ... [LIBS ...] [SECONDS n] [CORPUS dir])
# A libFuzzer target (fuzz side only) and a CTest test that runs it for a bounded time
# from a copy of its seed corpus.
function(q_fuzz)
  cmake_parse_arguments(F "" "NAME;SECONDS;CORPUS" "SOURCES;LIBS" ${ARGN})
  if(NOT Q_FUZZ)
    return()
  endif()
  if(NOT F_SECONDS)
    set(F_SECONDS 60)
  endif()
  add_executable(${F_NAME} ${F_SOURCES})
  target_link_libraries(${F_NAME} PRIVATE ${F_LIBS})
  target_link_options(${F_NAME} PRIVATE -fsanitize=fuzzer)
  target_include_directories(${F_NAME} PRIVATE ${CMAKE_SOURCE_DIR}/tests/support)
  set(work ${CMAKE_BINARY_DIR}/fuzz-work/${F_NAME})
  add_test(NAME fuzz.${F_NAME}
           COMMAND ${CMAKE_SOURCE_DIR}/tools/fuzz-run.sh $<TARGET_FILE:${F_NAME}> ${F_SECONDS}
                   ${work} ${F_CORPUS})
  set_tests_properties(fuzz.${F_NAME} PROPERTIES LABELS fuzz TIMEOUT 900)
endfunction()

# q_benchmark(NAME name SOURCES ... [LIBS ...]): a host program run by the benchmark command.
function(q_benchmark)
  cmake_parse_arguments(B "" "NAME" "SOURCES;LIBS" ${ARGN})
  if(WIN32 OR Q_FUZZ)
    return()
  endif()
  add_executable(${B_NAME} ${B_SOURCES})
  target_link_libraries(${B_NAME} PRIVATE ${B_LIBS})
  target_include_directories(${B_NAME} PRIVATE ${CMAKE_SOURCE_DIR}/tests/support)
endfunction()

# q_program(TARGET): a finished Windows GUI program, placed in Q_PROGRAM_DIR.
function(q_program target)
  set_target_properties(${target} PROPERTIES WIN32_EXECUTABLE TRUE
                        RUNTIME_OUTPUT_DIRECTORY ${Q_PROGRAM_DIR})
  target_link_options(${target} PRIVATE -s)
  target_link_libraries(${target} PRIVATE ${Q_WIN_LIBS})
endfunction()

# Compiler options of a program image: nothing in the programs throws, and the C++ runtime's
# exception support (unwinder, demangler, threads) would add a hundred kilobytes or more.
set(Q_SMALL_CXX -Os -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables)

# q_image_units(NAME DIR SOURCES...): the units of a program image compiled once more with
# Q_SMALL_CXX, as a static library (only the members the program reaches are linked). DIR
# is the program's folder: it and its win32/ are on the include path with common/. One
# thread: the file layer's per-thread result code becomes a plain variable (no emulated TLS
# and its threads library); formatted output from the system's C library instead of the
# linked-in ANSI printf. The tests keep using the ordinary libraries.
function(q_image_units name dir)
  add_library(${name} STATIC EXCLUDE_FROM_ALL ${ARGN})
  target_include_directories(${name} PUBLIC ${dir} ${dir}/win32 ${CMAKE_SOURCE_DIR}/common
                             ${CMAKE_SOURCE_DIR}/common/win32)
  target_compile_options(${name} PRIVATE $<$<COMPILE_LANGUAGE:CXX>:${Q_SMALL_CXX}>)
  target_compile_definitions(${name} PRIVATE Q_SINGLE_THREAD __USE_MINGW_ANSI_STDIO=0)
endfunction()
