# The scene object of five elements that the managers' tests use.
target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR}/game/Nimbrel/managers/tests)
