# Makes the bundled demo's elevation file and texture from the USGS DEM, as scripts/run-demo does, so that
# the installed demo scenes open and render as they are.
# cmake -DCLI=orvantis-cli -DEXAMPLES=examples-folder -DOUT=folder -P MakeDemoData.cmake
file(MAKE_DIRECTORY ${OUT})
execute_process(COMMAND ${CLI} dem-import ${EXAMPLES}/jacksboro.dem ${OUT}/jacksboro-elev.tga
                OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND python3 ${EXAMPLES}/make-palette.py ${OUT}/palette.tga COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND ${CLI} elev-to-color ${OUT}/jacksboro-elev.tga ${OUT}/jacksboro-texture.tga
                        --palette ${OUT}/palette.tga
                OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
