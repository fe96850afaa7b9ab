# The splash screens draw on the 3D engine's memory back end, from its tests.
target_sources(${target} PRIVATE ${CMAKE_SOURCE_DIR}/engine/Vornel3D/tests/MemoryBackEnd.cpp)
target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR}/engine/Vornel3D/tests)
