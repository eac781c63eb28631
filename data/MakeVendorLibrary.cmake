# Writes the vendor library: the version text line, then every material of the JSON inputs
# encoded by corvane-cvx. Fails when the tool refuses a material or drops a print set, so that
# everything shipped is known to load.
#
# Variables: CVX_TOOL (the corvane-cvx program), VERSION_TEXT, INPUTS (list of JSON files, each
# an array of material objects), MERGED (scratch file for the merged array), OUTPUT.

string(LENGTH "${VERSION_TEXT}" version_length)
if(NOT version_length EQUAL 5 OR NOT VERSION_TEXT MATCHES "^[0-9]+(\\.[0-9]+)+$")
    message(FATAL_ERROR "The vendor library version \"${VERSION_TEXT}\" is not a dotted number of five characters")
endif()

# One JSON array of all materials: the elements of every input array, joined by commas. Plain
# string operations: JSON text is no CMake list.
set(merged "")
foreach(input IN LISTS INPUTS)
    file(READ "${input}" text)
    string(STRIP "${text}" text)
    string(LENGTH "${text}" length)
    if(length LESS 2)
        message(FATAL_ERROR "${input}: not a JSON array of materials")
    endif()
    math(EXPR last "${length} - 1")
    string(SUBSTRING "${text}" 0 1 first_char)
    string(SUBSTRING "${text}" ${last} 1 last_char)
    if(NOT first_char STREQUAL "[" OR NOT last_char STREQUAL "]")
        message(FATAL_ERROR "${input}: not a JSON array of materials")
    endif()
    math(EXPR inner_length "${length} - 2")
    string(SUBSTRING "${text}" 1 ${inner_length} inner)
    string(STRIP "${inner}" inner)
    if(NOT inner STREQUAL "")
        if(NOT merged STREQUAL "")
            string(APPEND merged ",\n")
        endif()
        string(APPEND merged "${inner}")
    endif()
endforeach()
get_filename_component(merged_dir "${MERGED}" DIRECTORY)
file(MAKE_DIRECTORY "${merged_dir}")
file(WRITE "${MERGED}" "[\n${merged}\n]\n")

execute_process(
    COMMAND "${CVX_TOOL}" encode "${MERGED}" -o -
    OUTPUT_VARIABLE encoded
    ERROR_VARIABLE errors
    RESULT_VARIABLE status
)
# No stale library is left behind when something is refused.
if(NOT status EQUAL 0)
    file(REMOVE "${OUTPUT}")
    message(FATAL_ERROR "corvane-cvx refused part of the vendor library (exit status ${status}):\n${errors}"
                        "Element N is the Nth material of ${MERGED}.")
endif()
if(encoded STREQUAL "")
    file(REMOVE "${OUTPUT}")
    message(FATAL_ERROR "The vendor library holds no material")
endif()

get_filename_component(output_dir "${OUTPUT}" DIRECTORY)
file(MAKE_DIRECTORY "${output_dir}")
file(WRITE "${OUTPUT}.tmp" "${VERSION_TEXT}\n${encoded}")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
