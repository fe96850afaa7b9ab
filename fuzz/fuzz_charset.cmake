# The font needs a 3D engine: the memory back end of the 3D core's tests.
target_sources(${target} PRIVATE ${CMAKE_SOURCE_DIR}/engine/Vornel3D/tests/MemoryBackEnd.cpp)
target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR}/engine/Vornel3D/tests)
