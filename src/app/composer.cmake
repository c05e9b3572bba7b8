# The wallpaper composer: ChangeWallpaper and the blurred-margin and tile compositions.
# WallPaperStyleFor and the settings model come from tapestra_app_logic. The blurred-margin
# pipeline decodes JPEGs through libjpeg's scanline interface into a ring of rows.
add_library(tapestra_composer STATIC
  Composer.cpp
  ComposerPipeline.cpp)
tapestra_target(tapestra_composer)
target_link_libraries(tapestra_composer
  PUBLIC tapestra_app_logic tapestra_imaging tapestra_platform_qt tapestra_platform
  PRIVATE PkgConfig::LIBJPEG Threads::Threads)
