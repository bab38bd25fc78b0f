# How the project's targets are put together: the compile options every target gets, and the
# header folder each library shows its consumers.

# The warnings, and the sanitizers of a sanitizer or fuzzing build, for one target at a time:
# quorvex_apply_options links this into every library and program the project defines.
add_library(quorvex_options INTERFACE)
target_compile_options(quorvex_options INTERFACE -Wall -Wextra -Werror)
if(QUORVEX_SANITIZE OR QUORVEX_FUZZ)
  target_compile_options(quorvex_options INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_link_options(quorvex_options INTERFACE -fsanitize=address,undefined
    -fno-sanitize-recover=all)
endif()
# lld links the test programs in a third of the default linker's time, which counts twice in
# every build of the tests; where it is missing, the default linker does the work.
include(CheckLinkerFlag)
check_linker_flag(CXX -fuse-ld=lld QUORVEX_HAVE_LLD)
if(QUORVEX_HAVE_LLD)
  target_link_options(quorvex_options INTERFACE -fuse-ld=lld)
endif()

# Links quorvex_options into each library and program defined in dir and below it, so that
# a target added later cannot be left without them.
function(quorvex_apply_options dir)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(target IN LISTS targets)
    get_target_property(type ${target} TYPE)
    if(type MATCHES "^(STATIC_LIBRARY|SHARED_LIBRARY|OBJECT_LIBRARY|EXECUTABLE)$")
      target_link_libraries(${target} PRIVATE quorvex_options)
    endif()
  endforeach()
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(subdir IN LISTS subdirs)
    quorvex_apply_options(${subdir})
  endforeach()
endfunction()

# The headers of src/<folder> are included as "<folder>/name.h". A library's include root in
# the build tree holds its own folder alone, so "<folder>/..." resolves for the targets that
# link the library and for no other.
function(quorvex_export_headers target folder)
  set(root ${PROJECT_BINARY_DIR}/include/${folder})
  file(MAKE_DIRECTORY ${root})
  file(CREATE_LINK ${PROJECT_SOURCE_DIR}/src/${folder} ${root}/${folder} SYMBOLIC)
  target_include_directories(${target} PUBLIC ${root})
endfunction()

# The folders of src/ whose headers a library's own code may include besides its own; only
# ui/ sees Qt. The core knows no feature and no window; a feature knows no other feature (the
# backup, which holds the whole handset, knows the three it reads); the simulated
# handset takes from the client only the code page table and the list of unsolicited codes.
set(QUORVEX_LAYERS
  "codec:"
  "serial:codec"
  "core:codec,serial"
  "phonebook:codec,serial,core"
  "datebook:codec,serial,core"
  "messages:codec,serial,core"
  "info:codec,serial,core"
  "backup:codec,serial,core,phonebook,datebook,messages"
  "app:codec,serial,core,phonebook,datebook,messages,info,backup"
  "ui:codec,serial,core,phonebook,datebook,messages,info,app,backup"
  "sim:codec,serial")

# Adds to each library a generated source that does not compile when, with the library's own
# include directories, a header of a folder outside its layer can be included.
function(quorvex_check_layers)
  set(folders)
  foreach(entry IN LISTS QUORVEX_LAYERS)
    string(REGEX REPLACE ":.*" "" folder "${entry}")
    list(APPEND folders ${folder})
  endforeach()
  foreach(entry IN LISTS QUORVEX_LAYERS)
    string(REGEX REPLACE ":.*" "" folder "${entry}")
    string(REGEX REPLACE "^[^:]*:" "" allowed "${entry}")
    string(REPLACE "," ";" allowed "${allowed}")
    if(NOT TARGET quorvex_${folder})
      continue()
    endif()
    set(probe "// Generated: quorvex_${folder}'s code reaches no folder outside its layer.\n")
    foreach(other IN LISTS folders)
      if(other STREQUAL folder OR other IN_LIST allowed)
        continue()
      endif()
      file(GLOB headers RELATIVE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/src/${other}/*.h)
      list(GET headers 0 header)
      string(APPEND probe "#if __has_include(\"${header}\")\n"
                          "#error \"${folder} reaches ${other}/: see QUORVEX_LAYERS\"\n#endif\n")
    endforeach()
    if(NOT folder STREQUAL "ui")
      string(APPEND probe "#if __has_include(<QtCore/QString>)\n"
                          "#error \"${folder} reaches Qt: only ui/ may\"\n#endif\n")
    endif()
    set(file ${PROJECT_BINARY_DIR}/layers/${folder}_layer_check.cpp)
    file(CONFIGURE OUTPUT ${file} CONTENT "${probe}")
    target_sources(quorvex_${folder} PRIVATE ${file})
  endforeach()
endfunction()

# The test framework's header costs two to three seconds of compiling in each of some ninety
# test sources, and Qt Widgets' headers four in each of some thirty window sources; each
# program parses them once instead. A source must still include what it uses: a build with
# QUORVEX_PCH=OFF checks that.
set(QUORVEX_QT_PCH <QApplication> <QComboBox> <QDialog> <QHBoxLayout> <QHeaderView> <QKeyEvent>
  <QLabel> <QLineEdit> <QPointer> <QProgressBar> <QPushButton> <QToolButton> <QVBoxLayout>)
set(QUORVEX_TEST_PCH <gtest/gtest.h> <algorithm> <filesystem> <fstream> <functional> <string>
  <vector>)
function(quorvex_precompile target)
  if(QUORVEX_PCH)
    target_precompile_headers(${target} PRIVATE ${ARGN})
  endif()
endfunction()
