# Builds the interface pictures into nimbrel_ui: gen_ui (data/) paints them and
# EmbedPictures.cmake turns the PNG files into arrays. Without the data
# generators (NIMBREL_DATA off) the program paints placeholder pictures itself.
if(TARGET gen_ui)
  set(ui_pictures_dir ${CMAKE_BINARY_DIR}/ui-pictures)
  set(ui_pictures_source ${ui_pictures_dir}/EmbeddedPictures.cpp)
  add_custom_command(
    OUTPUT ${ui_pictures_source}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${ui_pictures_dir}
    COMMAND gen_ui ${ui_pictures_dir}
    COMMAND ${CMAKE_COMMAND} -DDIR=${ui_pictures_dir} -DOUT=${ui_pictures_source}
            -P ${CMAKE_SOURCE_DIR}/src/ui/EmbedPictures.cmake
    DEPENDS gen_ui ${CMAKE_SOURCE_DIR}/src/ui/EmbedPictures.cmake
    COMMENT "Building the interface pictures into the program"
    VERBATIM)
  target_sources(nimbrel_ui PRIVATE ${ui_pictures_source})
  target_compile_definitions(nimbrel_ui PRIVATE NIMBREL_EMBEDDED_PICTURES=1)
endif()
