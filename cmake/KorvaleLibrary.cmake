# The folders are layers, added lowest first (see docs/architecture.md). A
# library sees only its own folder and, through DEPENDS, the layers below it.

# korvale_folder_includes(target folder)
# Puts "folder/..." on the target's public include path and nothing else of
# the source tree: build/include/<target>/<folder> links back to the folder.
function(korvale_folder_includes target folder)
  set(root ${PROJECT_BINARY_DIR}/include/${target})
  get_filename_component(parent ${root}/${folder} DIRECTORY)
  file(MAKE_DIRECTORY ${parent})
  if(NOT IS_SYMLINK ${root}/${folder})
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${root}/${folder} SYMBOLIC)
  endif()
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    target_include_directories(${target} INTERFACE ${root})
  else()
    target_include_directories(${target} PUBLIC ${root})
  endif()
endfunction()

# korvale_library(NAME [DEPENDS lib...] [EXCLUDE file...])
# One static library from every .cpp of the calling folder but the EXCLUDEd
# ones (programs' entry points); a folder of headers only gives an interface
# library. Every korvale_ library in DEPENDS must have been added before:
# depending on a layer above fails here.
function(korvale_library name)
  cmake_parse_arguments(ARG "" "" "DEPENDS;EXCLUDE" ${ARGN})
  foreach(dependency ${ARG_DEPENDS})
    if(dependency MATCHES "^korvale_" AND NOT TARGET ${dependency})
      message(FATAL_ERROR "${name} may depend only on the layers added before it, "
                          "and ${dependency} is not one of them")
    endif()
  endforeach()
  file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  foreach(excluded ${ARG_EXCLUDE})
    list(REMOVE_ITEM sources ${CMAKE_CURRENT_SOURCE_DIR}/${excluded})
  endforeach()
  if(sources)
    add_library(${name} STATIC ${sources})
    target_link_libraries(${name} PUBLIC ${ARG_DEPENDS})
  else()
    add_library(${name} INTERFACE)
    target_link_libraries(${name} INTERFACE ${ARG_DEPENDS})
  endif()
  korvale_folder_includes(${name} ${folder})
endfunction()

# korvale_tests(folder LIBS lib...)
# One GoogleTest executable per tests/ sub-folder, registered with CTest. It
# sees the libraries it links and its own folder's files.
function(korvale_tests folder)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*.cpp)
  if(sources)
    set(target korvale_${folder}_tests)
    add_executable(${target} ${sources})
    target_link_libraries(${target} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
    target_include_directories(${target} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/${folder})
    target_compile_definitions(${target} PRIVATE
      KORVALE_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
      KORVALE_BINARY_DIR="${PROJECT_BINARY_DIR}")
    gtest_discover_tests(${target} WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
      PROPERTIES LABELS ${folder} DISCOVERY_TIMEOUT 60)
  endif()
endfunction()
