# SPDX-License-Identifier: GPL-3.0-or-later
# The sample installation's test files are built from its question sources,
# never committed: build/course/data/tests/test1.ini ...
file(GLOB course_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/course/sources/test*.txt)
set(tests_dir ${CMAKE_BINARY_DIR}/course/data/tests)
set(course_tests)
foreach(source ${course_sources})
    get_filename_component(name ${source} NAME_WE)
    add_custom_command(OUTPUT ${tests_dir}/${name}.ini
        COMMAND ${CMAKE_COMMAND} -E make_directory ${tests_dir}
        # Converting into an existing file would keep its older sections.
        COMMAND ${CMAKE_COMMAND} -E rm -f ${tests_dir}/${name}.ini
        COMMAND coursebook-admin convert ${source} ${name} --into ${tests_dir}
        DEPENDS ${source} coursebook-admin
        VERBATIM)
    list(APPEND course_tests ${tests_dir}/${name}.ini)
endforeach()
add_custom_target(course_tests ALL DEPENDS ${course_tests})

# Installed read-only; each user works in a copy (see app/CourseFolder.h).
# The question sources are the build's input, not part of the course.
set(COURSEBOOK_SAMPLE_DIR ${CMAKE_INSTALL_DATADIR}/coursebook/course)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/course/ DESTINATION ${COURSEBOOK_SAMPLE_DIR}
    PATTERN sources EXCLUDE)
install(FILES ${course_tests} DESTINATION ${COURSEBOOK_SAMPLE_DIR}/data/tests)
