# vellumark_folder_library(NAME DEPS...): a static library of every .cpp in the
# calling folder, with the repository root on the include path, so that code
# includes "xbase/dbf_table.h", "platform/profile.h" and so on. A folder with
# no sources yet gives an interface library, so the layers can grow one by one.
function(vellumark_folder_library name)
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    if(sources)
        add_library(${name} STATIC ${sources})
        target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
        target_link_libraries(${name} PUBLIC ${ARGN})
    else()
        add_library(${name} INTERFACE)
        target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
        target_link_libraries(${name} INTERFACE ${ARGN})
    endif()
endfunction()

# vellumark_test_folder(NAME DEPS...): one GoogleTest executable of every
# *_test.cpp in the calling folder, registered with CTest test by test.
function(vellumark_test_folder name)
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    if(NOT sources)
        return()
    endif()
    add_executable(${name} ${sources})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    target_link_libraries(${name} PRIVATE ${ARGN} GTest::gtest_main)
    target_compile_definitions(${name} PRIVATE
        VELLUMARK_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
        VELLUMARK_PROGRAM_DIR="${VELLUMARK_PROGRAM_DIR}")
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 600)
endfunction()
