# The web download: `cmake --build --preset wasm --target package` makes tolva-web-<version>.zip
# in the build tree, holding tolva.html and a short note and nothing else.
configure_file(${PROJECT_SOURCE_DIR}/hosts/web/README.txt.in ${CMAKE_BINARY_DIR}/README.txt @ONLY
  NEWLINE_STYLE CRLF)

install(FILES ${CMAKE_BINARY_DIR}/tolva.html ${CMAKE_BINARY_DIR}/README.txt DESTINATION .
  COMPONENT page)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME tolva)
set(CPACK_PACKAGE_VENDOR Ravik)
set(CPACK_PACKAGE_FILE_NAME tolva-web-${PROJECT_VERSION})
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};${PROJECT_NAME};page;/")
include(CPack)
