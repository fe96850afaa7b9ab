# The test-only level kind that the levels' tests use.
target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR}/game/Nimbrel/levels/tests)
