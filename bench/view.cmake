# The viewer's frames: its library (the viewer's routines without main).
target_link_libraries(bench_view PRIVATE vtrl3ds_view_lib)
