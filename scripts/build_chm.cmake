# Compiles a help project into a .chm file; run with cmake -P.
#
#   -DCHMCMD=<help compiler>      -DSOURCE_DIR=<folder of the project>
#   -DGENERATED_DIR=<folder of the files the build made; optional, taken before SOURCE_DIR>
#   -DPROJECT_FILE=<name.hhp>     -DFILES=<files of the project, separated by "|">
#   -DWORK_DIR=<scratch folder>   -DOUTPUT=<where the .chm goes>
#
# The compiler writes into its current directory and is not trustworthy about
# failures (it can exit 0 without writing anything, or crash and leave an empty
# file), so it runs in a fresh scratch copy and the result is checked here.

foreach(var CHMCMD SOURCE_DIR PROJECT_FILE FILES WORK_DIR OUTPUT)
    if(NOT DEFINED ${var} OR "${${var}}" STREQUAL "")
        message(FATAL_ERROR "build_chm.cmake: ${var} is not set")
    endif()
endforeach()

string(REPLACE "|" ";" files "${FILES}")
file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}")
foreach(name IN LISTS files ITEMS "${PROJECT_FILE}")
    set(from "${SOURCE_DIR}/${name}")
    if(DEFINED GENERATED_DIR AND EXISTS "${GENERATED_DIR}/${name}")
        set(from "${GENERATED_DIR}/${name}")
    endif()
    if(NOT EXISTS "${from}")
        message(FATAL_ERROR "Help file source missing: ${from}")
    endif()
    get_filename_component(sub "${name}" DIRECTORY)
    file(COPY "${from}" DESTINATION "${WORK_DIR}/${sub}")
endforeach()

# The compiler leaves a few bytes of its memory unset in what it writes (one of them
# inside the compressed part), so the same sources give a different file each run.
# With address randomisation off and an empty environment those bytes come out the
# same every time; setarch -R is refused in some containers, which only costs that.
set(launcher)
execute_process(COMMAND setarch -R true RESULT_VARIABLE no_randomise_failed
    OUTPUT_QUIET ERROR_QUIET)
if(no_randomise_failed EQUAL 0)
    set(launcher setarch -R)
endif()
execute_process(
    COMMAND ${launcher} env -i "${CHMCMD}" "${PROJECT_FILE}"
    WORKING_DIRECTORY "${WORK_DIR}"
    RESULT_VARIABLE result
    OUTPUT_VARIABLE out
    ERROR_VARIABLE out)

# It also reports some faults (a contents file it cannot find) only in its output.
if(out MATCHES "(^|\n)Error:")
    message(FATAL_ERROR "chmcmd reported errors on ${PROJECT_FILE}:\n${out}")
endif()
if(out MATCHES "(^|\n)Warning:")
    message(WARNING "chmcmd warned about ${PROJECT_FILE}:\n${out}")
endif()

get_filename_component(chm_name "${PROJECT_FILE}" NAME_WE)
set(built "${WORK_DIR}/${chm_name}.chm")
if(NOT result EQUAL 0)
    message(FATAL_ERROR "chmcmd failed (${result}) on ${PROJECT_FILE}:\n${out}")
endif()
if(NOT EXISTS "${built}")
    message(FATAL_ERROR "chmcmd wrote no ${chm_name}.chm:\n${out}")
endif()
file(SIZE "${built}" size)
file(READ "${built}" magic LIMIT 4 HEX)
if(size EQUAL 0 OR NOT magic STREQUAL "49545346") # "ITSF"
    message(FATAL_ERROR "chmcmd wrote an empty or unusable ${chm_name}.chm:\n${out}")
endif()

# It also stamps the time of the build twice: in the file header (4 bytes at offset
# 16) and in the #SYSTEM record of code 10, which sits just before the record of code
# 9, the compiler's version. Readers use neither; both become zero, so that a build
# depends on its sources alone.
file(READ "${built}" content HEX)
# Code 9, length 22, "HHA Ver", preceded by code 10, length 4 and the time.
string(FIND "${content}" "0900160048484120566572" version_record)
set(system_ts -1)
if(version_record MATCHES "^[0-9]*[02468]$" AND version_record GREATER_EQUAL 16)
    math(EXPR record "${version_record} - 16")
    string(SUBSTRING "${content}" ${record} 8 record_head)
    if(record_head STREQUAL "0a000400")
        math(EXPR system_ts "${record} / 2 + 4")
    endif()
endif()
set(offsets 16)
if(system_ts LESS 0)
    message(WARNING "chmcmd's #SYSTEM time record was not found in ${built}; "
        "the help file keeps its build time there")
else()
    list(APPEND offsets ${system_ts})
endif()
foreach(offset IN LISTS offsets)
    execute_process(
        COMMAND dd if=/dev/zero "of=${built}" bs=1 seek=${offset} count=4 conv=notrunc
        RESULT_VARIABLE dd_result OUTPUT_QUIET ERROR_QUIET)
    if(NOT dd_result EQUAL 0)
        message(FATAL_ERROR "could not clear the build time in ${built}")
    endif()
endforeach()

# Copy under a temporary name and rename, so that a reader never sees half a file.
get_filename_component(out_dir "${OUTPUT}" DIRECTORY)
file(MAKE_DIRECTORY "${out_dir}")
file(COPY_FILE "${built}" "${OUTPUT}.tmp")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
file(REMOVE_RECURSE "${WORK_DIR}")
