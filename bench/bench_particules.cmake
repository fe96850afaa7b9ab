# The frames end with glFinish; the renderer opens on the tool's window of its own.
find_package(GLEW REQUIRED)
find_package(OpenGL REQUIRED COMPONENTS OpenGL)
target_link_libraries(${target} PRIVATE GLEW::GLEW OpenGL::GL)
target_sources(${target} PRIVATE ${CMAKE_SOURCE_DIR}/tools/vornel/src/OffscreenRenderer.cpp)
target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR}/tools/vornel/src)
