# corvane_configure_gzipped(INPUT OUTPUT): OUTPUT from INPUT with @VARIABLES@ filled in, and beside
# it OUTPUT.gz, compressed as Debian wants: -9, and -n so that no name or time stamp makes two
# builds differ. Done at configure time; an edit of INPUT configures again.
function(corvane_configure_gzipped input output)
    configure_file(${input} ${output} @ONLY)
    execute_process(COMMAND gzip -9n -c ${output} OUTPUT_FILE ${output}.gz RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "gzip of ${output} failed: ${status}")
    endif()
endfunction()
