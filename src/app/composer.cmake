# The wallpaper composer. The blurred-margin pipeline reads JPEG row bands through the
# libjpeg scanline interface (TurboJPEG decodes whole pictures only).
pkg_check_modules(LIBJPEG REQUIRED IMPORTED_TARGET libjpeg)

add_library(tapestra_composer STATIC
  Composer.cpp
  ComposerPipeline.cpp)
tapestra_target(tapestra_composer)
target_link_libraries(tapestra_composer
  PUBLIC tapestra_imaging tapestra_platform_qt tapestra_platform
  PRIVATE PkgConfig::LIBJPEG Threads::Threads)
