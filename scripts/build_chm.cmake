# Compiles a help project into a .chm file; run with cmake -P.
#
#   -DCHMCMD=<help compiler>      -DSOURCE_DIR=<folder of the project>
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
    if(NOT EXISTS "${SOURCE_DIR}/${name}")
        message(FATAL_ERROR "Help file source missing: ${SOURCE_DIR}/${name}")
    endif()
    get_filename_component(sub "${name}" DIRECTORY)
    file(COPY "${SOURCE_DIR}/${name}" DESTINATION "${WORK_DIR}/${sub}")
endforeach()

execute_process(
    COMMAND "${CHMCMD}" "${PROJECT_FILE}"
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

# Copy under a temporary name and rename, so that a reader never sees half a file.
get_filename_component(out_dir "${OUTPUT}" DIRECTORY)
file(MAKE_DIRECTORY "${out_dir}")
file(COPY_FILE "${built}" "${OUTPUT}.tmp")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
file(REMOVE_RECURSE "${WORK_DIR}")
