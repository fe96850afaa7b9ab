# The whole program's start-up: the app library, the settings stored in the program "nimbrel"
# (the same texts), and the sample data built beside it.
set(stored ${CMAKE_BINARY_DIR}/game/Nimbrel/app/nimbrel_settings/StoredSettings.cpp)
set_source_files_properties(${stored} PROPERTIES GENERATED TRUE)
target_sources(${target} PRIVATE ${stored})
target_link_libraries(${target} PRIVATE NimbrelApp)
add_dependencies(${target} nimbrel)
