# The game world with a script and a command list manager that the script manager's tests use.
target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR}/game/Nimbrel/world/tests)
