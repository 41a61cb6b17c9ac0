# Links the layered image library into vl2inspect's core for the PSD view.
target_link_libraries(vl2_inspect_core PRIVATE vl2_layered_image)
