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

# The installer's own sources need neither exceptions nor RTTI; small code matters here.
set_source_files_properties(win32/Unfurl.cpp win32/UnfurlDialog.cpp win32/QGetDir.cpp
                            PROPERTIES COMPILE_OPTIONS "-Os;-fno-exceptions;-fno-rtti")

add_executable(UnfurlImage win32/Unfurl.cpp res/Unfurl.rc)
target_link_libraries(UnfurlImage PRIVATE unfurl_core)
set_target_properties(UnfurlImage PROPERTIES WIN32_EXECUTABLE TRUE
                      RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
target_link_options(UnfurlImage PRIVATE -s)
target_link_libraries(UnfurlImage PRIVATE user32 gdi32 shell32 kernel32)
