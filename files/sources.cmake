# The sources of quindle_files (standard library only), for the program's
# build and for the fuzz targets' own (fuzz/), which instruments them.
set(QUINDLE_FILES_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/ObjectFile.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ObjectFile.h
    ${CMAKE_CURRENT_LIST_DIR}/SessionFile.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SessionFile.h
)
