# The bare loops call GL directly; the sound runs in the player's test world (the memory back
# end and the recording audio engine), from the 3D engine's tests.
find_package(GLEW REQUIRED)
find_package(OpenGL REQUIRED COMPONENTS OpenGL)
target_link_libraries(${target} PRIVATE GLEW::GLEW OpenGL::GL)
target_sources(${target} PRIVATE ${CMAKE_SOURCE_DIR}/engine/Vornel3D/tests/MemoryBackEnd.cpp)
target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR}/engine/Vornel3D/tests)
