# Writes the manual page of one program from its --help and --version (help2man), compressed.
# The page's one-line name is the help text's second line, which every program keeps a summary.
# Usage: cmake -DPROGRAM=path -DOUT=file.1.gz -P manpage.cmake
execute_process(COMMAND ${PROGRAM} --help OUTPUT_VARIABLE help RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} --help failed (${status})")
endif()
string(REPLACE "\n" ";" lines "${help}")
list(GET lines 1 summary)
string(REGEX REPLACE "[.]$" "" summary "${summary}")
get_filename_component(dir ${OUT} DIRECTORY)
get_filename_component(page ${OUT} NAME_WLE)
set(raw ${dir}/${page})
execute_process(COMMAND help2man --no-info --no-discard-stderr --name=${summary} --output=${raw} ${PROGRAM}
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "help2man ${PROGRAM} failed (${status})")
endif()
execute_process(COMMAND gzip -9nf ${raw})
file(RENAME ${raw}.gz ${OUT})
