# The installer programs (Windows build only):
#   UnfurlImage.exe  the installer executable without payload (build tree);
#   Unfurl.exe       the delivered installer in Q_PROGRAM_DIR: the image with its payload
#                    appended by the preparation tool, the archive holding Bytewise.exe and
#                    the source and resource files of Bytewise and the shared units.
if(NOT WIN32)
  return()
endif()
# Until the archive and payload units are in the tree there is nothing to link.
foreach(f win32/Unfurl.cpp win32/UnfurlUnZipWin.cpp UnfurlPayload.cpp UnfurlUnZip.cpp)
  if(NOT EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${f})
    return()
  endif()
endforeach()

# The installer is compiled from its units' sources once more, for size (q_image_units).
# The units are the installer's own (unfurl/) and the shared ones it uses (QStr, QSysUtil,
# QEncr, QDialog, QFont and the file layer).
get_target_property(unfurl_units unfurl_core SOURCES)
set(common_units QStr.cpp QSysUtil.cpp QSysText.cpp QSysIO.cpp QEncr.cpp QFileCommon.cpp
                 win32/QSysUtilWin.cpp win32/QDialog.cpp win32/QFont.cpp win32/QFileWin.cpp)
list(TRANSFORM common_units PREPEND ${CMAKE_SOURCE_DIR}/common/)
q_image_units(unfurl_image_units ${CMAKE_CURRENT_SOURCE_DIR} ${unfurl_units} ${common_units})
# Variables in sections of their own would all carry their bytes in the file: GCC names the
# section of a zero-initialised one .data$NAME too, not .bss.
target_compile_options(unfurl_image_units PRIVATE -fno-data-sections)
# The decoder, its table builder and its CRC-32 are compiled for speed (docs/installer.md).
set_source_files_properties(UnfurlZipInflate.cpp UnfurlCodeTable.cpp UnfurlCrc32.cpp
                            TARGET_DIRECTORY unfurl_image_units
                            PROPERTIES COMPILE_OPTIONS -O2)
add_executable(UnfurlImage win32/Unfurl.cpp win32/UnfurlStart.cpp res/Unfurl.rc)
target_include_directories(UnfurlImage PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/res)
target_compile_options(UnfurlImage PRIVATE $<$<COMPILE_LANGUAGE:CXX>:${Q_SMALL_CXX} -fno-data-sections>)
# windres reads these too; CMake does not see them by itself.
set_source_files_properties(res/Unfurl.rc PROPERTIES OBJECT_DEPENDS
  "${CMAKE_CURRENT_SOURCE_DIR}/res/Unfurl.ico;${CMAKE_CURRENT_SOURCE_DIR}/res/Unfurl.manifest;${CMAKE_CURRENT_SOURCE_DIR}/res/FileExist.rc")
