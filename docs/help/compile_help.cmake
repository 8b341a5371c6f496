# Compiles the help pages into one CHM file.
#   cmake -DCHMCMD=... -DPAGES=<docs/help> -DPICTURES=<docs/screenshots>
#         -DSTAGE=<scratch folder> -DOUTPUT=<.../Brindle.chm> -P compile_help.cmake
# chmcmd takes the project, the contents and the index from the root of the
# help file, so the root is assembled in STAGE: the project files at the top,
# the pages under help/ and the pictures under screenshots/, where the pages'
# ../screenshots/ links find them, as in the source tree.
file(REMOVE_RECURSE ${STAGE})
file(GLOB pages ${PAGES}/*.html ${PAGES}/*.css)
file(GLOB project ${PAGES}/Brindle.hh?)
file(GLOB pictures ${PICTURES}/*.png)
file(COPY ${pages} DESTINATION ${STAGE}/help)
file(COPY ${project} DESTINATION ${STAGE})
file(COPY ${pictures} DESTINATION ${STAGE}/screenshots)

execute_process(COMMAND ${CHMCMD} Brindle.hhp
    WORKING_DIRECTORY ${STAGE}
    RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
# chmcmd reports a missing file or anchor but still exits with 0.
if(NOT status EQUAL 0 OR output MATCHES "Error|Warning" OR NOT EXISTS ${STAGE}/Brindle.chm)
    message(FATAL_ERROR "chmcmd could not compile the help file:\n${output}")
endif()
file(RENAME ${STAGE}/Brindle.chm ${OUTPUT})
