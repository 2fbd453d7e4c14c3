# The hardening a Debian package's programs are built with (fortified C library calls, stack
# protector, read-only relocations bound at start), as dpkg-buildflags hands it to every
# package. For native Linux builds that are packed; a sanitizer or fuzzing build brings its own
# instrumentation, and a machine without dpkg-buildflags (dpkg-dev) builds without it. None of
# the flags touches arithmetic: the frames stay byte for byte the same.
option(TOLVA_DEBIAN_HARDENING "Build with dpkg-buildflags' hardening flags" ON)
find_program(DPKG_BUILDFLAGS dpkg-buildflags)
if(TOLVA_DEBIAN_HARDENING AND DPKG_BUILDFLAGS AND NOT TOLVA_SANITIZE AND NOT TOLVA_FUZZ)
  foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
    execute_process(COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
                            ${DPKG_BUILDFLAGS} --get ${kind}
                    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                    OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE)
    separate_arguments(flags UNIX_COMMAND "${flags}")
    # The build type chooses optimisation and debug information.
    list(FILTER flags EXCLUDE REGEX "^-(O[0-9s]?|g)$")
    if(kind STREQUAL LDFLAGS)
      add_link_options(${flags})
    else()
      add_compile_options(${flags})
    endif()
  endforeach()
endif()
