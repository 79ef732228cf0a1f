# The sources of quindle_platform (standard library only), for the program's
# build and for the fuzz targets' own (fuzz/), which instruments them.
set(QUINDLE_PLATFORM_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/Random.cpp
    ${CMAKE_CURRENT_LIST_DIR}/NumberText.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DisplaySystem.cpp
)
