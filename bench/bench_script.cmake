# The script benchmark runs the same programs in Lua 5.4 for comparison.
target_include_directories(${target} PRIVATE /usr/include/lua5.4)
target_link_libraries(${target} PRIVATE lua5.4)
