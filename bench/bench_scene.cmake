# The straight loop and the picture check call GL directly.
find_package(GLEW REQUIRED)
find_package(OpenGL REQUIRED COMPONENTS OpenGL)
target_link_libraries(${target} PRIVATE GLEW::GLEW OpenGL::GL)
