# The recording scene objects and objects manager of the objects manager's tests.
target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR}/game/Nimbrel/world/tests)
