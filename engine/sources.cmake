# The sources of quindle_engine (standard library only), for the program's
# build and for the fuzz targets' own (fuzz/), which instruments them.
set(QUINDLE_ENGINE_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/Matrix.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Progress.cpp
)
