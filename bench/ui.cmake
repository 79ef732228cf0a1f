# The windowing side, on the offscreen platform: start-up, opening a random
# object, Cmp and close-all.
find_package(Qt6 REQUIRED COMPONENTS Widgets)

add_executable(bench_ui ${CMAKE_CURRENT_LIST_DIR}/bench_ui.cpp)
target_link_libraries(bench_ui PRIVATE quindle_app benchmark::benchmark)
