# The wallpaper composer: ChangeWallpaper and the blurred-margin and tile compositions.
# WallPaperStyleFor and the settings model come from tapestra_app_logic; the banded JPEG
# decoder from tapestra_platform_qt.
add_library(tapestra_composer STATIC
  Composer.cpp
  ComposerPipeline.cpp)
tapestra_target(tapestra_composer)
target_link_libraries(tapestra_composer
  PUBLIC tapestra_app_logic tapestra_imaging tapestra_platform_qt tapestra_platform
  PRIVATE Threads::Threads)
