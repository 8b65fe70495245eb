# pondra_layer(NAME SOURCES ... DEPENDS ...)
# One static library per layer; the DEPENDS list carries the layer arrows, so a
# layer can only include what lies below it. A layer with no sources yet is an
# interface target that still carries its arrows.
function(pondra_layer name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
    if(ARG_SOURCES)
        add_library(${name} STATIC ${ARG_SOURCES})
        target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
        target_link_libraries(${name} PUBLIC ${ARG_DEPENDS})
    else()
        add_library(${name} INTERFACE)
        target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR}/src)
        target_link_libraries(${name} INTERFACE ${ARG_DEPENDS})
    endif()
endfunction()

# pondra_test(NAME [UI] [GALLERY filter] SOURCES ... DEPENDS ...): one GoogleTest binary,
# each case its own CTest test. Its main() is tests/support/TestMain.cpp, or UiTestMain.cpp
# with UI; its symbols are exported so that a render-thread allocation's stack names its
# functions. The cases the GALLERY filter names assert on what they draw and also write it
# under build/gallery; the `gallery` target runs them too.
function(pondra_test name)
    cmake_parse_arguments(ARG "UI" "GALLERY" "SOURCES;DEPENDS" ${ARGN})
    if(ARG_UI)
        set(test_main pondra_ui_test_main)
    else()
        set(test_main pondra_test_main)
    endif()
    add_executable(${name} ${ARG_SOURCES})
    set_target_properties(${name} PROPERTIES ENABLE_EXPORTS ON)
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
    target_link_libraries(${name} PRIVATE ${ARG_DEPENDS} ${test_main} pondra_test_support
        GTest::gtest GTest::gmock)
    gtest_discover_tests(${name} NO_PRETTY_VALUES DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 120)
    if(ARG_GALLERY)
        target_compile_definitions(${name} PRIVATE PONDRA_GALLERY_DIR="${CMAKE_BINARY_DIR}/gallery")
        pondra_gallery_step(${name} $<TARGET_FILE:${name}> --gtest_filter=${ARG_GALLERY})
        add_dependencies(gallery_${name} ${name})
    endif()
endfunction()

# pondra_gallery(NAME SOURCES ... DEPENDS ...): a GoogleTest-driven UI program whose
# cases only draw pictures under build/gallery for people judging the look. It is
# not a test: CTest does not list it; the `gallery` target runs it.
function(pondra_gallery name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    set_target_properties(${name} PROPERTIES ENABLE_EXPORTS ON)
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
    target_link_libraries(${name} PRIVATE ${ARG_DEPENDS} pondra_ui_test_main
        pondra_test_support GTest::gtest GTest::gmock)
    target_compile_definitions(${name} PRIVATE PONDRA_GALLERY_DIR="${CMAKE_BINARY_DIR}/gallery")
    pondra_gallery_step(${name} $<TARGET_FILE:${name}>)
    add_dependencies(gallery_${name} ${name})
endfunction()

# pondra_gallery_step(NAME COMMAND ...): the `gallery` target runs COMMAND, offscreen
# unless the command sets its own platform.
function(pondra_gallery_step name)
    add_custom_target(gallery_${name}
        COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ${ARGN}
        COMMENT "Drawing the gallery pictures of ${name}"
        VERBATIM)
    add_dependencies(gallery gallery_${name})
endfunction()
