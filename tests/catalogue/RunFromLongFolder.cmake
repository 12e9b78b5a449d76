# Starts a copy of the player path helper from a folder whose path is longer than MAX_PATH and
# checks that the player path it reports is not cut. Programs in such folders cannot be started
# with CreateProcessW under Wine, so the Wine loader of the session (WINE, exported by
# scripts/wine-session) starts this one directly.
#   cmake -DHELPER=<helper exe> -DWORK_DIR=<scratch folder> -P this file
# Wine shows the host's file system as drive Z:, so the expected Windows path is derived from the
# host path.
if(NOT DEFINED ENV{WINE})
  message(FATAL_ERROR "run the tests through scripts/wine-session, which sets WINE")
endif()
set(root "${WORK_DIR}/catalogue-long-folder")
set(folder "${root}")
foreach(i RANGE 10000 10005)
  string(APPEND folder "/a-folder-name-of-forty-characters-${i}")
endforeach()
file(REMOVE_RECURSE "${root}")
file(MAKE_DIRECTORY "${folder}")
file(COPY_FILE "${HELPER}" "${folder}/assoc.exe")

execute_process(COMMAND "$ENV{WINE}" "${folder}/assoc.exe"
  OUTPUT_VARIABLE reported RESULT_VARIABLE result)
file(REMOVE_RECURSE "${root}")

string(REPLACE "/" "\\" expected "Z:${folder}/vtplayer.exe")
string(LENGTH "${expected}" length)
if(length LESS 261)
  message(FATAL_ERROR "the test folder is too short to test anything: ${expected}")
endif()
if(NOT result EQUAL 0 OR NOT reported STREQUAL expected)
  message(FATAL_ERROR "player path of a program in a long folder\n"
                      "  expected: ${expected}\n  reported: ${reported}\n  exit: ${result}")
endif()
message(STATUS "player path: ${reported}")
