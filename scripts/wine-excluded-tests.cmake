# The tests that the Windows tree does not run under Wine, one row each with its reason:
#   "File.cpp: reason"          the test source is left out of the Windows program
#   "Program/Pattern: reason"   the GoogleTest pattern is filtered out when Program runs
# Everything else runs in both trees: the same GoogleTest programs, built twice.
set(NIMBREL_WINE_EXCLUDED
  "PlatformPumpEventsTest.cpp: feeds the pump SDL events of its own"
  "VornelPlatform_save_tests/PlatformSaveTest.AFullDiskFailsCleanly: a file size limit (setrlimit) stands for the full disk, and Windows has none"
  "VornelPlatform_tests/PlatformKeyState.ShiftHeldBeforeAnyWindowIsSeen: Wine learns the keyboard's state only from the X events of its own windows, so a key held while none of them has the focus goes unseen"
  "VornelPlatform_tests/PlatformUser.DataFolderFollowsXdgDataHomeThenHome: the XDG folders are Linux's; Windows reads APPDATA instead"
  "VornelPlatform_tests/PlatformUser.SystemLanguageReadsLcAllFirst: the locale variables are Linux's; Windows gives its own default language"
  "VornelPlatform_tests/PlatformDialog.WithoutADisplayTheBoxGoesToStandardError: Windows always has a display: the box is MessageBoxW, which waits for a click"
  "VornelPlatform_tests/PlatformFileTest.WritingUsesTheExactName: Windows names are case-blind, so writing file.txt replaces File.TXT"
  "Vornel3D_ToolBox_tests/StringsManagerTest.TheCurrentLanguageFallsBack: the system language is Windows' own, not the locale variables that the test sets"
  "Vornel3D_ToolBox_tests/StringsManager.SystemLanguageIdentifiers: the system language is Windows' own, not the locale variables that the test sets"
  "NimbrelApp_harness_tests/GameFolder.AConstructionOfAnotherGameEndsWithTheErrorBoxAnd255: the dying child shows the real box, MessageBoxW, which waits for a click (Windows always has a display)"
  "NimbrelApp_harness_tests/GameFolder.AFailingWorldLoadShowsTheErrorBoxAndExitsWith255: the dying child shows the real box, MessageBoxW, which waits for a click (Windows always has a display)"
  "NimbrelApp_harness_tests/GameFolder.TheScoreCountsUpOnAFindAndTheSignSpeaksThePlayersLanguage: the system language is Windows' own, not the locale variables that the test sets"
  "NimbrelApp_harness_tests/GameFolder.AFrenchPlayerSeesTheFrenchStudioPicture: the system language is Windows' own, not the locale variables that the test sets"
  "NimbrelApp_harness_tests/GameFolder.TheFrenchCreditsStandCentredLineByLine: the system language is Windows' own, not the locale variables that the test sets"
  "NimbrelApp_harness_tests/GameFolder.TheTitleDrawsItsButtonTextsInThePlayersLanguage: the system language is Windows' own, not the locale variables that the test sets"
  "NimbrelApp_harness_tests/GameFolder.AGameInProgressContinuesWhereThePlayerLeftIt: reads the saved profile back with the vornel tool, which the Windows tree does not build"
)

# nimbrel_wine_exclusions(PROGRAM SOURCES_VAR ENVIRONMENT_VAR): drops the listed files from
# the sources and returns the GoogleTest filter of the program's listed patterns as test
# environment, beside the Wine prefix of this tree.
function(nimbrel_wine_exclusions PROGRAM SOURCES_VAR ENVIRONMENT_VAR)
  set(sources ${${SOURCES_VAR}})
  set(patterns "")
  foreach(row ${NIMBREL_WINE_EXCLUDED})
    string(REGEX REPLACE ":.*$" "" what "${row}")
    if(what MATCHES "^([A-Za-z0-9_]+)/(.+)$")
      if(CMAKE_MATCH_1 STREQUAL PROGRAM)
        list(APPEND patterns ${CMAKE_MATCH_2})
      endif()
    else()
      list(FILTER sources EXCLUDE REGEX "/${what}$")
    endif()
  endforeach()
  set(environment "WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix" "WINEDEBUG=-all")
  if(patterns)
    string(JOIN ":" filter ${patterns})
    list(APPEND environment "GTEST_FILTER=-${filter}")
  endif()
  set(${SOURCES_VAR} ${sources} PARENT_SCOPE)
  set(${ENVIRONMENT_VAR} ${environment} PARENT_SCOPE)
endfunction()
