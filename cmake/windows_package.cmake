# The Windows download: `cmake --build --preset win32 --target package` (or win64) makes
# tolva-<version>-win32.zip (win64) in the build tree, holding tolva.scr and a short install
# note and nothing else. Only the "saver" component goes in, whatever else has install rules.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(TOLVA_PACKAGE_ARCH win64)
  set(TOLVA_SYSTEM_FOLDER_NOTE "  C:\\Windows\\System32")
else()
  set(TOLVA_PACKAGE_ARCH win32)
  # 64-bit Windows keeps its 32-bit programs' system folder in SysWOW64.
  set(TOLVA_SYSTEM_FOLDER_NOTE
    "  C:\\Windows\\SysWOW64 (64-bit Windows) or C:\\Windows\\System32 (32-bit Windows),")
endif()
# CRLF, so the Notepad of Windows 7 and 8 shows its lines too.
configure_file(${PROJECT_SOURCE_DIR}/hosts/windows/resources/install-note.txt.in
  ${CMAKE_BINARY_DIR}/INSTALL.txt @ONLY NEWLINE_STYLE CRLF)

# The download carries a release build: the RelWithDebInfo build's code (-O2, the frames every
# test checks) without its debug information, which would also carry this machine's folder
# names. cpack strips tolva.scr with the MinGW strip as it packs; __FILE__, in case an assertion
# ever keeps one, names files from the top of the tree.
set(CPACK_STRIP_FILES ON)
foreach(target tolva_scr tolva_saver tolva_saver_portable tolva_host tolva_trails tolva_surface)
  target_compile_options(${target} PRIVATE -fmacro-prefix-map=${PROJECT_SOURCE_DIR}/=
    -fmacro-prefix-map=${PROJECT_BINARY_DIR}/=)
endforeach()

install(TARGETS tolva_scr RUNTIME DESTINATION . COMPONENT saver)
install(FILES ${CMAKE_BINARY_DIR}/INSTALL.txt DESTINATION . COMPONENT saver)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME tolva)
set(CPACK_PACKAGE_VENDOR Ravik)
set(CPACK_PACKAGE_FILE_NAME tolva-${PROJECT_VERSION}-${TOLVA_PACKAGE_ARCH})
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};${PROJECT_NAME};saver;/")
include(CPack)
