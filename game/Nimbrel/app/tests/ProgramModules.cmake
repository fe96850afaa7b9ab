# Runs nimbrel.exe under Wine on a copy of the sample data with the developer flags on, on the
# renderer RENDERER from the hall for FRAMES frames, and checks that it ends well and names the
# modules it ran on.
#   cmake -DWINE=... -DPROGRAM=nimbrel.exe -DDATA=bin/Data_full_Win32 -DVORNEL=... -DWORK=folder
#         -DRENDERER=DX9|GL -DFRAMES=N -P ProgramModules.cmake
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
file(COPY ${DATA} DESTINATION ${WORK})
file(COPY ${PROGRAM} DESTINATION ${WORK})
execute_process(COMMAND ${VORNEL} devflags write ${WORK}/Data_full_Win32/prefetch.params --developer 1
                RESULT_VARIABLE written)
if(NOT written EQUAL 0)
  message(FATAL_ERROR "the developer flags file could not be written")
endif()
get_filename_component(program_name ${PROGRAM} NAME)
execute_process(COMMAND ${WINE} ${program_name} --renderer ${RENDERER} --level hall --frames ${FRAMES}
                WORKING_DIRECTORY ${WORK} RESULT_VARIABLE status ERROR_VARIABLE errors OUTPUT_VARIABLE output)
file(REMOVE_RECURSE ${WORK})
set(expected "nimbrel: renderer \"${RENDERER}\", audio \"DX81\", input none, network \"OS\"")
string(FIND "${errors}" "${expected}" at)
if(NOT status EQUAL 0 OR at EQUAL -1)
  message(FATAL_ERROR "status ${status}; expected on standard error: ${expected}\n${errors}")
endif()
message(STATUS "${expected}")
