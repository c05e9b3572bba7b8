tapestra_test(composer_tests
  SOURCES ComposerTest.cpp ComposerPipelineTest.cpp ComposerToolTest.cpp ComposerTestSupport.cpp
  LIBS tapestra_composer PkgConfig::TURBOJPEG)
add_dependencies(composer_tests tapestra-compose)
target_compile_definitions(composer_tests PRIVATE
  TAPESTRA_COMPOSE_TOOL="$<TARGET_FILE:tapestra-compose>")
