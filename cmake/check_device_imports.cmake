# Fails the device build when PROGRAM imports a way to read the environment or to open or write
# a file: the program has neither, and what the tests read that way exists only in the emulator
# build. The file is removed, so the next build checks again.
cmake_minimum_required(VERSION 3.25)
execute_process(COMMAND ${OBJDUMP} -p ${PROGRAM} OUTPUT_VARIABLE dump RESULT_VARIABLE failed)
string(REGEX MATCHALL "[\t ](GetEnvironment[A-Za-z]*|CreateFile[A-Z]|WriteFile)\n" found "${dump}")
list(TRANSFORM found STRIP)
list(JOIN found ", " found)
if(failed OR found)
    file(REMOVE ${PROGRAM})
    message(FATAL_ERROR "${PROGRAM} imports ${found} (or ${OBJDUMP} could not read it)")
endif()