target_link_libraries(UnfurlImage PRIVATE unfurl_image_units)
set_target_properties(UnfurlImage PROPERTIES WIN32_EXECUTABLE TRUE
                      RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
# No start files: win32/UnfurlStart.cpp is the process entry. Data imported from a DLL would
# need the start files' runtime relocator: the link refuses it (no auto-import) instead.
target_link_options(UnfurlImage PRIVATE -s -nostartfiles -Wl,--disable-auto-import
                    -Wl,-T,${CMAKE_SOURCE_DIR}/cmake/QImage.ld)
set_property(TARGET UnfurlImage APPEND PROPERTY LINK_DEPENDS ${CMAKE_SOURCE_DIR}/cmake/QImage.ld)
target_link_libraries(UnfurlImage PRIVATE user32 gdi32 shell32 kernel32)

# ---- The delivered installer ------------------------------------------------------------

if(NOT TARGET Bytewise)
  return()
endif()

# The payload: Bytewise.exe and, under Source/, the source and resource files of Bytewise and
# the shared units (the Windows side; the host backends stay out), staged in a folder that the
# preparation tool's build mode packs (work-list order, times, libdeflate).
file(GLOB_RECURSE payload_sources CONFIGURE_DEPENDS
     ${CMAKE_SOURCE_DIR}/bytewise/*.cpp ${CMAKE_SOURCE_DIR}/bytewise/*.h
     ${CMAKE_SOURCE_DIR}/bytewise/*.rc ${CMAKE_SOURCE_DIR}/bytewise/*.ico
     ${CMAKE_SOURCE_DIR}/bytewise/*.cur ${CMAKE_SOURCE_DIR}/bytewise/*.txt
     ${CMAKE_SOURCE_DIR}/common/*.cpp ${CMAKE_SOURCE_DIR}/common/*.h
     ${CMAKE_SOURCE_DIR}/common/*.rc ${CMAKE_SOURCE_DIR}/common/*.ico
     ${CMAKE_SOURCE_DIR}/common/*.cur)
list(FILTER payload_sources EXCLUDE REGEX "/posix/|/CMakeLists\\.txt$")
set(stage ${CMAKE_CURRENT_BINARY_DIR}/payload)
set(stage_copies)
foreach(f ${payload_sources})
  file(RELATIVE_PATH rel ${CMAKE_SOURCE_DIR} ${f})
  get_filename_component(reldir ${rel} DIRECTORY)
  list(APPEND stage_copies COMMAND ${CMAKE_COMMAND} -E make_directory ${stage}/Source/${reldir}
                           COMMAND ${CMAKE_COMMAND} -E copy ${f} ${stage}/Source/${reldir}/)
endforeach()
set(stamp ${CMAKE_CURRENT_BINARY_DIR}/payload.stamp)
add_custom_command(
  OUTPUT ${stamp}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${stage}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${stage}
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:Bytewise> ${stage}/
  ${stage_copies}
  COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
  DEPENDS Bytewise ${payload_sources}
  COMMENT "Staging Bytewise and its sources for the installer")
add_custom_target(unfurl_payload DEPENDS ${stamp})

# The preparation tool runs on the build machine: it is built natively from this same tree
# (a host configuration of its own, only the unfurlpack target), so that making the installer
# needs no Wine.
include(ExternalProject)
find_program(Q_HOST_CXX NAMES g++ c++ REQUIRED NO_CMAKE_FIND_ROOT_PATH)
find_program(Q_HOST_CC NAMES gcc cc REQUIRED NO_CMAKE_FIND_ROOT_PATH)
set(pack_dir ${CMAKE_BINARY_DIR}/unfurlpack-host)
set(unfurlpack ${pack_dir}/unfurlpack/unfurlpack)
# The bare image goes beside the tool, where its build mode finds it.
ExternalProject_Add(unfurlpack_host
  SOURCE_DIR ${CMAKE_SOURCE_DIR}
  BINARY_DIR ${pack_dir}
  CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_COMPILER=${Q_HOST_CC}
             -DCMAKE_CXX_COMPILER=${Q_HOST_CXX}
  BUILD_COMMAND ${CMAKE_COMMAND} --build ${pack_dir} --target unfurlpack
        COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:UnfurlImage> ${pack_dir}/unfurlpack/
  INSTALL_COMMAND ""
  DEPENDS UnfurlImage
  BUILD_ALWAYS TRUE
  BUILD_BYPRODUCTS ${unfurlpack})

set(UNFURL_TITLE "Bytewise 1.0")
set(UNFURL_SUBTITLE "Byte-by-byte file comparer for Windows, with its source files")
set(delivered ${Q_PROGRAM_DIR}/Unfurl.exe)
add_custom_command(
  OUTPUT ${delivered}
  COMMAND ${unfurlpack} build ${stage} -o ${delivered} --title ${UNFURL_TITLE}
          --subtitle ${UNFURL_SUBTITLE}
  DEPENDS UnfurlImage ${stamp} unfurlpack_host
  COMMENT "Appending the payload: ${delivered}"
  VERBATIM)
add_custom_target(UnfurlDelivered ALL DEPENDS ${delivered})
