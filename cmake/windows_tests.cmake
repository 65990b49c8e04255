# The Windows cross build's tests (included after GoogleTest, whose
# gtest_discover_tests this replaces).
#
# Cases left out under Wine, each for want of the POSIX means it is built on:
#   LocalTime.TheOffsetFollowsTheZoneAndItsSummerTime: TZ=Europe/Rome; the
#     Windows C library knows no zone names, Windows takes the system's zone.
#   FolderLock.OneProcessHoldsItUntilItIsKilled: fork(); the Windows lock
#     against a second process is the e2e scenario second_copy_stops_before_drawing.
#   Records.AFailedAppendLeavesNoPartOfALineAndANewLineNeverGlues: RLIMIT_FSIZE.
#   PlayersLog.ALogThatCannotBeWrittenSaysSoAndChangesNothing,
#   FailedSave.AFullDiskKeepsThePreviousFileByteForByte: a symlink to /dev/full.
#   The same failures (a full disk, a short write, an I/O error) run under Wine
#   on the simulated disk: records_tests, PowerCut.AWriteThatFailsAnywhereInAPlay...
set(WINE_LEFT_OUT_board_tests
  LocalTime.TheOffsetFollowsTheZoneAndItsSummerTime
  FolderLock.OneProcessHoldsItUntilItIsKilled
  Records.AFailedAppendLeavesNoPartOfALineAndANewLineNeverGlues
  PlayersLog.ALogThatCannotBeWrittenSaysSoAndChangesNothing
  FailedSave.AFullDiskKeepsThePreviousFileByteForByte)

#   DecodeJpegTool.EnvironmentForcesEachPathOrRefusesIt: sets the variable in
#     front of the command, which a POSIX shell takes and Windows' cmd does not.
set(WINE_LEFT_OUT_jpeg_tests
  DecodeJpegTool.EnvironmentForcesEachPathOrRefusesIt)

function(gtest_discover_tests target)
  cmake_parse_arguments(discover "" "" "PROPERTIES" ${ARGN})
  add_test(NAME ${target} COMMAND ${target})
  if(discover_PROPERTIES)
    set_tests_properties(${target} PROPERTIES ${discover_PROPERTIES})
  endif()
  if(WINE_LEFT_OUT_${target})
    list(JOIN WINE_LEFT_OUT_${target} ":" left_out)
    set_tests_properties(${target} PROPERTIES ENVIRONMENT "GTEST_FILTER=-${left_out}")
  endif()
endfunction()
